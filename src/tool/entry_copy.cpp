#include "entry_copy.h"

#include <algorithm>

namespace orvex {
namespace {

constexpr std::size_t kFallbackBufferSize = std::size_t{1} << 20;

// Static, so that the fallback itself needs no allocation when memory is short.
char fallbackBuffer[kFallbackBufferSize];

}  // namespace

CopyResult copyInChunks(ArchiveFile& archive, std::int64_t offset, std::int64_t size,
                        OutputFile& output, std::span<char> buffer) {
  std::int64_t done = 0;
  while (done < size) {
    const auto piece =
        static_cast<std::size_t>(std::min<std::int64_t>(size - done, std::ssize(buffer)));
    if (!archive.readAt(offset + done, buffer.data(), piece)) {
      return CopyResult::readFailed;
    }
    if (!output.writeAll(buffer.data(), piece)) {
      return CopyResult::writeFailed;
    }
    done += static_cast<std::int64_t>(piece);
  }
  return CopyResult::copied;
}

CopyResult copyEntry(ArchiveFile& archive, std::int64_t offset, std::int64_t size,
                     OutputFile& output) {
  const auto byteCount = static_cast<std::size_t>(size);
  const EntryBuffer whole(byteCount);
  if (whole.empty()) {
    return copyInChunks(archive, offset, size, output, fallbackBuffer);
  }
  if (!archive.readAt(offset, whole.data(), byteCount)) {
    return CopyResult::readFailed;
  }
  return output.writeAll(whole.data(), byteCount) ? CopyResult::copied : CopyResult::writeFailed;
}

}  // namespace orvex
