// The extraction of one entry, in-process, where the archive changes under
// the run; and the run's guard against entries that share bytes.
#include "tool/extraction.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "support/archive_builder.h"
#include "support/scratch_directory.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;

// Runs the test inside its own scratch directory, and returns to where it was.
class InScratchDirectory : public ::testing::Test {
 protected:
  InScratchDirectory() : previous_(fs::current_path()) { fs::current_path(scratch_.path()); }
  ~InScratchDirectory() override { fs::current_path(previous_); }

  testing::ScratchDirectory scratch_;
  fs::path previous_;
};

TEST_F(InScratchDirectory, ArchiveCutShortAfterOpeningLeavesNoFileBehind) {
  const std::string bytes = testing::buildArchive({{"A.WAV", "entry bytes"}});
  testing::writeFile("archive.dat", bytes);
  ArchiveFile archive;
  ASSERT_TRUE(archive.open(fs::path("archive.dat").native()));
  DirectoryReadResult read = readDirectory(archive.source());
  ASSERT_EQ(read.status, DirectoryReadStatus::complete);
  std::strcpy(read.directory.records[0].name, "A.wav");

  std::error_code error;
  fs::resize_file("archive.dat", bytes.size() - 3, error);
  if (error) {
    GTEST_SKIP() << "an open file cannot be cut short here: " << error.message();
  }
  WrittenExtents writtenSoFar;
  ::testing::internal::CaptureStdout();
  const bool written = extractEntry(archive, read.directory, 0, writtenSoFar);
  std::fflush(stdout);
  const std::string printed = ::testing::internal::GetCapturedStdout();

  EXPECT_FALSE(written);
  EXPECT_EQ(printed, "File cannot read. : A.wav\n");
  EXPECT_FALSE(fs::exists("A.wav"));
}

struct Extent {
  std::int32_t offset;
  std::int32_t size;
};

// A directory whose even records are the given extents, each followed by a
// record that only marks its end.
ArchiveDirectory directoryOf(const std::vector<Extent>& extents) {
  ArchiveDirectory directory;
  for (const Extent& extent : extents) {
    directory.records.push_back({extent.offset, "E.WAV"});
    directory.records.push_back({extent.offset + extent.size, "END"});
  }
  return directory;
}

TEST(WrittenExtents, AnEntryThatSharesAByteWithAWrittenOneOverlaps) {
  struct OverlapCase {
    const char* title;
    std::vector<Extent> written;  // added in this order
    Extent candidate;
    bool overlaps;
  };
  const OverlapCase cases[] = {
      {"NothingWrittenYet", {}, {0, 100}, false},
      {"RightAfter", {{10, 10}}, {20, 5}, false},
      {"RightBefore", {{10, 10}}, {5, 5}, false},
      {"Inside", {{10, 10}}, {12, 3}, true},
      {"TheSameBytes", {{10, 10}}, {10, 10}, true},
      {"Covering", {{10, 10}}, {0, 100}, true},
      {"LastByteOfTheWrittenOne", {{10, 10}}, {19, 30}, true},
      {"FirstByteOfTheWrittenOne", {{10, 10}}, {5, 6}, true},
      {"EmptyInside", {{10, 10}}, {15, 0}, false},
      {"EmptyCandidateAtTheStart", {{10, 10}}, {10, 0}, false},
      {"EmptyWrittenEntryClaimsNothing", {{10, 0}}, {5, 10}, false},
      {"TheGapBetweenTwo", {{0, 10}, {20, 10}}, {10, 10}, false},
      {"BridgingTwo", {{0, 10}, {20, 10}}, {9, 12}, true},
      {"TheLaterOfTwoBackToBack", {{0, 10}, {10, 10}}, {15, 5}, true},
      {"AfterNeighbours", {{0, 10}, {10, 10}}, {20, 1}, false},
      {"AOneByteEntryCounts", {{10, 1}}, {5, 6}, true},
      {"WrittenOutOfOrder", {{20, 10}, {0, 10}, {10, 10}}, {29, 1}, true},
      {"AfterOutOfOrder", {{20, 10}, {0, 10}, {10, 10}}, {30, 1}, false},
      {"GapLeftByOutOfOrder", {{20, 10}, {0, 10}}, {10, 10}, false},
      {"OneWideStretchSwallowsOthers", {{0, 5}, {10, 5}, {20, 5}, {3, 20}}, {24, 1}, true},
      {"PastTheSwallowedOnes", {{0, 5}, {10, 5}, {20, 5}, {3, 20}}, {25, 5}, false},
      {"AWideEntrySwallowsTheNextStretch", {{0, 5}, {10, 5}, {3, 15}}, {16, 1}, true},
      {"AnEntryInsideKeepsTheWiderEnd", {{0, 20}, {5, 5}}, {15, 1}, true},
      {"AnEarlierWideEntryCoversLaterOnes", {{10, 5}, {0, 30}}, {20, 1}, true},
      {"PastAllMergedStretches", {{10, 5}, {0, 30}}, {30, 1}, false},
      {"NearTheLargestOffsets", {{0x7fffff00, 0xff}}, {0x7ffffffe, 1}, true},
      {"NegativeWrittenSizeClaimsNothing", {{50, -40}}, {10, 20}, false},
      {"NegativeCandidateSizeOverlapsNothing", {{50, -40}, {10, 20}}, {50, -40}, false},
      {"AfterANegativeOne", {{50, -40}, {10, 20}}, {10, 20}, true},
  };
  for (const OverlapCase& c : cases) {
    std::vector<Extent> all = c.written;
    all.push_back(c.candidate);
    const ArchiveDirectory directory = directoryOf(all);
    WrittenExtents written;
    for (std::size_t i = 0; i < c.written.size(); ++i) {
      written.add(directory, 2 * i);
    }
    EXPECT_EQ(written.overlaps(directory, 2 * c.written.size()), c.overlaps) << c.title;
  }
}

}  // namespace
}  // namespace orvex
