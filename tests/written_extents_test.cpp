#include "tool/written_extents.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orvex {
namespace {

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
      {"AcrossTheSeamOfNeighbours", {{0, 10}, {10, 10}}, {9, 2}, true},
      {"AfterNeighbours", {{0, 10}, {10, 10}}, {20, 1}, false},
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

TEST(WrittenExtents, NegativeSizesClaimNothingAndOverlapNothing) {
  const ArchiveDirectory directory = directoryOf({{50, -40}, {10, 20}});
  WrittenExtents written;
  written.add(directory, 0);
  EXPECT_FALSE(written.overlaps(directory, 2));
  written.add(directory, 2);
  EXPECT_FALSE(written.overlaps(directory, 0));
  EXPECT_TRUE(written.overlaps(directory, 2));
}

}  // namespace
}  // namespace orvex
