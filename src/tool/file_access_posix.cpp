// File access through the POSIX calls: one open, one pread, one write and
// one close per extracted file, and entry buffers backed by huge pages where
// they are large enough.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "file_access.h"
#include "full_transfer.h"

// Without 64-bit offsets (_FILE_OFFSET_BITS=64, which the build sets) a 32-bit
// system refuses to open an archive past 2 GiB.
static_assert(sizeof(off_t) == 8, "file offsets must be 64-bit to open archives past 2 GiB");

namespace orvex {
namespace {

// The whole 2 MiB pages inside an entry's buffer are asked for as huge pages.
// The orvex program has the heap keep freed buffers (main.cpp), so the next
// entry's buffer reuses those pages, already faulted in.
constexpr std::size_t kHugePageSize = std::size_t{2} << 20;

// The directory's reads, from the archive's first byte on. The reading
// brings its own block, so the bytes go straight into it.
class DescriptorSource final : public ArchiveSource {
 public:
  void attach(int fd, std::int64_t size) {
    fd_ = fd;
    size_ = size;
    position_ = 0;
  }

  std::size_t readSome(char* destination, std::size_t capacity) override {
    ssize_t got = 0;
    do {
      got = ::pread(fd_, destination, capacity, static_cast<off_t>(position_));
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
      return 0;
    }
    position_ += got;
    return static_cast<std::size_t>(got);
  }

  std::int64_t remainingBytes() override { return size_ > position_ ? size_ - position_ : 0; }

 private:
  int fd_ = -1;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};

}  // namespace

struct ArchiveFile::State {
  int fd = -1;
  std::int64_t size = 0;
  dev_t device = 0;
  ino_t inode = 0;
  DescriptorSource source;
};

ArchiveFile::ArchiveFile() : state_(std::make_unique<State>()) {}

ArchiveFile::~ArchiveFile() {
  if (state_->fd >= 0) {
    ::close(state_->fd);
  }
}

bool ArchiveFile::open(const NativePath& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
    ::close(fd);
    return false;
  }
  std::int64_t size = status.st_size;
  if (!S_ISREG(status.st_mode)) {
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
      ::close(fd);
      return false;
    }
    size = end;
  }
  state_->fd = fd;
  state_->size = size;
  state_->device = status.st_dev;
  state_->inode = status.st_ino;
  state_->source.attach(fd, size);
  return true;
}

std::int64_t ArchiveFile::size() const {
  return state_->size;
}

ArchiveSource& ArchiveFile::source() {
  return state_->source;
}

