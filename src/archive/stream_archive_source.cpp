// The directory read from a standard stream. Kept apart from the rest of the
// reading so that a program that never reads a stream links none of the
// stream machinery (whose set-up costs every run page faults at start).
#include <algorithm>

#include "archive_directory.h"

namespace orvex {

std::size_t StreamArchiveSource::readSome(char* destination, std::size_t capacity) {
  // Straight from the stream's buffer, without the stream's per-call checks.
  const auto wanted = static_cast<std::streamsize>(std::min(capacity, kRecordSize));
  const std::streamsize got = stream_.rdbuf()->sgetn(destination, wanted);
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

std::int64_t StreamArchiveSource::remainingBytes() {
  const std::istream::pos_type here = stream_.tellg();
  if (here == std::istream::pos_type(-1)) {
    stream_.clear();
    return -1;
  }
  stream_.seekg(0, std::ios::end);
  const std::istream::pos_type end = stream_.tellg();
  stream_.clear();
  stream_.seekg(here);
  if (end == std::istream::pos_type(-1) || end < here) {
    return -1;
  }
  return static_cast<std::int64_t>(end - here);
}

DirectoryReadResult readDirectory(std::istream& archive) {
  StreamArchiveSource source(archive);
  return readDirectory(source);
}

}  // namespace orvex
