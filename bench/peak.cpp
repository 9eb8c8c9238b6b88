// Runs a command and prints its peak resident set (KiB) and its minor page
// faults to standard error: `orvex_bench_peak COMMAND [ARGUMENT...]`.
//
// A child's peak as the kernel reports it is never below what the process
// that started it held at the time (the exec'd child inherits that high-water
// mark), so the command is started from this small static program rather
// than from the Python driver.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>

extern char** environ;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: orvex_bench_peak COMMAND [ARGUMENT...]\n");
    return 2;
  }
  pid_t child = 0;
  if (posix_spawnp(&child, argv[1], nullptr, nullptr, argv + 1, environ) != 0) {
    std::perror(argv[1]);
    return 127;
  }
  int status = 0;
  struct rusage usage {};
  if (wait4(child, &status, 0, &usage) != child) {
    std::perror("wait4");
    return 127;
  }
  std::fprintf(stderr, "%ld %ld\n", usage.ru_maxrss, usage.ru_minflt);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}
