// A second, deliberately plain reading of DAT archives and of what one run
// over them must print and write. The fuzz targets hold the tool to it.
#ifndef ORVEX_FUZZ_REFERENCE_ARCHIVE_H
#define ORVEX_FUZZ_REFERENCE_ARCHIVE_H

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::fuzz {

struct ReferenceRecord {
  std::int64_t offset = 0;
  std::string name;  // the name field up to its first NUL, at most 13 bytes
};

struct ReferenceArchive {
  bool complete = false;                 // a terminator record was read in full
  std::vector<ReferenceRecord> records;  // in file order, the terminator last
};

ReferenceArchive parseArchive(std::string_view bytes);

// Everything one run leaves behind: what it prints, its exit status, and
// the tree of its current directory (path -> bytes; "<dir>" for a directory).
struct ExpectedRun {
  std::string output;
  int status = 0;
  std::map<std::string, std::string> files;
};

// What the current directory holds before a run.
struct StartingDirectory {
  std::set<std::string> directories;         // empty subdirectories
  std::map<std::string, std::string> files;  // ordinary files and their bytes
  std::set<std::string> archiveNames;        // other names of the archive itself
  std::map<std::string, std::string> links;  // symbolic links and their targets
};

// The run over `archive` in a current directory that starts as `start`.
ExpectedRun expectRun(std::string_view archive, const StartingDirectory& start);

// Shows bytes with everything but printable ASCII escaped, for reports.
std::string escaped(std::string_view bytes);

}  // namespace orvex::fuzz

#endif  // ORVEX_FUZZ_REFERENCE_ARCHIVE_H
