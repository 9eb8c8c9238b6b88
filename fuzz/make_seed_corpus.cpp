// Writes the fuzzers' seed corpus: a handful of small archives, well-formed
// and broken, one file each, into the directory given.
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/archive_builder.h"
#include "support/scratch_directory.h"

namespace {

using orvex::testing::buildArchive;
using orvex::testing::rawArchive;

std::vector<std::pair<std::string, std::string>> seeds() {
  const std::string media = buildArchive({{"SONG.WAV", "RIFF\x10\0\0\0WAVE"},
                                          {"NOTES.TXT", "not extracted"},
                                          {"Pic.Jpg", "\xff\xd8\xff\xe0"},
                                          {"s.Mp3", "ID3"},
                                          {"EMPTY.WAV", ""}});
  return {
      {"media", media},
      {"duplicates", buildArchive({{"DUP.WAV", "1"}, {"dup.wav", "22"}, {"DUP.WAV", "333"}})},
      {"subdirectories",
       buildArchive(
           {{"sub/A.WAV", "a"}, {"./B.MP3", "b"}, {"nodir/C.JPG", "c"}, {"sub//D.WAV", "d"}})},
      {"leaving", buildArchive({{"../UP.WAV", "u"}, {"/abs/X.WAV", "x"}, {"a/../../Y.MP3", "y"}})},
      {"links", buildArchive({{"in.WAV", "i"},
                              {"sl/A.WAV", "a"},
                              {"up/B.MP3", "b"},
                              {"gone.WAV", "g"},
                              {"sub/C.JPG", "c"}})},
      {"existing-names",
       buildArchive({{"old.WAV", "new"}, {"SELF.WAV", "never"}, {"self.wav", "x"}})},
      {"full-name-field", buildArchive({{"ABCDEFGHI.WAV", "13"}, {"ABCDEFGH.MP3", "12"}})},
      {"count-zero", buildArchive({{"A.WAV", "a"}}, 0)},
      {"count-negative", buildArchive({{"A.WAV", "a"}}, -1)},
      {"count-huge", buildArchive({{"A.WAV", "a"}}, 0x7fffffff)},
      {"empty", ""},
      {"ends-in-count", "\x02\x00"},
      {"ends-in-directory", media.substr(0, 4 + 17 * 2 + 9)},
      {"ends-in-entry", media.substr(0, media.size() - 8)},
      {"decreasing-offsets", rawArchive({{57, "A.WAV"}, {55, "B.WAV"}, {59, ""}}, "abcdef")},
      {"negative-offset", rawArchive({{-4, "A.WAV"}, {55, "B.WAV"}, {57, ""}}, "abcd")},
      {"after-terminator",
       rawArchive({{67, "A.WAV"}, {70, ""}, {0, "HIDDEN.WAV"}}, "gap..abcTAIL")},
      {"overlap-back-and-forth",
       rawArchive({{0, "A.WAV"}, {93, "B.WAV"}, {0, "C.MP3"}, {93, "D.JPG"}, {0, ""}}, "data")},
      {"overlap-partial",
       rawArchive({{89, "A.WAV"}, {93, "X.TXT"}, {91, "B.WAV"}, {95, "C.MP3"}, {97, ""}},
                  "abcdefgh")},
      {"control-names", buildArchive({{"\x1b[2J\x1b[H.WAV", "clear"},
                                      {"X\nfake.WAV", "line"},
                                      {"\x7f\t.MP3", "del"},
                                      {"\x1b[2J.TXT", "silent"}})},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  std::filesystem::create_directories(directory);
  for (const auto& [name, bytes] : seeds()) {
    orvex::testing::writeFile(directory / (name + ".dat"), bytes);
  }
  return 0;
}
