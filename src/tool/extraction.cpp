#include "extraction.h"

#include <cstdio>

#include "entry_copy.h"
#include "extractable_name.h"
#include "output_name.h"

namespace orvex {

bool extractEntry(ArchiveFile& archive, const ArchiveDirectory& directory, std::size_t index,
                  WrittenExtents& written) {
  const char* const name = directory.records[index].name;
  const std::string shown = shownName(name);
  if (!isSafeOutputName(name, kHostPathRules)) {
    std::printf("File cannot open. : %s\n", shown.c_str());
    return false;
  }
  if (!entryLiesInArchive(directory, index, archive.size()) || written.overlaps(directory, index)) {
    std::printf("File cannot read. : %s\n", shown.c_str());
    return false;
  }
  OutputFile output;
  if (output.create(name, archive) != CreateResult::created) {
    std::printf("File cannot open. : %s\n", shown.c_str());
    return false;
  }
  const std::int64_t offset = directory.records[index].offset;
  CopyResult result = copyEntry(archive, offset, entrySize(directory, index), output);
  if (!output.close() && result == CopyResult::copied) {
    result = CopyResult::writeFailed;
  }
  switch (result) {
    case CopyResult::copied:
      written.add(directory, index);
      std::printf("%s done.\n", shown.c_str());
      return true;
    case CopyResult::readFailed:
      // Nothing was written that came from the archive; leave no stray file.
      output.remove();
      std::printf("File cannot read. : %s\n", shown.c_str());
      return false;
    case CopyResult::writeFailed:
      std::printf("File cannot write. : %s\n", shown.c_str());
      return false;
  }
  return false;
}

int runExtraction(const NativePath& archivePath) {
  ArchiveFile archive;
  if (!archive.open(archivePath)) {
    std::printf("File Not Found.\n");
    return kExitFailure;
  }
  DirectoryReadResult read = readDirectory(archive.source());
  if (read.status != DirectoryReadStatus::complete) {
    std::printf("Archive is broken.\n");
    return kExitFailure;
  }
  ArchiveDirectory& directory = read.directory;
  WrittenExtents written;
  bool allWritten = true;
  const std::size_t entries = entryCount(directory);
  for (std::size_t index = 0; index < entries; ++index) {
    if (isExtractable(directory.records[index]) &&
        !extractEntry(archive, directory, index, written)) {
      allWritten = false;
    }
  }
  return allWritten ? kExitSuccess : kExitFailure;
}

}  // namespace orvex
