// A fresh directory per test, removed with everything in it afterwards, and
// helpers to read and write the files in it.
#ifndef ORVEX_TESTS_SUPPORT_SCRATCH_DIRECTORY_H
#define ORVEX_TESTS_SUPPORT_SCRATCH_DIRECTORY_H

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace orvex::testing {

class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

// Makes `link` a symbolic link to `target`. Under Wine, whose Windows calls
// make none, by the system's own ln: Wine shows a link to a directory as a
// reparse point.
void makeSymbolicLink(const std::string& target, const std::filesystem::path& link);

// Bytes at their offsets in a file, with holes between: how the tests lay out
// archives too large to build in memory.
using Pieces = std::map<std::uint64_t, std::string>;

// Writes each piece at its offset into the existing file at `path`.
void writePieces(const std::filesystem::path& path, const Pieces& pieces);

// Why no file of `size` bytes, mostly holes that take no disk space, can be
// written in `directory`, or empty when one can.
std::string whyNoSparseFiles(const std::filesystem::path& directory, std::uint64_t size);

// The path of a file that the tool names `name` (on Windows the narrow file
// functions read names in the ANSI code page).
std::filesystem::path narrowNamePath(const std::string& name);

// Every entry below `root`, by path relative to it with '/' between
// components: a regular file maps to its bytes, a directory to "<dir>", a
// symbolic link to "<link to TARGET>", anything else to "<device or pipe>".
std::map<std::string, std::string> listTree(const std::filesystem::path& root);

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_SCRATCH_DIRECTORY_H
