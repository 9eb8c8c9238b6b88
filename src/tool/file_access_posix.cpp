// File access through the POSIX calls: one open, one pread, one write and
// one close per extracted file, and entry buffers that the heap serves again
// from one entry to the next.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <streambuf>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "file_access.h"
#include "full_transfer.h"

namespace orvex {
namespace {

// Every entry's buffer comes from the heap, and the heap keeps what is freed:
// the next entry's buffer is carved from the same pages, already faulted in,
// instead of from a fresh mapping that the kernel must zero first. What the
// heap holds is never more than the largest buffer so far (and the directory).
// The whole 2 MiB pages inside a buffer are asked for as huge pages.
constexpr std::size_t kHugePageSize = std::size_t{2} << 20;
constexpr int kHeapTrimThreshold = INT_MAX;

// Sequential reads for the directory, in large blocks. It knows where its
// block lies in the file, so telling the position and seeking within the
// block (as the directory reading does to measure the archive) cost no
// system call and do not read the block again.
class DescriptorStreamBuf : public std::streambuf {
 public:
  void attach(int fd, std::int64_t size) {
    fd_ = fd;
    size_ = size;
    blockStart_ = 0;
    blockLength_ = 0;
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
    blockStart_ += blockLength_;
    blockLength_ = got;
    setg(buffer_, buffer_, buffer_ + got);
    return traits_type::to_int_type(*gptr());
  }

  // The directory is read a record at a time: a record inside the block is
  // one copy, without the general loop's checks.
  std::streamsize xsgetn(char* destination, std::streamsize count) override {
    if (count < 16 || count > 32 || count > egptr() - gptr()) {
      return std::streambuf::xsgetn(destination, count);
    }
    // Two overlapping fixed-size copies, which the compiler does inline.
    std::memcpy(destination, gptr(), 16);
    std::memcpy(destination + count - 16, gptr() + count - 16, 16);
    gbump(static_cast<int>(count));
    return count;
  }

  pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                   std::ios_base::openmode) override {
    const std::int64_t from = direction == std::ios_base::beg   ? 0
                              : direction == std::ios_base::end ? size_
                                                                : blockStart_ + (gptr() - eback());
    const std::int64_t target = from + static_cast<std::int64_t>(offset);
    if (target < 0) {
      return pos_type(off_type(-1));
    }
    if (target >= blockStart_ && target <= blockStart_ + blockLength_) {
      setg(buffer_, buffer_ + (target - blockStart_), buffer_ + blockLength_);
    } else {
      // The descriptor stands at the block's end; reading goes on from the target.
      if (::lseek(fd_, static_cast<off_t>(target), SEEK_SET) < 0) {
        return pos_type(off_type(-1));
      }
      blockStart_ = target;
      blockLength_ = 0;
      setg(buffer_, buffer_, buffer_);
    }
    return pos_type(off_type(target));
  }

  pos_type seekpos(pos_type position, std::ios_base::openmode mode) override {
    return seekoff(off_type(position), std::ios_base::beg, mode);
  }

 private:
  int fd_ = -1;
  std::int64_t size_ = 0;
  // Where buffer_[0] lies in the file, and how many bytes of the file
  // buffer_ holds from there; the descriptor stands right behind them.
  std::int64_t blockStart_ = 0;
  std::int64_t blockLength_ = 0;
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

// Default-initialised, not value-initialised: the stream's 64 KiB block stays
// untouched until reads fill it, instead of being zeroed first (16 page
// faults, a third of what a run on a small archive takes).
ArchiveFile::ArchiveFile() : state_(std::make_unique_for_overwrite<State>()) {}

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
  state_->streamBuf.attach(fd, size);
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

EntryBuffer::EntryBuffer(std::size_t size)
    : data_(static_cast<char*>(std::malloc(size == 0 ? 1 : size))) {
#ifdef MADV_HUGEPAGE
  if (data_ != nullptr && size >= kHugePageSize) {
    // The first entry that reaches these pages faults them in 2 MiB at a time
    // (32 faults for 64 MiB instead of 16,384); later entries find them there.
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

void prepareEntryBuffers() {
#ifdef __GLIBC__
  // No block gets a mapping of its own (glibc otherwise maps large blocks,
  // from 128 KiB up to a threshold that rises to 32 MiB, separately and
  // unmaps them on free), and a free never hands the heap's top back.
  ::mallopt(M_MMAP_MAX, 0);
  ::mallopt(M_TRIM_THRESHOLD, kHeapTrimThreshold);
#endif
}

}  // namespace orvex
