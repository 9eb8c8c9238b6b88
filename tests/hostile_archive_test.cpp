// Archives made to harm whoever unpacks them: entries that point at the same
// bytes again and again, and names that would drive the terminal.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/archive_builder.h"
#include "support/orvex_run.h"
#include "support/run_case.h"

namespace orvex::testing {
namespace {

namespace fs = std::filesystem;

// Every entry alternately covers the whole archive and runs backwards.
RunCase backAndForth() {
  const std::string archive =
      rawArchive({{0, "A.WAV"}, {76, "B.WAV"}, {0, "C.WAV"}, {76, ""}}, "data");
  return {"BackAndForthOffsets", archive,
          "A.wav done.\nFile cannot read. : B.wav\nFile cannot read. : C.wav\n", 1,
          Files{{"A.wav", archive}}};
}

INSTANTIATE_TEST_SUITE_P(
    Overlaps, Extracts,
    ::testing::Values(
        backAndForth(),
        RunCase{"PartialOverlapIsRefusedAndTheRunGoesOn",
                rawArchive({{89, "A.WAV"}, {93, "X.TXT"}, {91, "B.WAV"}, {95, "C.MP3"}, {97, ""}},
                           "abcdefgh"),
                "A.wav done.\nFile cannot read. : B.wav\nC.mp3 done.\n",
                1,
                {{"A.wav", "abcd"}, {"C.mp3", "gh"}}},
        RunCase{"OverlapWithAnEntryRefusedForOverlapIsWritten",
                rawArchive({{106, "A.WAV"},
                            {110, "X.TXT"},
                            {108, "B.WAV"},
                            {112, "Y.TXT"},
                            {110, "C.MP3"},
                            {112, ""}},
                           "abcdef"),
                "A.wav done.\nFile cannot read. : B.wav\nC.mp3 done.\n",
                1,
                {{"A.wav", "abcd"}, {"C.mp3", "ef"}}},
        RunCase{"OverlapWithAnEntryRefusedForItsExtentIsWritten",
                rawArchive({{106, "A.WAV"},
                            {110, "X.TXT"},
                            {108, "B.WAV"},
                            {120, "Y.TXT"},
                            {110, "C.MP3"},
                            {112, ""}},
                           "abcdef"),
                "A.wav done.\nFile cannot read. : B.wav\nC.mp3 done.\n",
                1,
                {{"A.wav", "abcd"}, {"C.mp3", "ef"}}},
        RunCase{"OverlapWithAPassedOverEntryIsWritten",
                rawArchive({{72, "A.TXT"}, {76, "Z.TXT"}, {72, "B.WAV"}, {76, ""}}, "abcd"),
                "B.wav done.\n",
                0,
                {{"B.wav", "abcd"}}},
        RunCase{"OverlapWithRefusedEntriesIsWritten",
                rawArchive({{106, "../A.WAV"},
                            {110, "Z.TXT"},
                            {106, "nodir/B.MP3"},
                            {110, "Y.TXT"},
                            {106, "C.WAV"},
                            {110, ""}},
                           "abcd"),
                "File cannot open. : ../A.wav\nFile cannot open. : nodir/B.mp3\nC.wav done.\n",
                1,
                {{"C.wav", "abcd"}}},
        RunCase{
            "DisjointDuplicatesBothWrittenLaterBytesRemain",
            rawArchive({{77, "DUP.WAV"}, {83, "Z.TXT"}, {72, "DUP.WAV"}, {77, ""}}, "firstsecond"),
            "DUP.wav done.\nDUP.wav done.\n",
            0,
            {{"DUP.wav", "first"}}},
        RunCase{"EmptyEntryInsideWrittenBytesOverlapsNothing",
                rawArchive({{72, "A.WAV"}, {76, "Z.TXT"}, {74, "E.WAV"}, {74, ""}}, "abcd"),
                "A.wav done.\nE.wav done.\n",
                0,
                {{"A.wav", "abcd"}, {"E.wav", ""}}},
        RunCase{"NameIsJudgedBeforeTheOverlap",
                rawArchive({{72, "A.WAV"}, {76, "Z.TXT"}, {72, "\x1b.WAV"}, {76, ""}}, "abcd"),
                "A.wav done.\nFile cannot open. : ?.wav\n",
                1,
                {{"A.wav", "abcd"}}}),
    titleOf);

INSTANTIATE_TEST_SUITE_P(
    ControlCharacters, Extracts,
    ::testing::Values(
        RunCase{"TerminalSequencesAndFakeLines",
                buildArchive({{"\x1b[2J\x1b[H.WAV", "clear"},
                              {"X\nfake.WAV", "line"},
                              {"\r\tA\x08.MP3", "cursor"},
                              {"\x7f"
                               "DEL.JPG",
                               "delete"},
                              {"OK.WAV", "ok"}}),
                "File cannot open. : ?[2J?[H.wav\nFile cannot open. : X?fake.wav\n"
                "File cannot open. : ??A?.mp3\nFile cannot open. : ?DEL.jpg\nOK.wav done.\n",
                1,
                {{"OK.wav", "ok"}}},
        RunCase{"PassedOverEntriesStaySilentWhateverTheirNames",
                buildArchive({{"\x1b[2J.TXT", "x"}, {"A\n.BIN", "y"}, {"\x07", "z"}}),
                "",
                0,
                {}},
        RunCase{"HighBytesAreShownAndUsedAsTheyStand",
                buildArchive({{"\x80\xE9\xFF.WAV", "high"}}),
                "\x80\xE9\xFF.wav done.\n",
                0,
                {{"\x80\xE9\xFF.wav", "high"}}}),
    titleOf);

TEST_F(OrvexRun, EveryControlCharacterIsRefusedAndExistingFilesStayUntouched) {
  std::vector<Entry> entries;
  std::string expected;
  Files before;
  for (int byte = 0x01; byte <= 0x7F; byte = byte == 0x1F ? 0x7F : byte + 1) {
    const std::string control(1, static_cast<char>(byte));
    entries.push_back({"A" + control + ".WAV", "never written"});
    expected += "File cannot open. : A?.wav\n";
#ifndef _WIN32
    // Windows cannot hold such names; elsewhere an existing file must survive.
    before["A" + control + ".wav"] = "old " + std::to_string(byte);
#endif
  }
  entries.push_back({"OK.WAV", "ok"});
  for (const auto& [name, bytes] : before) {
    writeFile(work() / name, bytes);
  }
  const ProcessResult result = extract(buildArchive(entries));
  EXPECT_EQ(result.output, printed(expected + "OK.wav done.\n"));
  EXPECT_EQ(result.exitCode, 1);
  Files after = before;
  after["OK.wav"] = "ok";
  EXPECT_EQ(workFiles(), after);
}

TEST_F(OrvexRun, OverlappingEntryLeavesAnExistingFileUntouched) {
  writeFile(work() / "B.wav", "kept");
  const ProcessResult result =
      extract(rawArchive({{72, "A.WAV"}, {76, "Z.TXT"}, {73, "B.WAV"}, {75, ""}}, "abcd"));
  EXPECT_EQ(result.output, printed("A.wav done.\nFile cannot read. : B.wav\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles(), (Files{{"A.wav", "abcd"}, {"B.wav", "kept"}}));
}

// 20,000 records alternate between the archive's first byte and its end: each
// forward entry would cover the whole archive again.
TEST_F(OrvexRun, OverlapBombWritesNoMoreThanTheArchiveHolds) {
  constexpr int kRecords = 20000;
  const std::int32_t end = 4 + 17 * (kRecords + 1);
  std::vector<std::pair<std::int32_t, std::string>> records;
  std::string expected;
  for (int i = 0; i < kRecords; ++i) {
    std::string name = "E";
    name += std::to_string(10000 + i);
    name += ".WAV";
    records.push_back({i % 2 == 0 ? 0 : end, name});
    const std::string written = name.substr(0, name.size() - 4) + ".wav";
    expected += i == 0 ? written + " done.\n" : "File cannot read. : " + written + "\n";
  }
  records.push_back({0, ""});  // so the last entry runs backwards too
  const std::string archive = rawArchive(records, "");
  ASSERT_EQ(archive.size(), static_cast<std::size_t>(end));

  const ProcessResult result = extract(archive);
  EXPECT_EQ(result.output, printed(expected));
  EXPECT_EQ(result.exitCode, 1);
  std::uintmax_t writtenBytes = 0;
  for (const fs::directory_entry& file : fs::recursive_directory_iterator(work())) {
    writtenBytes += file.is_regular_file() ? file.file_size() : 0;
  }
  EXPECT_LE(writtenBytes, archive.size());
  EXPECT_EQ(workFiles(), (Files{{"E10000.wav", archive}}));
}

}  // namespace
}  // namespace orvex::testing
