#include "archive/archive_directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/archive_builder.h"
#include "support/chunked_source.h"

namespace orvex {
namespace {

using testing::buildArchive;
using testing::ChunkedSource;
using testing::int32Bytes;
using testing::recordBytes;

struct Named {
  std::int32_t offset;
  std::string name;
};

struct DirectoryCase {
  const char* title;
  std::string bytes;
  DirectoryReadStatus status;
  std::vector<Named> records;
};

std::vector<Named> namedRecords(const ArchiveDirectory& directory) {
  std::vector<Named> named;
  for (const DirectoryRecord& record : directory.records) {
    named.push_back({record.offset, record.name});
  }
  return named;
}

std::string titleOf(const ::testing::TestParamInfo<DirectoryCase>& param) {
  return param.param.title;
}

// Names the case in test output instead of dumping its bytes.
void PrintTo(const DirectoryCase& c, std::ostream* out) {
  *out << c.title;
}

class ReadDirectory : public ::testing::TestWithParam<DirectoryCase> {};

void expectRecords(const DirectoryReadResult& result, const DirectoryCase& c,
                   const std::string& how) {
  EXPECT_EQ(result.status, c.status) << how;
  const std::vector<Named> actual = namedRecords(result.directory);
  ASSERT_EQ(actual.size(), c.records.size()) << how;
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_EQ(actual[i].offset, c.records[i].offset) << how << ", record " << i;
    EXPECT_EQ(actual[i].name, c.records[i].name) << how << ", record " << i;
  }
}

TEST_P(ReadDirectory, ReadsRecordsUpToTheTerminator) {
  const DirectoryCase& c = GetParam();
  // Reads that end anywhere, inside the count or a record, change nothing.
  for (const std::size_t chunk : {1u, 3u, 16u, 17u, 18u, 40u, 70000u}) {
    ChunkedSource source(c.bytes, chunk);
    expectRecords(readDirectory(source), c, "in pieces of " + std::to_string(chunk));
  }
}

const std::string kTwoEntries =
    recordBytes(55, "A.WAV") + recordBytes(58, "B.TXT") + recordBytes(60, "") + "abcde";

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadDirectory,
    ::testing::Values(
        DirectoryCase{"Empty", "", DirectoryReadStatus::truncated, {}},
        DirectoryCase{"CountCut", "\x02\x00\x00", DirectoryReadStatus::truncated, {}},
        DirectoryCase{"CountOnly", int32Bytes(1), DirectoryReadStatus::truncated, {}},
        DirectoryCase{"TerminatorFirst",
                      int32Bytes(1) + recordBytes(21, ""),
                      DirectoryReadStatus::complete,
                      {{21, ""}}},
        DirectoryCase{"TwoEntries",
                      int32Bytes(3) + kTwoEntries,
                      DirectoryReadStatus::complete,
                      {{55, "A.WAV"}, {58, "B.TXT"}, {60, ""}}},
        DirectoryCase{"CountTooSmallStillReadsOn",
                      int32Bytes(1) + kTwoEntries,
                      DirectoryReadStatus::complete,
                      {{55, "A.WAV"}, {58, "B.TXT"}, {60, ""}}},
        DirectoryCase{"NegativeCount",
                      int32Bytes(-1) + kTwoEntries,
                      DirectoryReadStatus::complete,
                      {{55, "A.WAV"}, {58, "B.TXT"}, {60, ""}}},
        DirectoryCase{"HugeCount",
                      int32Bytes(0x7fffffff) + kTwoEntries,
                      DirectoryReadStatus::complete,
                      {{55, "A.WAV"}, {58, "B.TXT"}, {60, ""}}},
        DirectoryCase{"RecordsAfterTerminatorIgnored",
                      int32Bytes(3) + recordBytes(38, "") + recordBytes(40, "X.WAV"),
                      DirectoryReadStatus::complete,
                      {{38, ""}}},
        DirectoryCase{"BytesAfterNameNulIgnored",
                      int32Bytes(2) + recordBytes(-7, std::string("AB.MP3\0junk", 11)) +
                          recordBytes(0x01020304, std::string("\0rest", 5)),
                      DirectoryReadStatus::complete,
                      {{-7, "AB.MP3"}, {0x01020304, ""}}},
        DirectoryCase{"TwelveCharacterName",
                      int32Bytes(2) + recordBytes(1, "ABCDEFGH.WAV") + recordBytes(2, ""),
                      DirectoryReadStatus::complete,
                      {{1, "ABCDEFGH.WAV"}, {2, ""}}},
        DirectoryCase{"NameFieldWithoutNul",
                      int32Bytes(2) + recordBytes(1, "ABCDEFGHI.WAV") + recordBytes(2, ""),
                      DirectoryReadStatus::complete,
                      {{1, "ABCDEFGHI.WAV"}, {2, ""}}},
        DirectoryCase{"EndsInsideOffset",
                      int32Bytes(2) + recordBytes(30, "A.WAV") + "\x1e\x00",
                      DirectoryReadStatus::truncated,
                      {{30, "A.WAV"}}},
        DirectoryCase{"EndsInsideTerminatorName",
                      int32Bytes(2) + recordBytes(30, "A.WAV") + recordBytes(30, "").substr(0, 10),
                      DirectoryReadStatus::truncated,
                      {{30, "A.WAV"}}},
        DirectoryCase{"EndsWithoutTerminator",
                      int32Bytes(2) + recordBytes(30, "A.WAV"),
                      DirectoryReadStatus::truncated,
                      {{30, "A.WAV"}}}),
    titleOf);

