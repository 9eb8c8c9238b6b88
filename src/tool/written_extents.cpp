#include "written_extents.h"

#include <algorithm>
#include <iterator>

namespace orvex {

bool WrittenExtents::overlaps(const ArchiveDirectory& directory, std::size_t index) const {
  const std::int64_t size = entrySize(directory, index);
  if (size <= 0) {
    return false;
  }
  const std::int64_t first = directory.records[index].offset;
  const std::int64_t end = first + size;
  if (stretches_.empty() || first >= std::prev(stretches_.end())->second) {
    return false;  // the usual case: past everything written so far
  }
  // Only the last stretch that starts before the entry's end can reach into
  // it: every stretch before that one ends before that one starts.
  auto after = stretches_.lower_bound(end);
  if (after == stretches_.begin()) {
    return false;
  }
  return std::prev(after)->second > first;
}

void WrittenExtents::add(const ArchiveDirectory& directory, std::size_t index) {
  const std::int64_t size = entrySize(directory, index);
  if (size <= 0) {
    return;
  }
  const std::int64_t first = directory.records[index].offset;
  const std::int64_t end = first + size;
  // The usual cases first, in constant time: the entry follows the last
  // stretch, or lies past it.
  if (!stretches_.empty() && first == std::prev(stretches_.end())->second) {
    std::prev(stretches_.end())->second = end;
    return;
  }
  if (stretches_.empty() || first > std::prev(stretches_.end())->second) {
    stretches_.emplace_hint(stretches_.end(), first, end);
    return;
  }
  // Otherwise grow the stretch that reaches up to the entry, or start a new
  // one, and let it swallow the stretches it now reaches.
  auto next = stretches_.upper_bound(first);
  auto grown = next;
  if (next != stretches_.begin() && std::prev(next)->second >= first) {
    grown = std::prev(next);
    grown->second = std::max(grown->second, end);
  } else {
    grown = stretches_.emplace_hint(next, first, end);
  }
  while (next != stretches_.end() && next->first <= grown->second) {
    grown->second = std::max(grown->second, next->second);
    next = stretches_.erase(next);
  }
}

}  // namespace orvex
