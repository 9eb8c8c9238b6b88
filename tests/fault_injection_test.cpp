// Runs in which the file system or the memory fails the tool.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/archive_builder.h"
#include "support/orvex_run.h"

namespace orvex::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(OrvexRun, NeverWritesOverTheArchiveItself) {
  const std::string archive =
      buildArchive({{"LINK.WAV", "l"}, {"SYM.MP3", "s"}, {"AFTER.JPG", "a"}});
  writeFile(archivePath(), archive);
  fs::create_hard_link(archivePath(), work() / "LINK.wav");
#ifdef _WIN32
  // Symbolic links need privileges on Windows (and Wine has none): the
  // hard link stands for every other name of the archive.
  const std::string symlinkLine = "SYM.mp3 done.\n";
#else
  fs::create_symlink(archivePath(), work() / "SYM.mp3");
  const std::string symlinkLine = "File cannot open. : SYM.mp3\n";
#endif
  const ProcessResult result = extract(archive);
  EXPECT_EQ(result.output,
            printed("File cannot open. : LINK.wav\n" + symlinkLine + "AFTER.jpg done.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles().at("AFTER.jpg"), "a");
}

TEST_F(OrvexRun, NeverWritesOverTheArchiveInTheCurrentDirectory) {
  const std::string archive = buildArchive({{"SELF.WAV", "self"}});
  writeFile(work() / "SELF.wav", archive);
  const ProcessResult result = runWithArguments({"SELF.wav"});
  EXPECT_EQ(result.output, printed("File cannot open. : SELF.wav\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(readFile(work() / "SELF.wav"), archive);
}

#ifdef _WIN32
// Windows names files without regard to case: "SELF.wav" is the archive "self.WAV".
TEST_F(OrvexRun, NeverWritesOverTheArchiveSpeltInAnotherCase) {
  const std::string archive = buildArchive({{"SELF.WAV", "self"}, {"OTHER.WAV", "o"}});
  writeFile(work() / "self.WAV", archive);
  const ProcessResult result = runWithArguments({"self.WAV"});
  EXPECT_EQ(result.output, printed("File cannot open. : SELF.wav\nOTHER.wav done.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles(), (Files{{"self.WAV", archive}, {"OTHER.wav", "o"}}));
}

// Bytes 0x80 to 0x9F are read in the ANSI code page ("\x80" is the euro sign
// in code page 1252), whatever the C library would make of them.
TEST_F(OrvexRun, NeverWritesOverTheArchiveNamedInTheAnsiCodePage) {
  const std::string archive = buildArchive({{"\x80S.WAV", "euro"}, {"\x9FS.WAV", "y"}});
  writeFile(work() / narrowNamePath("\x80S.wav"), archive);
  const ProcessResult result = runWithArguments({"\x80S.wav"});
  EXPECT_EQ(result.output, printed("File cannot open. : \x80S.wav\n\x9FS.wav done.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles(), (Files{{"\x80S.wav", archive}, {"\x9FS.wav", "y"}}));
}
#endif

TEST_F(OrvexRun, FullDiskIsAWriteFailureAndTheRunGoesOn) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no /dev/full";
#endif
  fs::create_symlink("/dev/full", work() / "BIG.wav");
  fs::create_symlink("/dev/full", work() / "SMALL.wav");
  const ProcessResult result = extract(
      buildArchive({{"BIG.WAV", std::string(300000, 'b')}, {"SMALL.WAV", "s"}, {"OK.WAV", "ok"}}));
  EXPECT_EQ(
      result.output,
      printed("File cannot write. : BIG.wav\nFile cannot write. : SMALL.wav\nOK.wav done.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles().at("OK.wav"), "ok");
}

TEST_F(OrvexRun, OutputNameThatIsADirectoryCannotBeOpened) {
  fs::create_directory(work() / "DIR.wav");
  const ProcessResult result = extract(buildArchive({{"DIR.WAV", "d"}, {"OK.WAV", "ok"}}));
  EXPECT_EQ(result.output, printed("File cannot open. : DIR.wav\nOK.wav done.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles(), (Files{{"DIR.wav", "<dir>"}, {"OK.wav", "ok"}}));
}

TEST_F(OrvexRun, EntryLargerThanTheAddressSpaceIsStillWrittenInFull) {
#ifdef _WIN32
  GTEST_SKIP() << "the address space of a Windows child cannot be limited";
#endif
  constexpr std::size_t kEntrySize = std::size_t{96} << 20;
  constexpr std::uint64_t kAddressSpace = std::uint64_t{64} << 20;
  std::string entry(kEntrySize, '\0');
  for (std::size_t i = 0; i < entry.size(); i += 4093) {
    entry[i] = static_cast<char>(i / 4093);
  }
  RunOptions options;
  options.addressSpaceLimit = kAddressSpace;
  const ProcessResult result =
      extract(buildArchive({{"HUGE.WAV", entry}, {"TINY.MP3", "t"}}), options);
  EXPECT_EQ(result.output, printed("HUGE.wav done.\nTINY.mp3 done.\n"));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(readFile(work() / "HUGE.wav") == entry) << "the large entry's bytes differ";
}

TEST_F(OrvexRun, DirectoryLargerThanMemoryIsReported) {
#ifdef _WIN32
  GTEST_SKIP() << "the address space of a Windows child cannot be limited";
#endif
  constexpr std::int32_t kRecords = 2'000'000;
  std::string archive = int32Bytes(kRecords + 1);
  archive.reserve(4 + 17 * (kRecords + 1));
  for (std::int32_t i = 0; i < kRecords; ++i) {
    archive += recordBytes(0, "A.WAV");
  }
  archive += recordBytes(0, "");
  RunOptions options;
  options.addressSpaceLimit = std::uint64_t{24} << 20;
  const ProcessResult result = extract(archive, options);
  EXPECT_EQ(result.output, printed("Not enough memory.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles(), Files{});
}

}  // namespace
}  // namespace orvex::testing