TEST(ReadDirectoryLimits, HugeCountReservesOnlyWhatTheArchiveCanHold) {
  for (const std::int32_t count : {0x7fffffff, -1, -2147483647 - 1}) {
    ChunkedSource source(int32Bytes(count) + recordBytes(21, ""), 1 << 20);
    const DirectoryReadResult result = readDirectory(source);
    EXPECT_LE(result.directory.records.capacity(), 16u) << "count " << count;
  }
}

TEST(ReadDirectoryLimits, GrowsPastTheCount) {
  std::vector<testing::Entry> entries(500, {"E.WAV", "x"});
  ChunkedSource source(buildArchive(entries, 2) + "trailing", 1 << 20);
  const DirectoryReadResult result = readDirectory(source);
  ASSERT_EQ(result.status, DirectoryReadStatus::complete);
  EXPECT_EQ(entryCount(result.directory), 500u);
}

// A source whose length is unknown, as a pipe's: the count alone (capped)
// sizes the first reservation.
TEST(ReadDirectoryLimits, ReadsASourceOfUnknownLength) {
  for (const std::int32_t count : {3, 0x7fffffff}) {
    ChunkedSource source(buildArchive({{"A.WAV", "a"}, {"B.MP3", "b"}}, count), 1 << 20);
    source.lengthKnown = false;
    const DirectoryReadResult result = readDirectory(source);
    ASSERT_EQ(result.status, DirectoryReadStatus::complete) << "count " << count;
    EXPECT_EQ(entryCount(result.directory), 2u);
    EXPECT_STREQ(result.directory.records[1].name, "B.MP3");
  }
}

TEST(ReadDirectoryLimits, ReadsManyRecordsAtATimeWhateverTheCountSays) {
  constexpr std::size_t kEntries = 10000;  // the directory spans several blocks
  const std::vector<testing::Entry> entries(kEntries, {"E.WAV", "x"});
  struct CountCase {
    std::int32_t count;
    std::size_t chunk;
    std::size_t mostReads;  // after the count's
  };
  for (const CountCase& c : {CountCase{kEntries + 1, 1 << 20, 3},  // honest
                             CountCase{kEntries, 1 << 20, 3},      // terminator left out
                             CountCase{2, 1 << 20, 4},             // too small
                             CountCase{-5, 1 << 20, 3},            // negative
                             CountCase{0x7fffffff, 1 << 20, 3},    // far too large
                             CountCase{kEntries + 1, 1000, 171}}) {
    ChunkedSource source(buildArchive(entries, c.count) + std::string(100000, 'd'), c.chunk);
    const DirectoryReadResult result = readDirectory(source);
    const std::string how = "count " + std::to_string(c.count);
    ASSERT_EQ(result.status, DirectoryReadStatus::complete) << how;
    EXPECT_EQ(entryCount(result.directory), kEntries) << how;
    EXPECT_EQ(result.directory.records[kEntries - 1].offset + 1,
              result.directory.records[kEntries].offset)
        << how;
    EXPECT_LE(source.requests.size(), 1 + c.mostReads) << how;
    for (const std::size_t request : source.requests) {
      EXPECT_LT(request, std::size_t{65536}) << how;
    }
  }
}

TEST(ReadDirectoryLimits, ASmallDirectoryComesInOneRead) {
  ChunkedSource source(buildArchive({{"A.WAV", "aaaa"}, {"B.JPG", "bbbb"}}), 1 << 20);
  const DirectoryReadResult result = readDirectory(source);
  ASSERT_EQ(result.status, DirectoryReadStatus::complete);
  EXPECT_EQ(source.requests.size(), 2u);  // the count, then every record
}

TEST(EntryExtent, SizeAndBoundsFollowFromNeighbouringOffsets) {
  struct ExtentCase {
    std::int32_t offset;
    std::int32_t next;
    std::int64_t archiveSize;
    std::int64_t size;
    bool inArchive;
  };
  const ExtentCase cases[] = {
      {40, 50, 50, 10, true},                                 // ends exactly at the end
      {40, 51, 50, 11, false},                                // ends one byte past the end
      {40, 40, 40, 0, true},                                  // empty entry at the very end
      {41, 41, 40, 0, false},                                 // empty entry starting past the end
      {50, 40, 100, -10, false},                              // offsets decrease
      {-5, 10, 100, 15, false},                               // negative offset
      {-2147483647 - 1, 2147483647, 100, 4294967295, false},  // no 32-bit overflow
      {0, 2147483647, 2147483647, 2147483647, true},
  };
  for (const ExtentCase& c : cases) {
    ArchiveDirectory directory;
    directory.records.resize(3);
    directory.records[1].offset = c.offset;
    directory.records[2].offset = c.next;
    EXPECT_EQ(entrySize(directory, 1), c.size) << c.offset << ".." << c.next;
    EXPECT_EQ(entryLiesInArchive(directory, 1, c.archiveSize), c.inArchive)
        << c.offset << ".." << c.next << " in " << c.archiveSize;
  }
}

}  // namespace
}  // namespace orvex
