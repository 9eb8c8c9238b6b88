#include "extraction.h"

#include <cstdio>

#include "entry_copy.h"
#include "extractable_name.h"
#include "file_identity.h"
#include "output_name.h"

namespace orvex {
namespace {

bool measureSize(std::ifstream& stream, std::int64_t& size) {
  stream.seekg(0, std::ios::end);
  const std::ifstream::pos_type end = stream.tellg();
  stream.clear();
  stream.seekg(0, std::ios::beg);
  if (end == std::ifstream::pos_type(-1) || !stream) {
    return false;
  }
  size = static_cast<std::int64_t>(end);
  return true;
}

bool openArchive(const std::string& path, OpenArchive& archive) {
  // A directory opens for reading on some systems but holds no bytes.
  if (isDirectory(path)) {
    return false;
  }
  archive.path = path;
  archive.stream.open(path, std::ios::in | std::ios::binary);
  return archive.stream.is_open() && measureSize(archive.stream, archive.size);
}

}  // namespace

bool extractEntry(OpenArchive& archive, const ArchiveDirectory& directory, std::size_t index) {
  const char* const name = directory.records[index].name;
  if (!isSafeOutputName(name, kHostPathRules)) {
    std::printf("File cannot open. : %s\n", name);
    return false;
  }
  if (!entryLiesInArchive(directory, index, archive.size)) {
    std::printf("File cannot read. : %s\n", name);
    return false;
  }
  // Truncating the archive would destroy what is still to be read.
  if (isSameFile(name, archive.path)) {
    std::printf("File cannot open. : %s\n", name);
    return false;
  }
  std::FILE* const output = std::fopen(name, "wb");
  if (output == nullptr) {
    std::printf("File cannot open. : %s\n", name);
    return false;
  }
  const std::int64_t offset = directory.records[index].offset;
  CopyResult result = copyEntry(archive.stream, offset, entrySize(directory, index), output);
  if (std::fclose(output) != 0 && result == CopyResult::copied) {
    result = CopyResult::writeFailed;
  }
  switch (result) {
    case CopyResult::copied:
      std::printf("%s done.\n", name);
      return true;
    case CopyResult::readFailed:
      // Nothing was written that came from the archive; leave no stray file.
      std::remove(name);
      std::printf("File cannot read. : %s\n", name);
      return false;
    case CopyResult::writeFailed:
      std::printf("File cannot write. : %s\n", name);
      return false;
  }
  return false;
}

int runExtraction(const std::string& archivePath) {
  OpenArchive archive;
  if (!openArchive(archivePath, archive)) {
    std::printf("File Not Found.\n");
    return kExitFailure;
  }
  DirectoryReadResult read = readDirectory(archive.stream);
  if (read.status != DirectoryReadStatus::complete) {
    std::printf("Archive is broken.\n");
    return kExitFailure;
  }
  ArchiveDirectory& directory = read.directory;
  bool allWritten = true;
  for (std::size_t index = 0; index < entryCount(directory); ++index) {
    if (isExtractable(directory.records[index]) && !extractEntry(archive, directory, index)) {
      allWritten = false;
    }
  }
  return allWritten ? kExitSuccess : kExitFailure;
}

}  // namespace orvex
