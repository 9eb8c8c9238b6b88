#include "extractable_name.h"

#include <bit>
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

// Number of characters before the name field's first NUL (13 without one),
// as nameLength() counts them, from two overlapping 8-byte loads instead of a
// call to memchr.
std::size_t fieldLength(const char* field) {
  static_assert(kNameFieldSize == 13);
  if constexpr (std::endian::native != std::endian::little) {
    const void* const nul = std::memchr(field, '\0', kNameFieldSize);
    return nul == nullptr ? kNameFieldSize
                          : static_cast<std::size_t>(static_cast<const char*>(nul) - field);
  }
  constexpr std::uint64_t kEachByte = 0x0101010101010101u;
  // The lowest set bit marks the first zero byte (higher ones may be false).
  const auto zeroBytes = [](std::uint64_t word) {
    return (word - kEachByte) & ~word & (0x80u * kEachByte);
  };
  std::uint64_t head = 0;
  std::uint64_t tail = 0;
  std::memcpy(&head, field, sizeof head);      // bytes 0..7
  std::memcpy(&tail, field + 5, sizeof tail);  // bytes 5..12
  if (const std::uint64_t zeros = zeroBytes(head); zeros != 0) {
    return static_cast<std::size_t>(std::countr_zero(zeros) / 8);
  }
  if (const std::uint64_t zeros = zeroBytes(tail); zeros != 0) {
    return 5 + static_cast<std::size_t>(std::countr_zero(zeros) / 8);
  }
  return kNameFieldSize;
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
  const std::size_t length = fieldLength(record.name);
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
