// The run's guard against entries that would write the same archive bytes
// twice.
#ifndef ORVEX_TOOL_WRITTEN_EXTENTS_H
#define ORVEX_TOOL_WRITTEN_EXTENTS_H

#include <cstddef>
#include <cstdint>
#include <map>

#include "archive/archive_directory.h"

namespace orvex {

// The bytes of the archive that entries written so far in one run came from.
// Entries may point at the same bytes, so a crafted directory of N records
// could have every entry cover the whole archive and ask for N times its size
// on disk; an entry that shares a byte with one already written is refused
// instead, so a run never writes more bytes than the archive holds. Looking
// up and adding an entry take logarithmic time in the number of separate
// stretches kept, and entries that follow one another merge into one.
class WrittenExtents {
 public:
  // Whether the entry of record `index` shares at least one byte with an
  // entry added here. An empty entry shares none.
  bool overlaps(const ArchiveDirectory& directory, std::size_t index) const;
  // Adds the entry of record `index`, whose bytes lie in the archive.
  void add(const ArchiveDirectory& directory, std::size_t index);

 private:
  // First byte -> one past the last byte of each stretch; the stretches are
  // disjoint and never touch.
  std::map<std::int64_t, std::int64_t> stretches_;
};

}  // namespace orvex

#endif  // ORVEX_TOOL_WRITTEN_EXTENTS_H
