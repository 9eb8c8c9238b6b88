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

OrvexRun::OrvexRun() {
  std::filesystem::create_directory(scratch_.path() / "input");
  std::filesystem::create_directory(work());
}

ProcessResult OrvexRun::extract(const std::string& archive, const RunOptions& extraOptions) {
  writeFile(archivePath(), archive);
  RunOptions options = extraOptions;
  options.workingDirectory = work();
  ProcessResult result = runProcess(ORVEX_EXECUTABLE, {archivePath().string()}, options);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(readFile(archivePath()), archive) << "the archive was changed";
  return result;
}

ProcessResult OrvexRun::runWithArguments(const std::vector<std::string>& arguments) {
  ProcessResult result = runProcess(ORVEX_EXECUTABLE, arguments, {work(), {}, {}});
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.errors, "");
  return result;
}

}  // namespace orvex::testing
