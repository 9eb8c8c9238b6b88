// The floor of the benchmark: creates and fills the files that extracting
// one archive of a workload produces (same names, same sizes) from a buffer
// in memory, with one open, one write and one close per file, in one thread,
// reading nothing. No extraction tool can do less work for the same files.
//
//   orvex_bench_floor WORKLOAD [ARCHIVE_INDEX]
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "workloads.h"

namespace {

bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using orvex::bench::Workload;
  const Workload* workload = argc >= 2 ? orvex::bench::findWorkload(argv[1]) : nullptr;
  if (workload == nullptr || argc > 3) {
    std::fprintf(stderr, "usage: orvex_bench_floor W1|W2|W3|W4|W5|W6 [ARCHIVE_INDEX]\n");
    return 2;
  }
  const std::size_t archive = argc == 3 ? std::strtoull(argv[2], nullptr, 10) : 0;
  const std::size_t step = workload->extractEvery;

  std::size_t largest = 1;
  for (std::size_t entry = 0; entry < workload->entries; entry += step) {
    largest = std::max(largest, orvex::bench::entrySize(*workload, archive, entry));
  }
  // The bytes come from memory that has been written, in huge pages where
  // that pays: a buffer never written would be the kernel's zero page, which
  // no real tool copies from.
  void* const mapping =
      ::mmap(nullptr, largest, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) {
    std::perror("mmap");
    return 1;
  }
#ifdef MADV_HUGEPAGE
  ::madvise(mapping, largest, MADV_HUGEPAGE);
#endif
  char* const buffer = static_cast<char*>(mapping);
  std::memset(buffer, 0x5A, largest);

  for (std::size_t entry = 0; entry < workload->entries; entry += step) {
    char name[16];
    orvex::bench::entryName(*workload, archive, entry, true, name);
    const int fd = ::open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 || !writeAll(fd, buffer, orvex::bench::entrySize(*workload, archive, entry)) ||
        ::close(fd) != 0) {
      std::perror(name);
      return 1;
    }
  }
  return 0;
}
