// Runs the built orvex on an archive, inside a fresh directory of its own.
#ifndef ORVEX_TESTS_SUPPORT_ORVEX_RUN_H
#define ORVEX_TESTS_SUPPORT_ORVEX_RUN_H

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/run_process.h"
#include "support/scratch_directory.h"

namespace orvex::testing {

using Files = std::map<std::string, std::string>;

// A directory, or a symbolic link, that stands in the current directory
// before a run. A link's target is taken as it is, but one starting with
// '/' is taken from the scratch directory's root (POSIX only).
struct StandingPath {
  std::string name;
  std::string linkTarget;  // empty: a directory
};

#ifdef _WIN32
inline constexpr int kUsageStatus = -1;
#else
inline constexpr int kUsageStatus = 255;  // -1 as a POSIX exit status
#endif

// Whether a child's address space can be capped to provoke failing
// allocations: not on Windows, not under AddressSanitizer, which reserves
// terabytes of address space before the program starts, and under an
// emulator only through an option of the emulator's own.
#if defined(__SANITIZE_ADDRESS__)
#define ORVEX_TESTS_UNDER_ADDRESS_SANITIZER
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVEX_TESTS_UNDER_ADDRESS_SANITIZER
#endif
#endif
#if defined(_WIN32)
inline constexpr const char* kNoAddressSpaceLimit =
    "the address space of a Windows child cannot be limited";
#elif defined(ORVEX_LAUNCHER) && !defined(ORVEX_LAUNCHER_ADDRESS_SPACE_OPTION)
inline constexpr const char* kNoAddressSpaceLimit =
    "orvex runs under an emulator that cannot cap its address space: a limit on the emulator's "
    "process binds the emulator's own reservations, not orvex's";
#elif defined(ORVEX_TESTS_UNDER_ADDRESS_SANITIZER)
inline constexpr const char* kNoAddressSpaceLimit =
    "AddressSanitizer cannot run under an address-space limit";
#else
inline constexpr const char* kNoAddressSpaceLimit = nullptr;
#endif

// Why orvex cannot be run here with its address space capped at `limit`
// bytes, or empty when it can. Under qemu-user the cap covers the guest's
// addresses from 0 up, where the emulator lays out orvex's image with room
// for its heap (tens of MiB), so a small cap may not even hold that.
std::string whyNoAddressSpaceLimit(std::uint64_t limit);

// The command that starts the built orvex with `arguments`: its executable,
// behind the emulator that runs the build's programs here when orvex cannot
// start on its own (qemu-user, for a Linux cross build).
std::vector<std::string> orvexCommand(const std::vector<std::string>& arguments);

// Runs that command. Under an emulator the address-space limit is passed to
// the emulator (qemu-user's -R), which applies it to orvex alone.
ProcessResult runOrvex(const std::vector<std::string>& arguments, const RunOptions& options);

// What the tool prints as `text`: on Windows standard output is a text stream
// and every line end becomes a carriage return and line feed.
std::string printed(const std::string& text);

// The scratch directory holds input/ with the archive and work/, the current
// directory of the run.
class OrvexRun : public ::testing::Test {
 protected:
  OrvexRun();

  // Writes `archive` to input/test.dat, runs orvex on it in work/ and checks
  // what must hold after every run: no signal, nothing on standard error and
  // the archive unchanged.
  ProcessResult extract(const std::string& archive, const RunOptions& extraOptions = {});
  // The same on an archive of `head` followed by `beyond`, in a sparse file;
  // the caller skips where there are none (whyNoSparseFiles).
  ProcessResult extract(const std::string& head, const Pieces& beyond,
                        const RunOptions& extraOptions = {});
  ProcessResult runWithArguments(const std::vector<std::string>& arguments);

  const std::filesystem::path& root() const { return scratch_.path(); }
  std::filesystem::path work() const { return scratch_.path() / "work"; }
  std::filesystem::path archivePath() const { return scratch_.path() / "input" / "test.dat"; }
  Files workFiles() const { return listTree(work()); }

  // Lays out `standing` in work/, beside outside/, a directory that no run
  // may change, holding the file "target" and the directory "dir". Returns
  // what outside/ holds.
  Files placeStanding(const std::vector<StandingPath>& standing);
  Files outsideFiles() const { return listTree(scratch_.path() / "outside"); }

 private:
  ScratchDirectory scratch_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_ORVEX_RUN_H
