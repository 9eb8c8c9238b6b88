// The built tool on whole archives: messages, exit status and files written.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>

#include "support/archive_builder.h"
#include "support/orvex_run.h"
#include "support/run_case.h"

namespace orvex::testing {
namespace {

namespace fs = std::filesystem;

// The last offset a directory record can give: 2 GiB less one byte.
constexpr std::int32_t kLastOffset = std::numeric_limits<std::int32_t>::max();

TEST_P(Extracts, PrintsWritesAndExitsAsExpected) {
  const RunCase& c = GetParam();
  if (!c.beyond.empty()) {
    const auto& [offset, last] = *c.beyond.rbegin();
    if (const std::string why = whyNoSparseFiles(archivePath().parent_path(), offset + last.size());
        !why.empty()) {
      GTEST_SKIP() << why;
    }
  }
  const Files outside = placeStanding(c.standing);
  Files expected = c.files;
  expected.merge(workFiles());
  const ProcessResult result = extract(c.archive, c.beyond);
  EXPECT_EQ(result.output, printed(c.output));
  EXPECT_EQ(result.exitCode, c.status);
  EXPECT_EQ(workFiles(), expected);
  EXPECT_EQ(outsideFiles(), outside);
}

INSTANTIATE_TEST_SUITE_P(
    Normal, Extracts,
    ::testing::Values(
        RunCase{"NoEntries", buildArchive({}), "", 0, {}},
        RunCase{"OneSound",
                buildArchive({{"SONG.WAV", "RIFF\0\1\2\xff"}}),
                "SONG.wav done.\n",
                0,
                {{"SONG.wav", "RIFF\0\1\2\xff"}}},
        RunCase{"OtherTypesPassedOver",
                buildArchive({{"README.TXT", "text"}, {"A.JPEG", "j"}, {"AB", "x"}, {"WAV", "y"}}),
                "",
                0,
                {}},
        RunCase{"EndingsInAnyCaseInFileOrder",
                buildArchive({{"Title.WAV", "w"},
                              {"X.Mp3", "m"},
                              {"MAP.BIN", "skip"},
                              {"PIC.JPG", "j"},
                              {".MP3", "only ending"},
                              {"\xC9t\xE9.JpG", "latin"}}),
                "Title.wav done.\nX.mp3 done.\nPIC.jpg done.\n.mp3 done.\n\xC9t\xE9.jpg done.\n",
                0,
                {{"Title.wav", "w"},
                 {"X.mp3", "m"},
                 {"PIC.jpg", "j"},
                 {".mp3", "only ending"},
                 {"\xC9t\xE9.jpg", "latin"}}},
        RunCase{"HighBytesInTheEndingNeverMatch",
                buildArchive({{"X.WA\xC1", "a"}, {"X.W\xC1V", "b"}}),
                "",
                0,
                {}},
        RunCase{"EmptyEntry",
                buildArchive({{"EMPTY.WAV", ""}, {"NEXT.MP3", "n"}}),
                "EMPTY.wav done.\nNEXT.mp3 done.\n",
                0,
                {{"EMPTY.wav", ""}, {"NEXT.mp3", "n"}}},
        RunCase{"SameLoweredNameTwice",
                buildArchive({{"DUP.WAV", "first"}, {"DUP.wav", "second!"}}),
                "DUP.wav done.\nDUP.wav done.\n",
                0,
                {{"DUP.wav", "second!"}}},
        RunCase{"FullNameFields",
                buildArchive({{"ABCDEFGH.WAV", "12"}, {"ABCDEFGHI.MP3", "13"}}),
                "ABCDEFGH.wav done.\nABCDEFGHI.mp3 done.\n",
                0,
                {{"ABCDEFGH.wav", "12"}, {"ABCDEFGHI.mp3", "13"}}},
        RunCase{"GapsAndRecordsAfterTheTerminatorIgnored",
                rawArchive({{67, "A.WAV"}, {70, ""}, {0, "HIDDEN.WAV"}}, "....gap.....abcTAIL"),
                "A.wav done.\n",
                0,
                {{"A.wav", "abc"}}},
        RunCase{"EntriesMayShareBytes",
                rawArchive({{55, "A.WAV"}, {55, "B.WAV"}, {58, ""}}, "xyz"),
                "A.wav done.\nB.wav done.\n",
                0,
                {{"A.wav", ""}, {"B.wav", "xyz"}}},
        // 3 GiB, of which only the trailing bytes lie past 2 GiB.
        RunCase{"EntriesUpTo2GiBInALargerArchive",
                rawArchive(
                    {{72, "A.WAV"}, {75, "GAP.BIN"}, {kLastOffset - 5, "B.MP3"}, {kLastOffset, ""}},
                    "abc"),
                "A.wav done.\nB.mp3 done.\n",
                0,
                {{"A.wav", "abc"}, {"B.mp3", "below"}},
                {},
                {{kLastOffset - 5, "below"}, {(std::uint64_t{3} << 30) - 4, "TAIL"}}}),
    titleOf);

// Where the platforms differ: Windows folds the case of names and refuses
// more of them; elsewhere '\\' and ':' are ordinary characters.
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(WindowsNames, Extracts,
                         ::testing::Values(
                             // Names that differ only in case name one file: the first name stays.
                             RunCase{"NamesDifferingInCaseShareOneFile",
                                     buildArchive({{"DUP.WAV", "first"}, {"dup.wav", "second"}}),
                                     "DUP.wav done.\ndup.wav done.\n",
                                     0,
                                     {{"DUP.wav", "second"}}},
                             RunCase{"WindowsOnlyRefusals",
                                     buildArchive({{"..\\B.WAV", "b"},
                                                   {"a\\..\\..\\C.MP3", "c"},
                                                   {"C:X.WAV", "x"},
                                                   {"X.WAV:S.WAV", "s"},
                                                   {"\\ROOT.JPG", "r"},
                                                   {"CON.WAV", "con"},
                                                   {"nul.mp3", "nul"},
                                                   {"COM1.JPG", "com"},
                                                   {"LPT9.wav", "lpt"},
                                                   {"Aux.x.WAV", "aux"},
                                                   {"OK.WAV", "ok"}}),
                                     "File cannot open. : ..\\B.wav\n"
                                     "File cannot open. : a\\..\\..\\C.mp3\n"
                                     "File cannot open. : C:X.wav\n"
                                     "File cannot open. : X.WAV:S.wav\n"
                                     "File cannot open. : \\ROOT.jpg\n"
                                     "File cannot open. : CON.wav\n"
                                     "File cannot open. : nul.mp3\n"
                                     "File cannot open. : COM1.jpg\n"
                                     "File cannot open. : LPT9.wav\n"
                                     "File cannot open. : Aux.x.wav\n"
                                     "OK.wav done.\n",
                                     1,
                                     {{"OK.wav", "ok"}}}),
                         titleOf);
#else
INSTANTIATE_TEST_SUITE_P(
    PosixNames, Extracts,
    ::testing::Values(RunCase{"DuplicatesBothWrittenLaterBytesRemain",
                              buildArchive({{"DUP.WAV", "first"}, {"dup.wav", "second"}}),
                              "DUP.wav done.\ndup.wav done.\n",
                              0,
                              {{"DUP.wav", "first"}, {"dup.wav", "second"}}},
                      RunCase{
                          "BackslashIsAnOrdinaryCharacterHere",
                          buildArchive({{"..\\B.WAV", "b"}, {"C:X.WAV", "c"}, {"con.wav", "d"}}),
                          "..\\B.wav done.\nC:X.wav done.\ncon.wav done.\n",
                          0,
                          {{"..\\B.wav", "b"}, {"C:X.wav", "c"}, {"con.wav", "d"}}}),
    titleOf);
#endif

#ifdef _WIN32
TEST_F(OrvexRun, WindowsOnlyRefusalsTouchNothing) {
  const fs::path outside[] = {root() / "B.wav", root().parent_path() / "C.mp3",
                              work().root_path() / "ROOT.jpg", work() / "X.wav"};
  for (const fs::path& path : outside) {
    ASSERT_FALSE(fs::exists(path)) << path;
  }
  const ProcessResult result = extract(buildArchive({{"..\\B.WAV", "b"},
                                                     {"a\\..\\..\\C.MP3", "c"},
                                                     {"\\ROOT.JPG", "r"},
                                                     {"C:X.WAV", "x"},
                                                     {"X.WAV:S.WAV", "s"},
                                                     {"con.wav", "con"},
                                                     {"NUL.MP3", "nul"}}));
  EXPECT_EQ(result.exitCode, 1);
  for (const fs::path& path : outside) {
    EXPECT_FALSE(fs::exists(path)) << path;
  }
  EXPECT_EQ(
      listTree(root()),
      (Files{{"input", "<dir>"}, {"input/test.dat", readFile(archivePath())}, {"work", "<dir>"}}));
}
#endif

TEST_F(OrvexRun, WritesIntoAnExistingSubdirectory) {
  fs::create_directory(work() / "SFX");
  const ProcessResult result = extract(buildArchive({{"SFX/A.WAV", "a"}}));
  EXPECT_EQ(result.output, printed("SFX/A.wav done.\n"));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(workFiles(), (Files{{"SFX", "<dir>"}, {"SFX/A.wav", "a"}}));
}

TEST_F(OrvexRun, OverwritesExistingFilesButNotForUnreadableEntries) {
  writeFile(work() / "OLD.wav", "previous contents, longer than the entry");
  writeFile(work() / "KEEP.wav", "kept");
  const std::string archive = rawArchive({{55, "OLD.WAV"}, {57, "KEEP.WAV"}, {99, ""}}, "newer");
  const ProcessResult result = extract(archive);
  EXPECT_EQ(result.output, printed("OLD.wav done.\nFile cannot read. : KEEP.wav\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles(), (Files{{"OLD.wav", "ne"}, {"KEEP.wav", "kept"}}));
}

TEST_F(OrvexRun, WrongInvocationPrintsUsageOnly) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"a.dat", "b.dat"}, {"a", "b", "c"}}) {
    const ProcessResult result = runWithArguments(arguments);
    EXPECT_EQ(result.output, "orvex **.DAT");
    EXPECT_EQ(result.exitCode, kUsageStatus);
  }
  EXPECT_EQ(workFiles(), Files{});
}

