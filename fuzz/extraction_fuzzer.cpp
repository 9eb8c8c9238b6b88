// Runs the whole extraction on an arbitrary archive, in a scratch directory
// of its own, and checks what the run left behind against the plain reading
// of the format: the exact messages and exit status, every file announced by
// a "done." line with exactly the entry's bytes, nothing else in the current
// directory, nothing new around it, and the archive unchanged.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>

#include "fuzz_check.h"
#include "reference_archive.h"
#include "tool/extraction.h"

namespace orvex::fuzz {
namespace {

namespace fs = std::filesystem;

// The run's current directory lies a few levels down, so that a name that
// climbed out of it would land somewhere the checks look. It starts with a
// subdirectory, a file to be overwritten and a hard link to the archive.
const char* const kWorkPath = "l1/l2/l3/work";

const StartingDirectory& startingDirectory() {
  static const StartingDirectory start{{"sub"}, {{"old.wav", "previous bytes"}}, {"self.wav"}};
  return start;
}

struct Scratch {
  fs::path root;
  int output = -1;  // standard output of the run, kept in root/stdout.txt
};

void removeScratch();

Scratch& scratch() {
  static Scratch instance = [] {
    Scratch made;
    std::string pattern = (fs::temp_directory_path() / "orvex-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    made.root = pattern;
    fs::create_directories(made.root / kWorkPath);
    made.output = open((made.root / "stdout.txt").c_str(),
                       O_RDWR | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (made.output < 0 || dup2(made.output, STDOUT_FILENO) < 0 ||
        chdir((made.root / kWorkPath).c_str()) != 0) {
      std::perror("preparing the scratch directory");
      std::abort();
    }
    return made;
  }();
  // Registered once `instance` is complete, so that it runs before its destructor.
  static const bool removedAtExit = std::atexit(removeScratch) == 0;
  (void)removedAtExit;
  return instance;
}

void removeScratch() {
  std::error_code ignored;
  fs::remove_all(scratch().root, ignored);
}

std::string readWhole(const fs::path& path) {
  std::string bytes;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return "<unreadable>";
  }
  char buffer[65536];
  ssize_t got = 0;
  while ((got = read(fd, buffer, sizeof buffer)) > 0) {
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  return bytes;
}

void writeWhole(const fs::path& path, const std::string& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
      close(fd) != 0) {
    std::perror("writing the archive");
    std::abort();
  }
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

// Every entry below `root`: files with their bytes, "<dir>" for directories,
// "<other>" for anything else (a run never makes links or devices).
std::map<std::string, std::string> listTree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const std::string path = entry.path().lexically_relative(root).generic_string();
    const fs::file_status status = entry.symlink_status();
    if (fs::is_regular_file(status)) {
      tree[path] = readWhole(entry.path());
    } else if (fs::is_directory(status)) {
      tree[path] = "<dir>";
    } else {
      tree[path] = "<other>";
    }
  }
  return tree;
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
  const fs::path work = scratch().root / kWorkPath;
  for (const fs::directory_entry& entry : fs::directory_iterator(work)) {
    fs::remove_all(entry.path());
  }
  const StartingDirectory& start = startingDirectory();
  for (const std::string& directory : start.directories) {
    fs::create_directory(work / directory);
  }
  for (const auto& [name, bytes] : start.files) {
    writeWhole(work / name, bytes);
  }
  for (const std::string& name : start.archiveNames) {
    fs::create_hard_link(scratch().root / "archive.dat", work / name);
  }
}

}  // namespace
}  // namespace orvex::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvex::fuzz;
  const std::string archive(reinterpret_cast<const char*>(data), size);
  const Scratch& place = scratch();
  const fs::path archivePath = place.root / "archive.dat";
  writeWhole(archivePath, archive);
  prepareWorkDirectory();

  const int status = orvex::runExtraction(archivePath.string());
  const std::string output = takeOutput();

  const ExpectedRun expected = expectRun(archive, startingDirectory());
  checkEqual("messages", expected.output, output);
  checkEqual("exit status", expected.status, status);

  std::map<std::string, std::string> expectedTree = {
      {"archive.dat", archive}, {"stdout.txt", ""},    {"l1", "<dir>"},
      {"l1/l2", "<dir>"},       {"l1/l2/l3", "<dir>"}, {kWorkPath, "<dir>"}};
  for (const auto& [path, bytes] : expected.files) {
    expectedTree[std::string(kWorkPath) + "/" + path] = bytes;
  }
  const std::map<std::string, std::string> tree = listTree(place.root);
  if (tree != expectedTree) {
    fail("files after the run", describe(expectedTree), describe(tree));
  }
  return 0;
}
