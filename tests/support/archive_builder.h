// Builds DAT archives in memory, well-formed or deliberately broken.
#ifndef ORVEX_TESTS_SUPPORT_ARCHIVE_BUILDER_H
#define ORVEX_TESTS_SUPPORT_ARCHIVE_BUILDER_H

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvex::testing {

struct Entry {
  std::string name;
  std::string bytes;
};

// Four bytes, little-endian.
std::string int32Bytes(std::int32_t value);

// One 17-byte directory record; `nameField` is padded with NULs to 13 bytes
// (or cut to 13), so a 13-character name leaves no room for a NUL.
std::string recordBytes(std::int32_t offset, std::string_view nameField);

// A well-formed archive: the count, one record per entry, the terminator
// record, then the entries' bytes back to back. The count is the number of
// records unless `recordCount` says otherwise.
std::string buildArchive(const std::vector<Entry>& entries);
std::string buildArchive(const std::vector<Entry>& entries, std::int32_t recordCount);

// An archive whose records point wherever the caller says (the terminator
// included), followed by `data` from byte 4 + 17 * records on.
std::string rawArchive(const std::vector<std::pair<std::int32_t, std::string>>& records,
                       const std::string& data);

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_ARCHIVE_BUILDER_H
