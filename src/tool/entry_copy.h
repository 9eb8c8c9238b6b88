// Moving one entry's bytes from the archive into its output file.
#ifndef ORVEX_TOOL_ENTRY_COPY_H
#define ORVEX_TOOL_ENTRY_COPY_H

#include <cstdint>
#include <span>

#include "file_access.h"

namespace orvex {

enum class CopyResult {
  copied,       // every byte was read and written
  readFailed,   // the archive delivered fewer bytes than asked for
  writeFailed,  // the output took fewer bytes than it was given
};

// Copies `size` bytes starting at `offset` of `archive` into `output`: one
// read of the whole entry into a buffer of exactly its size, then one write.
// When that buffer cannot be had, the entry goes through a fixed buffer of
// about a mebibyte instead, so it is still written in full.
CopyResult copyEntry(ArchiveFile& archive, std::int64_t offset, std::int64_t size,
                     OutputFile& output);

// The fallback: copies the same range piece by piece through `buffer`.
CopyResult copyInChunks(ArchiveFile& archive, std::int64_t offset, std::int64_t size,
                        OutputFile& output, std::span<char> buffer);

}  // namespace orvex

#endif  // ORVEX_TOOL_ENTRY_COPY_H
