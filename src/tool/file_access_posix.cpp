// File access through the POSIX calls: one open, one pread, one write and
// one close per extracted file, and large buffers that fault in huge pages.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <streambuf>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "file_access.h"
#include "full_transfer.h"

namespace orvex {
namespace {

// Buffers this large get pages of their own, in huge pages where the system
// offers them; smaller ones come from the heap, which keeps its pages from
// one entry to the next instead of faulting fresh ones in every time.
constexpr std::size_t kMappedBufferThreshold = std::size_t{32} << 20;
constexpr int kHeapTrimThreshold = 64 << 20;

// Sequential reads for the directory, in large blocks.
class DescriptorStreamBuf : public std::streambuf {
 public:
  void attach(int fd) {
    fd_ = fd;
    setg(buffer_, buffer_, buffer_);
  }

 protected:
  int_type underflow() override {
    ssize_t got = 0;
    do {
      got = ::read(fd_, buffer_, sizeof buffer_);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
      return traits_type::eof();
    }
    setg(buffer_, buffer_, buffer_ + got);
    return traits_type::to_int_type(*gptr());
  }

  pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                   std::ios_base::openmode) override {
    off_t position = -1;
    if (direction == std::ios_base::cur) {
      position = ::lseek(fd_, static_cast<off_t>(offset - (egptr() - gptr())), SEEK_CUR);
    } else {
      position = ::lseek(fd_, static_cast<off_t>(offset),
                         direction == std::ios_base::beg ? SEEK_SET : SEEK_END);
    }
    setg(buffer_, buffer_, buffer_);
    return position < 0 ? pos_type(off_type(-1)) : pos_type(off_type(position));
  }

  pos_type seekpos(pos_type position, std::ios_base::openmode mode) override {
    return seekoff(off_type(position), std::ios_base::beg, mode);
  }

 private:
  int fd_ = -1;
  char buffer_[64 * 1024];
};

}  // namespace

struct ArchiveFile::State {
  int fd = -1;
  std::int64_t size = 0;
  dev_t device = 0;
  ino_t inode = 0;
  DescriptorStreamBuf streamBuf;
  std::istream stream{nullptr};
};

ArchiveFile::ArchiveFile() : state_(std::make_unique<State>()) {}

ArchiveFile::~ArchiveFile() {
  if (state_->fd >= 0) {
    ::close(state_->fd);
  }
}

bool ArchiveFile::open(const std::string& path) {
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
  state_->streamBuf.attach(fd);
  state_->stream.rdbuf(&state_->streamBuf);
  return true;
}

std::int64_t ArchiveFile::size() const {
  return state_->size;
}

std::istream& ArchiveFile::stream() {
  return state_->stream;
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

// Opens an existing `name` for writing without cutting it, and cuts it only
// once it is known not to be the archive. No O_CREAT, so a dangling link
// creates nothing; O_NONBLOCK, so a pipe without a reader cannot stall the
// run. Sets `fd` only when the result is `created`.
CreateResult openExisting(const char* name, const ArchiveFile::State& archive, int& fd) {
  const int opened = ::open(name, O_WRONLY | O_CLOEXEC | O_NONBLOCK);
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

}  // namespace

struct OutputFile::State {
  int fd = -1;
};

OutputFile::OutputFile() : state_(std::make_unique<State>()) {}

OutputFile::~OutputFile() {
  close();
}

CreateResult OutputFile::create(const char* name, const ArchiveFile& archive) {
  // Most names are new: creating exclusively needs no look at the file first.
  int fd = ::open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno != EEXIST) {
      return CreateResult::failed;
    }
    const CreateResult existing = openExisting(name, *archive.state_, fd);
    if (existing != CreateResult::created) {
      return existing;
    }
  }
  state_->fd = fd;
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

void removeFile(const char* name) {
  ::unlink(name);
}

EntryBuffer::EntryBuffer(std::size_t size) : size_(size) {
  if (size < kMappedBufferThreshold) {
    data_ = static_cast<char*>(std::malloc(size == 0 ? 1 : size));
    return;
  }
#ifdef __GLIBC__
  ::malloc_trim(0);  // what the heap keeps for small entries must not add to a large one
#endif
  void* const mapping =
      ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) {
    return;
  }
#ifdef MADV_HUGEPAGE
  ::madvise(mapping, size, MADV_HUGEPAGE);
#endif
  data_ = static_cast<char*>(mapping);
  mapped_ = true;
}

EntryBuffer::~EntryBuffer() {
  if (mapped_) {
    ::munmap(data_, size_);
  } else {
    std::free(data_);
  }
}

void prepareEntryBuffers() {
#ifdef __GLIBC__
  ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(kMappedBufferThreshold));
  ::mallopt(M_TRIM_THRESHOLD, kHeapTrimThreshold);
#endif
}

}  // namespace orvex
