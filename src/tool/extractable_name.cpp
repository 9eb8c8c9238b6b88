#include "extractable_name.h"

#include <algorithm>

namespace orvex {

bool isExtractable(DirectoryRecord& record) {
  const std::size_t length = nameLength(record);
  if (length < kExtensionLength) {
    return false;
  }
  char* const ending = record.name + length - kExtensionLength;
  for (std::size_t i = 0; i < kExtensionLength; ++i) {
    if (ending[i] >= 'A' && ending[i] <= 'Z') {
      ending[i] = static_cast<char>(ending[i] - 'A' + 'a');
    }
  }
  const std::string_view lowered(ending, kExtensionLength);
  return std::find(kExtractableExtensions.begin(), kExtractableExtensions.end(), lowered) !=
         kExtractableExtensions.end();
}

}  // namespace orvex
