#include "orvex_run.h"

namespace orvex::testing {

std::string printed(const std::string& text) {
#ifdef _WIN32
  std::string translated;
  for (const char c : text) {
    if (c == '\n') {
      translated += '\r';
    }
    translated += c;
  }
  return translated;
#else
  return text;
#endif
}

std::vector<std::string> orvexCommand(const std::vector<std::string>& arguments) {
#ifdef ORVEX_LAUNCHER
  std::vector<std::string> command{ORVEX_LAUNCHER};
#else
  std::vector<std::string> command;
#endif
  command.push_back(ORVEX_EXECUTABLE);
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

ProcessResult runOrvex(const std::vector<std::string>& arguments, const RunOptions& options) {
  std::vector<std::string> command = orvexCommand(arguments);
  RunOptions childOptions = options;
#ifdef ORVEX_LAUNCHER_ADDRESS_SPACE_OPTION
  if (options.addressSpaceLimit) {
    command.insert(command.begin() + 1, {ORVEX_LAUNCHER_ADDRESS_SPACE_OPTION,
                                         std::to_string(*options.addressSpaceLimit)});
    childOptions.addressSpaceLimit.reset();
  }
#endif
  const std::string program = command.front();
  command.erase(command.begin());
  return runProcess(program, command, childOptions);
}

std::string whyNoAddressSpaceLimit(std::uint64_t limit) {
  if (kNoAddressSpaceLimit != nullptr) {
    return kNoAddressSpaceLimit;
  }
#ifdef ORVEX_LAUNCHER
  RunOptions options;
  options.addressSpaceLimit = limit;
  const ProcessResult probe = runOrvex({}, options);
  if (probe.output != "orvex **.DAT") {
    std::string message = probe.errors;
    while (!message.empty() && message.back() == '\n') {
      message.pop_back();
    }
    return "under the emulator orvex cannot start in " + std::to_string(limit >> 20) +
           " MiB of address space: " + message;
  }
#else
  (void)limit;
#endif
  return "";
}

OrvexRun::OrvexRun() {
  std::filesystem::create_directory(scratch_.path() / "input");
  std::filesystem::create_directory(work());
}

ProcessResult OrvexRun::extract(const std::string& archive, const RunOptions& extraOptions) {
  return extract(archive, {}, extraOptions);
}

ProcessResult OrvexRun::extract(const std::string& head, const Pieces& beyond,
                                const RunOptions& extraOptions) {
  writeFile(archivePath(), head);
  writePieces(archivePath(), beyond);
  const auto modified = std::filesystem::last_write_time(archivePath());
  RunOptions options = extraOptions;
  options.workingDirectory = work();
  ProcessResult result = runOrvex({archivePath().string()}, options);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.errors, "");
  // A sparse archive is too large to read back; a write would move its time.
  if (beyond.empty()) {
    EXPECT_EQ(readFile(archivePath()), head) << "the archive was changed";
  }
  EXPECT_EQ(std::filesystem::last_write_time(archivePath()), modified) << "the archive was changed";
  return result;
}

Files OrvexRun::placeStanding(const std::vector<StandingPath>& standing) {
  const std::filesystem::path outside = scratch_.path() / "outside";
  std::filesystem::create_directories(outside / "dir");
  writeFile(outside / "target", "outside");
  for (const StandingPath& path : standing) {
    const std::filesystem::path at = work() / path.name;
    std::filesystem::create_directories(at.parent_path());
    if (path.linkTarget.empty()) {
      std::filesystem::create_directory(at);
    } else if (path.linkTarget.front() == '/') {
      makeSymbolicLink(scratch_.path().string() + path.linkTarget, at);
    } else {
      makeSymbolicLink(path.linkTarget, at);
    }
  }
  return outsideFiles();
}

ProcessResult OrvexRun::runWithArguments(const std::vector<std::string>& arguments) {
  ProcessResult result = runOrvex(arguments, {work(), {}, {}});
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.errors, "");
  return result;
}

}  // namespace orvex::testing
