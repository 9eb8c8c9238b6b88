#include "tool/entry_copy.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

namespace orvex {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string contents(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string bytes;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.append(buffer, got);
  }
  return bytes;
}

std::string patternBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((i * 131 + 7) % 251);
  }
  return bytes;
}

TEST(CopyEntry, WholeAndChunkedCopiesGiveTheSameBytes) {
  const std::string archiveBytes = patternBytes(10000);
  struct Range {
    std::int64_t offset;
    std::int64_t size;
  };
  for (const Range range : {Range{0, 0}, Range{0, 10000}, Range{17, 5000}, Range{9999, 1}}) {
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
      std::istringstream archive(archiveBytes);
      File whole(std::tmpfile());
      File chunked(std::tmpfile());
      ASSERT_TRUE(whole && chunked);
      std::string buffer(chunk, '\0');
      EXPECT_EQ(copyEntry(archive, range.offset, range.size, whole.get()), CopyResult::copied);
      EXPECT_EQ(copyInChunks(archive, range.offset, range.size, chunked.get(), buffer),
                CopyResult::copied);
      const std::string expected = archiveBytes.substr(static_cast<std::size_t>(range.offset),
                                                       static_cast<std::size_t>(range.size));
      EXPECT_EQ(contents(whole.get()), expected) << range.offset << "+" << range.size;
      EXPECT_EQ(contents(chunked.get()), expected)
          << range.offset << "+" << range.size << "/" << chunk;
    }
  }
}

TEST(CopyEntry, ShortReadIsReportedAndTheStreamStaysUsable) {
  std::istringstream archive(patternBytes(100));
  File output(std::tmpfile());
  ASSERT_TRUE(output);
  std::string buffer(8, '\0');
  EXPECT_EQ(copyEntry(archive, 90, 20, output.get()), CopyResult::readFailed);
  EXPECT_EQ(copyInChunks(archive, 90, 20, output.get(), buffer), CopyResult::readFailed);
  EXPECT_EQ(contents(output.get()).size(), 8u);  // the one full chunk before the end
  File next(std::tmpfile());
  EXPECT_EQ(copyEntry(archive, 0, 4, next.get()), CopyResult::copied);
  EXPECT_EQ(contents(next.get()), patternBytes(4));
}

#ifdef __linux__
TEST(CopyEntry, FullDiskIsReportedAsAWriteFailure) {
  std::istringstream archive(patternBytes(100000));
  for (const std::int64_t size : {std::int64_t{100000}, std::int64_t{10}}) {
    File full(std::fopen("/dev/full", "wb"));
    ASSERT_TRUE(full);
    std::setvbuf(full.get(), nullptr, _IONBF, 0);
    EXPECT_EQ(copyEntry(archive, 0, size, full.get()), CopyResult::writeFailed) << size;
  }
}
#endif

}  // namespace
}  // namespace orvex
