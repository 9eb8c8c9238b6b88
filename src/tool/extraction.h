// The extraction run: from opening the archive to closing it.
#ifndef ORVEX_TOOL_EXTRACTION_H
#define ORVEX_TOOL_EXTRACTION_H

#include <string>

#include "archive/archive_directory.h"
#include "file_access.h"
#include "written_extents.h"

namespace orvex {

inline constexpr int kExitSuccess = 0;
// The archive could not be opened or read, or some entry was not written in full.
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = -1;

// Writes the entry of record `index` to a file named by the record's name,
// relative to the current directory, and prints one line about the outcome.
// An entry that shares bytes with one in `written` is refused; one written in
// full is added there. Returns whether the entry was written in full.
bool extractEntry(ArchiveFile& archive, const ArchiveDirectory& directory, std::size_t index,
                  WrittenExtents& written);

// Opens the archive, reads its directory and extracts every entry whose name
// has an extractable ending. Returns the exit status.
int runExtraction(const NativePath& archivePath);

}  // namespace orvex

#endif  // ORVEX_TOOL_EXTRACTION_H
