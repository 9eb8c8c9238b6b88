#include <climits>
#include <csignal>
#include <cstdio>
#include <new>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "extraction.h"

#ifdef __GLIBC__
namespace {

// Every entry's buffer comes from the heap, and the heap keeps what is freed:
// the next entry's buffer is carved from the same pages, already faulted in,
// instead of from a fresh mapping that the kernel must zero first. What the
// heap holds is never more than the largest buffer so far (and the directory).
// The allocator serves the whole process, so only the program sets it up,
// not the libraries that tests and fuzz targets run in-process.
void keepEntryBuffersOnTheHeap() {
  constexpr int kHeapTrimThreshold = INT_MAX;
  // No block gets a mapping of its own (glibc otherwise maps large blocks,
  // from 128 KiB up to a threshold that rises to 32 MiB, separately and
  // unmaps them on free), and a free never hands the heap's top back.
  ::mallopt(M_MMAP_MAX, 0);
  ::mallopt(M_TRIM_THRESHOLD, kHeapTrimThreshold);
}

}  // namespace
#endif

// On Windows the archive's path comes from the UTF-16 command line, so that
// any path reaches the file calls, not only those of the ANSI code page.
#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  if (argc != 2) {
    std::printf("orvex **.DAT");
    std::fflush(stdout);
    return orvex::kExitUsage;
  }
#ifdef SIGPIPE
  // A reader that goes away early must not kill the run halfway through an entry.
  std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef __GLIBC__
  keepEntryBuffersOnTheHeap();
#endif
  int status = orvex::kExitFailure;
  try {
    status = orvex::runExtraction(argv[1]);
  } catch (const std::bad_alloc&) {
    // Only a directory far larger than memory gets here.
    std::printf("Not enough memory.\n");
    status = orvex::kExitFailure;
  }
  // Messages that could not be delivered make the run a failure too.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    return orvex::kExitFailure;
  }
  return status;
}
