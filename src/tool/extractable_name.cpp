#include "extractable_name.h"

#include <cstring>

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
  for (std::size_t i = 0; i < kExtensionLength; ++i) {
    ending[i] = lowerAscii(ending[i]);
  }
  for (const std::string_view extension : kExtractableExtensions) {
    if (std::memcmp(ending, extension.data(), kExtensionLength) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace orvex
