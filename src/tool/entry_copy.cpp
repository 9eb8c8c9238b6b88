#include "entry_copy.h"

#include <algorithm>
#include <memory>
#include <new>

namespace orvex {
namespace {

constexpr std::size_t kFallbackBufferSize = std::size_t{1} << 20;

// Static, so that the fallback itself needs no allocation when memory is short.
char fallbackBuffer[kFallbackBufferSize];

bool readAt(std::istream& archive, std::int64_t offset, char* destination, std::size_t size) {
  archive.clear();
  archive.seekg(static_cast<std::streamoff>(offset));
  archive.read(destination, static_cast<std::streamsize>(size));
  const bool complete = archive && archive.gcount() == static_cast<std::streamsize>(size);
  archive.clear();  // a short read must not spoil the next entry's positioning
  return complete;
}

bool writeAll(std::FILE* output, const char* source, std::size_t size) {
  return std::fwrite(source, 1, size, output) == size;
}

}  // namespace

CopyResult copyInChunks(std::istream& archive, std::int64_t offset, std::int64_t size,
                        std::FILE* output, std::span<char> buffer) {
  std::int64_t done = 0;
  while (done < size) {
    const std::size_t piece =
        static_cast<std::size_t>(std::min<std::int64_t>(size - done, std::ssize(buffer)));
    if (!readAt(archive, offset + done, buffer.data(), piece)) {
      return CopyResult::readFailed;
    }
    if (!writeAll(output, buffer.data(), piece)) {
      return CopyResult::writeFailed;
    }
    done += static_cast<std::int64_t>(piece);
  }
  return CopyResult::copied;
}

CopyResult copyEntry(std::istream& archive, std::int64_t offset, std::int64_t size,
                     std::FILE* output) {
  const auto byteCount = static_cast<std::size_t>(size);
  const std::unique_ptr<char[]> whole(new (std::nothrow) char[byteCount]);
  if (!whole) {
    return copyInChunks(archive, offset, size, output, fallbackBuffer);
  }
  if (!readAt(archive, offset, whole.get(), byteCount)) {
    return CopyResult::readFailed;
  }
  return writeAll(output, whole.get(), byteCount) ? CopyResult::copied : CopyResult::writeFailed;
}

}  // namespace orvex
