// Runs a program in a child process and collects what it printed.
#ifndef ORVEX_TESTS_SUPPORT_RUN_PROCESS_H
#define ORVEX_TESTS_SUPPORT_RUN_PROCESS_H

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvex::testing {

struct ProcessResult {
  int exitCode = -1;   // POSIX: the low 8 bits, as a shell sees them; Windows: the whole code
  int signal = 0;      // the signal (POSIX) or exception (Windows) that ended the child
  std::string output;  // standard output
  std::string errors;  // standard error
};

struct RunOptions {
  std::filesystem::path workingDirectory;
  // Caps the child's address space, so that large allocations fail (POSIX only).
  std::optional<std::uint64_t> addressSpaceLimit;
  // Runs the child as this user, whom it cannot leave (POSIX, as root only);
  // empty: as the caller.
  std::string user;
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const RunOptions& options);

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_RUN_PROCESS_H
