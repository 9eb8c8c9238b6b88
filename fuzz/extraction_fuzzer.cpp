// Runs the whole extraction on an arbitrary archive, in a scratch directory
// of its own, and checks what the run left behind against the plain reading
// of the format: the exact messages and exit status, every file announced by
// a "done." line with exactly the entry's bytes, nothing else in the current
// directory, nothing new around it, and the archive unchanged. Whatever the
// archive says, the run writes no more bytes than the archive holds and
// prints no control character but line ends.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "fuzz_check.h"
#include "reference_archive.h"
#include "support/scratch_directory.h"
#include "tool/extraction.h"

// Bytes the tool has written into files so far. The fuzz executables are
// linked with --wrap=write and --wrap=fwrite, so every write call in the
// tool's own code passes through the wrappers below and is counted here;
// standard output is left out.
namespace {
std::int64_t bytesIntoFiles = 0;
}

extern "C" {
ssize_t __real_write(int fd, const void* data, std::size_t count);
std::size_t __real_fwrite(const void* data, std::size_t size, std::size_t count, FILE* stream);

ssize_t __wrap_write(int fd, const void* data, std::size_t count) {
  const ssize_t written = __real_write(fd, data, count);
  if (fd != STDOUT_FILENO && written > 0) {
    bytesIntoFiles += written;
  }
  return written;
}

std::size_t __wrap_fwrite(const void* data, std::size_t size, std::size_t count, FILE* stream) {
  const std::size_t written = __real_fwrite(data, size, count, stream);
  if (stream != stdout) {
    bytesIntoFiles += static_cast<std::int64_t>(written * size);
  }
  return written;
}
}

namespace orvex::fuzz {
namespace {

namespace fs = std::filesystem;

// The run's current directory lies a few levels down, so that a name that
// climbed out of it would land somewhere the checks look. It starts with a
// subdirectory, a file to be overwritten, a hard link to the archive, and
// symbolic links, none of which may be followed: out of the directory, to a
// file and a subdirectory inside it, and to nothing.
const char* const kWorkPath = "l1/l2/l3/work";

const StartingDirectory& startingDirectory() {
  static const StartingDirectory start{
      {"sub"},
      {{"old.wav", "previous bytes"}},
      {"self.wav"},
      {{"up", ".."}, {"in.wav", "old.wav"}, {"sl", "sub"}, {"gone.wav", "../none"}}};
  return start;
}

// The scratch directory of this process, removed at exit, with the run's
// standard output kept in stdout.txt inside it.
struct Scratch {
  testing::ScratchDirectory directory;
  int output = -1;

  Scratch() {
    const fs::path& root = directory.path();
    fs::create_directories(root / kWorkPath);
    output = open((root / "stdout.txt").c_str(), O_RDWR | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC,
                  0644);
    if (output < 0 || dup2(output, STDOUT_FILENO) < 0 || chdir((root / kWorkPath).c_str()) != 0) {
      std::perror("preparing the scratch directory");
      std::abort();
    }
  }
  const fs::path& root() const { return directory.path(); }
};

Scratch& scratch() {
  static Scratch instance;
  return instance;
}

// What the run printed so far; empties the record for the next run.
std::string takeOutput() {
  std::fflush(stdout);
  const int fd = scratch().output;
  std::string printed;
  char buffer[65536];
  ssize_t got = 0;
  while ((got = pread(fd, buffer, sizeof buffer, static_cast<off_t>(printed.size()))) > 0) {
    printed.append(buffer, static_cast<std::size_t>(got));
  }
  if (ftruncate(fd, 0) != 0) {
    std::perror("ftruncate");
    std::abort();
  }
  return printed;
}

void checkPrintable(const std::string& output) {
  for (const char c : output) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\n') || byte == 0x7f) {
      fail("standard output holds no control character but line ends", "", output);
    }
  }
}

std::string describe(const std::map<std::string, std::string>& tree) {
  std::string text;
  for (const auto& [path, bytes] : tree) {
    text += "[" + path + "] = " + bytes.substr(0, 64) + (bytes.size() > 64 ? "..." : "") + "; ";
  }
  return text;
}

// Leaves the current directory as the next run expects to find it.
void prepareWorkDirectory() {
  const fs::path work = scratch().root() / kWorkPath;
  for (const fs::directory_entry& entry : fs::directory_iterator(work)) {
    fs::remove_all(entry.path());
  }
  const StartingDirectory& start = startingDirectory();
  for (const std::string& directory : start.directories) {
    fs::create_directory(work / directory);
  }
  for (const auto& [name, bytes] : start.files) {
    testing::writeFile(work / name, bytes);
  }
  for (const std::string& name : start.archiveNames) {
    fs::create_hard_link(scratch().root() / "archive.dat", work / name);
  }
  for (const auto& [name, target] : start.links) {
    fs::create_symlink(target, work / name);
  }
}

}  // namespace
}  // namespace orvex::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvex::fuzz;
  const std::string archive(reinterpret_cast<const char*>(data), size);
  const Scratch& place = scratch();
  const fs::path archivePath = place.root() / "archive.dat";
  orvex::testing::writeFile(archivePath, archive);
  prepareWorkDirectory();

  bytesIntoFiles = 0;
  const int status = orvex::runExtraction(archivePath.string());
  const std::string output = takeOutput();
  if (bytesIntoFiles > static_cast<std::int64_t>(size)) {
    fail("bytes written into files at most the archive's size", std::to_string(size),
         std::to_string(bytesIntoFiles));
  }
  checkPrintable(output);

  const ExpectedRun expected = expectRun(archive, startingDirectory());
  checkEqual("messages", expected.output, output);
  checkEqual("exit status", expected.status, status);

  std::map<std::string, std::string> expectedTree = {
      {"archive.dat", archive}, {"stdout.txt", ""},    {"l1", "<dir>"},
      {"l1/l2", "<dir>"},       {"l1/l2/l3", "<dir>"}, {kWorkPath, "<dir>"}};
  for (const auto& [path, bytes] : expected.files) {
    expectedTree[std::string(kWorkPath) + "/" + path] = bytes;
  }
  const std::map<std::string, std::string> tree = orvex::testing::listTree(place.root());
  if (tree != expectedTree) {
    fail("files after the run", describe(expectedTree), describe(tree));
  }
  return 0;
}