bool ArchiveFile::readAt(std::int64_t offset, char* destination, std::size_t size) {
  const int fd = state_->fd;
  return transferFully(
      destination, size, [fd, offset](char* data, std::size_t count, std::size_t done) {
        return ::pread(fd, data, count,
                       static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
      });
}

namespace {

// Directories on an output name's way are opened only to look up the next
// component: O_PATH needs no read permission on them, as the open of the
// whole name did not.
#ifdef O_PATH
constexpr int kLookupOnly = O_PATH;
#else
constexpr int kLookupOnly = O_RDONLY;
#endif

// Opens the directory that holds the file `name` names, one component at a
// time from the current directory, none of them through a symbolic link, and
// points `leaf` at the file's own name. A name without a '/' needs no call:
// its directory is the current one. An absolute name fails. Sets
// `directory` (AT_FDCWD, or a descriptor the caller closes) only on success.
bool openParentDirectory(const char* name, int& directory, const char*& leaf) {
  if (*name == '/') {
    return false;
  }
  int parent = AT_FDCWD;
  const char* start = name;
  for (const char* slash = nullptr; (slash = std::strchr(start, '/')) != nullptr;
       start = slash + 1) {
    if (slash == start) {
      continue;  // "a//b" is "a/b"
    }
    const std::string component(start, slash);
    const int next =
        ::openat(parent, component.c_str(), kLookupOnly | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (parent != AT_FDCWD) {
      ::close(parent);
    }
    if (next < 0) {
      return false;
    }
    parent = next;
  }
  directory = parent;
  leaf = start;
  return true;
}

// Opens an existing `leaf` for writing without cutting it, and cuts it only
// once it is known not to be the archive. O_NOFOLLOW: a symbolic link is
// refused, whatever it points at; no O_CREAT, so nothing is created;
// O_NONBLOCK, so a pipe without a reader cannot stall the run. Sets `fd`
// only when the result is `created`.
CreateResult openExisting(int directory, const char* leaf, const ArchiveFile::State& archive,
                          int& fd) {
  const int opened = ::openat(directory, leaf, O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  if (opened < 0) {
    return CreateResult::failed;
  }
  struct stat status {};
  CreateResult result = CreateResult::created;
  if (::fstat(opened, &status) != 0) {
    result = CreateResult::failed;
  } else if (status.st_dev == archive.device && status.st_ino == archive.inode) {
    result = CreateResult::isArchive;
  } else if (S_ISREG(status.st_mode) ? ::ftruncate(opened, 0) != 0
                                     : ::fcntl(opened, F_SETFL, 0) != 0) {
    result = CreateResult::failed;
  }
  if (result == CreateResult::created) {
    fd = opened;
  } else {
    ::close(opened);
  }
  return result;
}

// Creates `leaf` in `directory`, or opens the file that stands there.
CreateResult createIn(int directory, const char* leaf, const ArchiveFile::State& archive, int& fd) {
  // Most names are new: creating exclusively needs no look at the file
  // first, and never follows a link, not even a dangling one.
  fd = ::openat(directory, leaf, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) {
    return CreateResult::created;
  }
  return errno == EEXIST ? openExisting(directory, leaf, archive, fd) : CreateResult::failed;
}

}  // namespace

struct OutputFile::State {
  int fd = -1;
  // Where the file stands, so that it is removed from the directory it was
  // created in, whatever became of the name's way since. `leaf` points into
  // the name given to create(), which outlives the file.
  int directory = AT_FDCWD;
  const char* leaf = nullptr;
};

OutputFile::OutputFile() : state_(std::make_unique<State>()) {}

OutputFile::~OutputFile() {
  close();
  if (state_->directory != AT_FDCWD) {
    ::close(state_->directory);
  }
}

CreateResult OutputFile::create(const char* name, const ArchiveFile& archive) {
  int directory = AT_FDCWD;
  const char* leaf = name;
  if (!openParentDirectory(name, directory, leaf)) {
    return CreateResult::failed;
  }
  int fd = -1;
  const CreateResult result = createIn(directory, leaf, *archive.state_, fd);
  if (result != CreateResult::created) {
    if (directory != AT_FDCWD) {
      ::close(directory);
    }
    return result;
  }
  state_->fd = fd;
  state_->directory = directory;
  state_->leaf = leaf;
  return CreateResult::created;
}

bool OutputFile::writeAll(const char* source, std::size_t size) {
  const int fd = state_->fd;
  return transferFully(
      const_cast<char*>(source), size,
      [fd](char* data, std::size_t count, std::size_t) { return ::write(fd, data, count); });
}

bool OutputFile::close() {
  const int fd = state_->fd;
  state_->fd = -1;
  return fd < 0 || ::close(fd) == 0;
}

void OutputFile::remove() {
  close();
  if (state_->leaf != nullptr) {
    ::unlinkat(state_->directory, state_->leaf, 0);
  }
}

EntryBuffer::EntryBuffer(std::size_t size)
    : data_(static_cast<char*>(std::malloc(size == 0 ? 1 : size))) {
#ifdef MADV_HUGEPAGE
  if (data_ != nullptr && size >= kHugePageSize) {
    // The first entry that reaches these pages faults them in 2 MiB at a time
    // (32 faults for 64 MiB instead of 16,384); later entries find them there.
    // Without this advice the bench's W4 (4 entries of 64 MiB) took 3.2 to 3.9
    // times as long.
    const auto first =
        (reinterpret_cast<std::uintptr_t>(data_) + kHugePageSize - 1) & ~(kHugePageSize - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(data_) + size) & ~(kHugePageSize - 1);
    if (last > first) {
      ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
  }
#endif
}

EntryBuffer::~EntryBuffer() {
  std::free(data_);
}

}  // namespace orvex
