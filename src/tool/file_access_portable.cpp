// File access through the standard streams and stdio alone, for systems
// without the POSIX calls.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "file_access.h"
#include "file_identity.h"

namespace orvex {

struct ArchiveFile::State {
  std::string path;
  std::ifstream stream;
  StreamArchiveSource source{stream};
  std::int64_t size = 0;
};

ArchiveFile::ArchiveFile() : state_(std::make_unique<State>()) {}

ArchiveFile::~ArchiveFile() = default;

bool ArchiveFile::open(const std::string& path) {
  // A directory opens for reading on some systems but holds no bytes.
  if (isDirectory(path)) {
    return false;
  }
  std::ifstream& stream = state_->stream;
  stream.open(path, std::ios::in | std::ios::binary);
  if (!stream.is_open()) {
    return false;
  }
  stream.seekg(0, std::ios::end);
  const std::ifstream::pos_type end = stream.tellg();
  stream.clear();
  stream.seekg(0, std::ios::beg);
  if (end == std::ifstream::pos_type(-1) || !stream) {
    return false;
  }
  state_->path = path;
  state_->size = static_cast<std::int64_t>(end);
  return true;
}

std::int64_t ArchiveFile::size() const {
  return state_->size;
}

ArchiveSource& ArchiveFile::source() {
  return state_->source;
}

bool ArchiveFile::readAt(std::int64_t offset, char* destination, std::size_t size) {
  std::ifstream& stream = state_->stream;
  stream.clear();
  stream.seekg(static_cast<std::streamoff>(offset));
  stream.read(destination, static_cast<std::streamsize>(size));
  const bool complete = stream && stream.gcount() == static_cast<std::streamsize>(size);
  stream.clear();  // a short read must not spoil the next entry's positioning
  return complete;
}

struct OutputFile::State {
  std::FILE* file = nullptr;
};

OutputFile::OutputFile() : state_(std::make_unique<State>()) {}

OutputFile::~OutputFile() {
  close();
}

CreateResult OutputFile::create(const char* name, const ArchiveFile& archive) {
  if (isSameFile(name, archive.state_->path)) {
    return CreateResult::isArchive;
  }
  state_->file = std::fopen(name, "wb");
  return state_->file == nullptr ? CreateResult::failed : CreateResult::created;
}

bool OutputFile::writeAll(const char* source, std::size_t size) {
  return std::fwrite(source, 1, size, state_->file) == size;
}

bool OutputFile::close() {
  std::FILE* const file = state_->file;
  state_->file = nullptr;
  return file == nullptr || std::fclose(file) == 0;
}

void removeFile(const char* name) {
  std::remove(name);
}

EntryBuffer::EntryBuffer(std::size_t size)
    : data_(static_cast<char*>(std::malloc(size == 0 ? 1 : size))) {}

EntryBuffer::~EntryBuffer() {
  std::free(data_);
}

}  // namespace orvex
