// Reads a directory from arbitrary bytes and holds the result to the plain
// reading of the format: the same records, the same status, sizes and extents.
#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/archive_directory.h"
#include "fuzz_check.h"
#include "reference_archive.h"
#include "support/chunked_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvex;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::ReferenceArchive reference = fuzz::parseArchive(bytes);

  testing::ChunkedSource whole(bytes, size + 1);
  const DirectoryReadResult read = readDirectory(whole);
  const ArchiveDirectory& directory = read.directory;

  fuzz::checkEqual("read in full", reference.complete,
                   read.status == DirectoryReadStatus::complete);
  testing::ChunkedSource source(bytes, size == 0 ? 1 : 1 + data[size - 1] % 64);
  const DirectoryReadResult inPieces = readDirectory(source);
  fuzz::checkEqual("read in pieces, in full", reference.complete,
                   inPieces.status == DirectoryReadStatus::complete);
  if (!reference.complete) {
    return 0;
  }
  fuzz::checkEqual("record count", reference.records.size(), directory.records.size());
  fuzz::checkEqual("entry count", reference.records.size() - 1, entryCount(directory));

  // Read in pieces of any size, in blocks, the directory is the same.
  fuzz::checkEqual("read in pieces, record count", directory.records.size(),
                   inPieces.directory.records.size());
  for (std::size_t i = 0; i < directory.records.size(); ++i) {
    fuzz::checkEqual("read in pieces, offset", std::int64_t{directory.records[i].offset},
                     std::int64_t{inPieces.directory.records[i].offset});
    fuzz::checkEqual("read in pieces, name", std::string(directory.records[i].name),
                     std::string(inPieces.directory.records[i].name));
  }

  const auto archiveSize = static_cast<std::int64_t>(size);
  for (std::size_t i = 0; i < directory.records.size(); ++i) {
    const DirectoryRecord& record = directory.records[i];
    fuzz::checkEqual("offset", reference.records[i].offset, std::int64_t{record.offset});
    fuzz::checkEqual("name", reference.records[i].name,
                     std::string(record.name, nameLength(record)));
    fuzz::checkEqual("name ends in a NUL", '\0', record.name[kNameFieldSize]);
    if (i + 1 == directory.records.size()) {
      break;
    }
    const std::int64_t expectedSize = reference.records[i + 1].offset - reference.records[i].offset;
    fuzz::checkEqual("entry size", expectedSize, entrySize(directory, i));
    const bool lies = reference.records[i].offset >= 0 && expectedSize >= 0 &&
                      reference.records[i].offset + expectedSize <= archiveSize;
    fuzz::checkEqual("entry lies in the archive", lies,
                     entryLiesInArchive(directory, i, archiveSize));
  }
  return 0;
}
