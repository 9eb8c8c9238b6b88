#include "extractable_name.h"

#include <cstdint>
#include <cstring>

namespace orvex {
namespace {

// The four bytes of a name's ending as one word, so that lowering them and
// comparing them with each extension takes a few instructions: directories
// run to hundreds of thousands of records, and every one is checked.
std::uint32_t wordOf(const char* bytes) {
  std::uint32_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// Lowers the bytes 'A'..'Z' of `word` and leaves every other byte as it is
// (bytes from 0x80 up included), all four at once.
std::uint32_t lowerAscii(std::uint32_t word) {
  constexpr std::uint32_t kEachByte = 0x01010101u;
  const std::uint32_t low7 = word & (0x7Fu * kEachByte);
  const std::uint32_t aboveZ = low7 + (0x7Fu - 'Z') * kEachByte;  // top bit: byte > 'Z'
  const std::uint32_t fromA = low7 + (0x80u - 'A') * kEachByte;   // top bit: byte >= 'A'
  const std::uint32_t upper = (fromA ^ aboveZ) & ~word & (0x80u * kEachByte);
  return word | (upper >> 2);
}

}  // namespace

bool isExtractable(DirectoryRecord& record) {
  const std::size_t length = nameLength(record);
  if (length < kExtensionLength) {
    return false;
  }
  char* const ending = record.name + length - kExtensionLength;
  const std::uint32_t lowered = lowerAscii(wordOf(ending));
  std::memcpy(ending, &lowered, kExtensionLength);
  for (const std::string_view extension : kExtractableExtensions) {
    if (lowered == wordOf(extension.data())) {
      return true;
    }
  }
  return false;
}

}  // namespace orvex
