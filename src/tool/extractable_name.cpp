#include "extractable_name.h"

#include <algorithm>

namespace orvex {
namespace {

char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool isExtractable(DirectoryRecord& record) {
  const std::size_t length = nameLength(record);
  if (length < kExtensionLength) {
    return false;
  }
  char* const ending = record.name + length - kExtensionLength;
  std::transform(ending, ending + kExtensionLength, ending, lowerAscii);
  const std::string_view endingView(ending, kExtensionLength);
  return std::find(kExtractableExtensions.begin(), kExtractableExtensions.end(), endingView) !=
         kExtractableExtensions.end();
}

}  // namespace orvex
