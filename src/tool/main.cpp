#include <csignal>
#include <cstdio>
#include <new>

#include "extraction.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("orvex **.DAT");
    std::fflush(stdout);
    return orvex::kExitUsage;
  }
#ifdef SIGPIPE
  // A reader that goes away early must not kill the run halfway through an entry.
  std::signal(SIGPIPE, SIG_IGN);
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
