#include "archive_builder.h"

namespace orvex::testing {
namespace {

constexpr std::size_t kHeaderSize = 4;
constexpr std::size_t kRecordSize = 17;
constexpr std::size_t kNameFieldSize = 13;

}  // namespace

std::string int32Bytes(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::string bytes(4, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFFu);
  }
  return bytes;
}

std::string recordBytes(std::int32_t offset, std::string_view nameField) {
  std::string field(nameField.substr(0, kNameFieldSize));
  field.resize(kNameFieldSize, '\0');
  return int32Bytes(offset) + field;
}

std::string buildArchive(const std::vector<Entry>& entries) {
  return buildArchive(entries, static_cast<std::int32_t>(entries.size() + 1));
}

std::string buildArchive(const std::vector<Entry>& entries, std::int32_t recordCount) {
  std::string directory = int32Bytes(recordCount);
  std::string data;
  const std::size_t dataStart = kHeaderSize + kRecordSize * (entries.size() + 1);
  for (const Entry& entry : entries) {
    directory += recordBytes(static_cast<std::int32_t>(dataStart + data.size()), entry.name);
    data += entry.bytes;
  }
  directory += recordBytes(static_cast<std::int32_t>(dataStart + data.size()), "");
  return directory + data;
}

std::string rawArchive(const std::vector<std::pair<std::int32_t, std::string>>& records,
                       const std::string& data) {
  std::string bytes = int32Bytes(static_cast<std::int32_t>(records.size()));
  for (const auto& [offset, name] : records) {
    bytes += recordBytes(offset, name);
  }
  return bytes + data;
}

}  // namespace orvex::testing
