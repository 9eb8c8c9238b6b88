// The DAT archive layout and the reading of its directory.
//
// A DAT archive opens with a 32-bit little-endian record count, followed by
// 17-byte directory records (a 32-bit little-endian offset and a 13-byte name
// field). The directory ends at the first record whose name is empty; that
// terminator record carries the end of the last entry. An entry's bytes run
// from its record's offset up to the next record's offset.
#ifndef ORVEX_ARCHIVE_ARCHIVE_DIRECTORY_H
#define ORVEX_ARCHIVE_ARCHIVE_DIRECTORY_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex {

inline constexpr std::size_t kCountFieldSize = 4;
inline constexpr std::size_t kOffsetFieldSize = 4;
inline constexpr std::size_t kNameFieldSize = 13;
inline constexpr std::size_t kRecordSize = kOffsetFieldSize + kNameFieldSize;

struct DirectoryRecord {
  std::int32_t offset = 0;
  // The 13 bytes of the name field plus one NUL of our own, so that a field
  // without a NUL still reads as a 13-character string and nothing is ever
  // read past it. The extraction run rewrites characters here in place.
  char name[kNameFieldSize + 1] = {};
};

// Number of characters in the record's name, before its NUL.
std::size_t nameLength(const DirectoryRecord& record);

struct ArchiveDirectory {
  // The records in file order. When the directory was read in full, the last
  // one is the terminator record.
  std::vector<DirectoryRecord> records;
};

enum class DirectoryReadStatus {
  complete,   // the count and every record up to the terminator were read
  truncated,  // the archive ended before the count or before a terminator
};

struct DirectoryReadResult {
  ArchiveDirectory directory;
  DirectoryReadStatus status = DirectoryReadStatus::truncated;
};

// The archive's bytes, front to back from its first byte, as the directory
// reading takes them.
class ArchiveSource {
 public:
  // Copies up to `capacity` (at least 1) of the next bytes to `destination`
  // and returns how many; 0 at the archive's end or when reading fails.
  virtual std::size_t readSome(char* destination, std::size_t capacity) = 0;
  // How many bytes are left to read, or -1 when that cannot be told (a pipe,
  // say).
  virtual std::int64_t remainingBytes() = 0;

 protected:
  ~ArchiveSource() = default;
};

// Reads the count and the records from `archive`, which stands at the
// archive's first byte, up to and including the terminator record. The count
// is only a hint: for the first reservation, which never exceeds what the
// archive's remaining length can hold (nor a modest fixed cap) and is skipped
// when memory is short, and for the size of the reads, which take as many
// records as it promises, in blocks of up to 64 KiB; the table grows when the
// terminator comes later. The source may be left past the last record read.
// Prints nothing; throws std::bad_alloc only when the records really read do
// not fit in memory.
DirectoryReadResult readDirectory(ArchiveSource& archive);

// Number of entries the directory describes: its records less the terminator.
std::size_t entryCount(const ArchiveDirectory& directory);

// Size of the entry of record `index` (which stands before the terminator):
// the next record's offset minus this record's. Computed in 64 bits so that
// hostile offsets cannot overflow; negative when the offsets decrease.
std::int64_t entrySize(const ArchiveDirectory& directory, std::size_t index);

// Whether the entry of record `index` can be read in full from an archive of
// `archiveSize` bytes: its offset is not negative, its size is not negative,
// and it ends at or before the archive's end (an empty entry counts by its
// offset).
bool entryLiesInArchive(const ArchiveDirectory& directory, std::size_t index,
                        std::int64_t archiveSize);

}  // namespace orvex

#endif  // ORVEX_ARCHIVE_ARCHIVE_DIRECTORY_H
