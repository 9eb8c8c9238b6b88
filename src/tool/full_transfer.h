// Repeats a read or write until all of it is done: a single call may move
// fewer bytes than asked for (Linux moves at most 2 GiB - 4 KiB at once, and
// a signal can cut a call short), which is not an error.
#ifndef ORVEX_TOOL_FULL_TRANSFER_H
#define ORVEX_TOOL_FULL_TRANSFER_H

#include <algorithm>
#include <cerrno>
#include <cstddef>

namespace orvex {

// Largest amount handed to one call, below every platform's own limit.
inline constexpr std::size_t kMaxTransferPerCall = std::size_t{1} << 30;

// `transfer(data, count, done)` moves up to `count` bytes at `data`, the
// `done`-th byte of the whole, and returns how many it moved, 0 at the end
// of the file, or a negative number on failure. Returns whether all `size`
// bytes were moved.
template <typename Transfer>
bool transferFully(char* data, std::size_t size, Transfer transfer) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t count = std::min(size - done, kMaxTransferPerCall);
    const auto moved = transfer(data + done, count, done);
    if (moved < 0 && errno == EINTR) {
      continue;
    }
    if (moved <= 0) {
      return false;
    }
    done += static_cast<std::size_t>(moved);
  }
  return true;
}

}  // namespace orvex

#endif  // ORVEX_TOOL_FULL_TRANSFER_H