TEST_F(OrvexRun, ArchiveThatCannotBeOpened) {
  const std::string longMissing = "missing-" + std::string(300, 'x') + ".dat";
  for (const std::string& path : {std::string("nothing-here.dat"), longMissing, work().string()}) {
    const ProcessResult result = runWithArguments({path});
    EXPECT_EQ(result.output, printed("File Not Found.\n")) << path;
    EXPECT_EQ(result.exitCode, 1) << path;
  }
  EXPECT_EQ(workFiles(), Files{});
}

// The archive opens whatever characters its path holds (Windows' code page
// 1252, under which the tests run there, has none of these) and however long
// it is; an entry that names the archive still leaves it untouched. A file
// named with a separator after it is no folder and does not open, as short
// as "X.DAT\" or as long as the deep one.
TEST_F(OrvexRun, OpensTheArchiveUnderAnyPath) {
  const std::string archive = buildArchive({{"A.WAV", "a"}, {"B.JPG", "b"}});
  fs::path deep = "deep";
  for (const char level : {'a', 'b', 'c', 'd', 'e'}) {
    deep /= std::string(60, level);
  }
  ASSERT_GT((root() / deep / "LONG.DAT").native().size(), 260u);
  // Each archive is unpacked into a folder of its name; the last one, named
  // by its first entry, where it lies.
  const fs::path names[] = {
      u8"Музыка.DAT",    u8"音楽.DAT", u8"🎵.DAT",      fs::path(u8"テスト") / u8"サウンド.DAT",
      deep / "LONG.DAT", "X.DAT",      deep / "X.DAT", fs::path(u8"フォルダ") / "A.wav"};
  for (const fs::path& name : names) {
    const fs::path path = root() / name;
    const bool self = name.filename() == "A.wav";
    const bool separatorAfter = name.filename() == "X.DAT";
    const fs::path folder = self ? path.parent_path() : root() / name.stem();
    fs::create_directories(path.parent_path());
    fs::create_directories(folder);
    writeFile(path, archive);
    fs::path argument = path;
    if (separatorAfter) {
      argument += fs::path::preferred_separator;
    }
    const ProcessResult result = runOrvex({argument.string()}, {folder, {}, {}});
    const std::string expected = separatorAfter ? "File Not Found.\n"
                                 : self         ? "File cannot open. : A.wav\nB.jpg done.\n"
                                                : "A.wav done.\nB.jpg done.\n";
    EXPECT_EQ(result.output, printed(expected)) << argument;
    EXPECT_EQ(result.exitCode, self || separatorAfter ? 1 : 0) << argument;
    EXPECT_EQ(readFile(path), archive) << argument;
    EXPECT_EQ(listTree(folder),
              separatorAfter ? Files{} : (Files{{"A.wav", self ? archive : "a"}, {"B.jpg", "b"}}))
        << argument;
  }
}

}  // namespace
}  // namespace orvex::testing
