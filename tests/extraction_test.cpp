// The extraction of one entry, in-process, where the archive changes under
// the run.
#include "tool/extraction.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

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
  ASSERT_TRUE(archive.open("archive.dat"));
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

}  // namespace
}  // namespace orvex
