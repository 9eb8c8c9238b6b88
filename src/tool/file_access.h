// The files the run touches: the archive, read at absolute offsets, the
// output files, each created and written once, and the buffers entries pass
// through. Each system's implementation uses its own calls directly: POSIX's
// or Windows'.
#ifndef ORVEX_TOOL_FILE_ACCESS_H
#define ORVEX_TOOL_FILE_ACCESS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "archive/archive_directory.h"

namespace orvex {

// A path as the system's file calls take it: UTF-16 on Windows, where the
// command line is UTF-16 too, so that any path reaches the file calls
// unchanged; bytes elsewhere.
#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

class ArchiveFile {
 public:
  ArchiveFile();
  ~ArchiveFile();
  ArchiveFile(const ArchiveFile&) = delete;
  ArchiveFile& operator=(const ArchiveFile&) = delete;

  // Opens `path` for reading and measures it. Fails for a directory.
  bool open(const NativePath& path);
  std::int64_t size() const;
  // The archive from its first byte on, for the directory.
  ArchiveSource& source();
  // Reads exactly `size` bytes from `offset` on; false when fewer arrive.
  bool readAt(std::int64_t offset, char* destination, std::size_t size);

  struct State;

 private:
  friend class OutputFile;
  std::unique_ptr<State> state_;
};

enum class CreateResult {
  created,    // opened for writing, empty
  isArchive,  // the name leads to the archive itself; left untouched
  failed,     // could not be opened for writing, or a link stands on the way
};

class OutputFile {
 public:
  OutputFile();
  ~OutputFile();  // closes without reporting; call close() to learn the outcome
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens `name`, relative to the current directory, for writing, creating
  // it or cutting it to length 0, unless it is `archive` under any name,
  // which is never truncated. Follows no symbolic link (on Windows no
  // reparse point): a name that is one, or passes through one, fails, and
  // neither the link nor what it points at is touched.
  CreateResult create(const char* name, const ArchiveFile& archive);
  bool writeAll(const char* source, std::size_t size);
  // Closes the file; false when buffered bytes could not be written.
  bool close();
  // Closes the file and removes it from the directory it was created in.
  // The name given to create() must still be there.
  void remove();

  struct State;

 private:
  std::unique_ptr<State> state_;
};

// Room for one entry, of exactly its size; empty when it cannot be had.
class EntryBuffer {
 public:
  explicit EntryBuffer(std::size_t size);
  ~EntryBuffer();
  EntryBuffer(const EntryBuffer&) = delete;
  EntryBuffer& operator=(const EntryBuffer&) = delete;

  char* data() const { return data_; }
  bool empty() const { return data_ == nullptr; }

 private:
  char* data_ = nullptr;
};

}  // namespace orvex

#endif  // ORVEX_TOOL_FILE_ACCESS_H
