#include "archive_directory.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace orvex {
namespace {

// The first reservation never exceeds this many records (20 MiB), whatever
// the count says: a lying count in a large archive must not claim much memory
// up front. An honest count up to here is reserved exactly, so the table is
// filled once instead of being copied as it grows (each copy touches fresh
// pages, which costs more than reading the records). The table grows past
// the cap when the directory really is longer.
constexpr std::size_t kMaxFirstReservation = std::size_t{1} << 20;

// Records are read in blocks of up to this many (64 KiB less one byte), or
// of as many as the count promises when that is fewer: a small archive's
// directory comes in one read of just its records (a whole block would copy
// the entries behind it too, and fault in more of the stack), and a large
// one costs one call per block instead of one per record.
constexpr std::size_t kBlockRecords = 3855;

std::int32_t decodeInt32(const char* field) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(field);
  const std::uint32_t value = std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) |
                              (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
  return static_cast<std::int32_t>(value);
}

bool readExactly(ArchiveSource& archive, char* destination, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t got = archive.readSome(destination + done, size - done);
    if (got == 0) {
      return false;
    }
    done += got;
  }
  return true;
}

std::size_t firstReservation(std::int32_t recordCount, std::int64_t remainingBytes) {
  if (recordCount <= 0) {
    return 1;  // the terminator record always follows
  }
  const std::size_t fitting =
      remainingBytes < 0 ? SIZE_MAX : static_cast<std::size_t>(remainingBytes) / kRecordSize;
  return std::max<std::size_t>(
      1, std::min({static_cast<std::size_t>(recordCount), fitting, kMaxFirstReservation}));
}

// How many records the next read should take: as many as the count still
// promises and one more, in case it leaves the terminator out, within a
// block. Once the count is used up (or never meant anything), whole blocks.
std::size_t recordsToRequest(std::int32_t recordCount, std::size_t recordsRead) {
  if (recordCount <= 0 || static_cast<std::size_t>(recordCount) <= recordsRead) {
    return kBlockRecords;
  }
  return std::min(static_cast<std::size_t>(recordCount) - recordsRead + 1, kBlockRecords);
}

// Appends the `count` whole records that `bytes` holds, up to the terminator.
// True when the terminator was among them (it is then the last appended).
bool appendRecords(const char* bytes, std::size_t count, std::vector<DirectoryRecord>& records) {
  for (std::size_t i = 0; i < count; ++i, bytes += kRecordSize) {
    DirectoryRecord record;
    record.offset = decodeInt32(bytes);
    std::memcpy(record.name, bytes + kOffsetFieldSize, kNameFieldSize);
    records.push_back(record);
    if (record.name[0] == '\0') {
      return true;
    }
  }
  return false;
}

}  // namespace

DirectoryReadResult readDirectory(ArchiveSource& archive) {
  DirectoryReadResult result;
  char countField[kCountFieldSize];
  if (!readExactly(archive, countField, sizeof countField)) {
    return result;
  }
  const std::int32_t recordCount = decodeInt32(countField);
  std::vector<DirectoryRecord>& records = result.directory.records;
  try {
    records.reserve(firstReservation(recordCount, archive.remainingBytes()));
  } catch (const std::bad_alloc&) {
    // The count may lie, and memory may be short: only the records really
    // read must fit, and the table grows as they arrive.
  }

  // Left uninitialised: only the bytes that reads bring are looked at.
  char block[kBlockRecords * kRecordSize];
  std::size_t held = 0;  // bytes of a record that the last read began
  for (;;) {
    const std::size_t wanted = recordsToRequest(recordCount, records.size()) * kRecordSize;
    const std::size_t got = archive.readSome(block + held, wanted - held);
    if (got == 0) {
      return result;
    }
    held += got;
    const std::size_t whole = held / kRecordSize;
    if (appendRecords(block, whole, records)) {
      result.status = DirectoryReadStatus::complete;
      return result;
    }
    held -= whole * kRecordSize;
    std::memmove(block, block + whole * kRecordSize, held);
  }
}

std::size_t nameLength(const DirectoryRecord& record) {
  const void* const nul = std::memchr(record.name, '\0', kNameFieldSize);
  return nul == nullptr ? kNameFieldSize
                        : static_cast<std::size_t>(static_cast<const char*>(nul) - record.name);
}

std::size_t entryCount(const ArchiveDirectory& directory) {
  return directory.records.empty() ? 0 : directory.records.size() - 1;
}

std::int64_t entrySize(const ArchiveDirectory& directory, std::size_t index) {
  return std::int64_t{directory.records[index + 1].offset} -
         std::int64_t{directory.records[index].offset};
}

bool entryLiesInArchive(const ArchiveDirectory& directory, std::size_t index,
                        std::int64_t archiveSize) {
  const std::int64_t offset = directory.records[index].offset;
  const std::int64_t size = entrySize(directory, index);
  return offset >= 0 && size >= 0 && offset + size <= archiveSize;
}

}  // namespace orvex
