#include "tool/output_name.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace orvex {
namespace {

struct OutputNameCase {
  std::string name;
  bool safeOnPosix;
  bool safeOnWindows;
};

TEST(IsSafeOutputName, RefusesNamesThatLeaveTheCurrentDirectory) {
  const OutputNameCase cases[] = {
      {"SONG.wav", true, true},      {"SFX/A.wav", true, true},    {"SFX\\A.wav", true, true},
      {"./A.wav", true, true},       {"A..B.wav", true, true},     {"..A.wav", true, true},
      {"/tmp/A.wav", false, false},  {"/A.wav", false, false},     {"../A.wav", false, false},
      {"a/../b.wav", false, false},  {"a/..", false, false},       {"..\\A.wav", true, false},
      {"a\\..\\A.wav", true, false}, {"\\A.wav", true, false},     {"\\\\srv\\A.wav", true, false},
      {"C:X.wav", true, false},      {"X.wav:s.mp3", true, false}, {".../A.wav", true, false},
      {". ./A.wav", true, false},    {"con.wav", true, false},     {"NUL.mp3", true, false},
      {"Nul .mp3", true, false},     {"prn.jpg", true, false},     {"aux.x.wav", true, false},
      {"AUX.WAV", true, false},      {"COM0.wav", true, false},    {"LPT0.mp3", true, false},
      {"COM\xB2.wav", true, false},  {"LPT\xB3.jpg", true, false}, {"lpt9.mp3", true, false},
      {"COM\xB9.wav", true, false},  {"conin$.wav", true, false},  {"SFX/con.wav", true, false},
      {"con/A.wav", true, false},    {"CONSOLE.wav", true, true},  {"COM10.wav", true, true},
      {"COMA.wav", true, true},      {"ACON.wav", true, true},
  };
  for (const OutputNameCase& c : cases) {
    EXPECT_EQ(isSafeOutputName(c.name, PathRules::posix), c.safeOnPosix) << c.name;
    EXPECT_EQ(isSafeOutputName(c.name, PathRules::windows), c.safeOnWindows) << c.name;
  }
}

TEST(IsSafeOutputName, RefusesControlCharactersAnywhereUnderBothRules) {
  for (int byte = 0x01; byte <= 0x7F; ++byte) {
    const char c = static_cast<char>(byte);
    if (c == '/' || c == '\\' || c == ':') {
      continue;  // separators and streams have rules of their own
    }
    const bool control = byte < 0x20 || byte == 0x7F;
    const std::string one(1, c);
    for (const std::string& name : {one + ".wav", "A" + one + "B.mp3", "SUB/" + one + ".jpg"}) {
      EXPECT_EQ(isSafeOutputName(name, PathRules::posix), !control) << "byte " << byte;
      EXPECT_EQ(isSafeOutputName(name, PathRules::windows), !control) << "byte " << byte;
    }
  }
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    std::string name = "A";
    name += static_cast<char>(byte);
    name += ".wav";
    EXPECT_TRUE(isSafeOutputName(name, PathRules::posix)) << "byte " << byte;
  }
}

TEST(ShownName, ShowsControlCharactersAsQuestionMarks) {
  const std::pair<std::string, std::string> cases[] = {
      {"SONG.wav", "SONG.wav"},
      {"\x1b[2J\x1b[H.wav", "?[2J?[H.wav"},
      {"X\nfake.wav", "X?fake.wav"},
      {"\r\t\x01\x1f\x7f.mp3", "?????.mp3"},
      {"\xC9t\xE9 ~.jpg", "\xC9t\xE9 ~.jpg"},
      {"\x80\xFF?.wav", "\x80\xFF?.wav"},
  };
  for (const auto& [name, shown] : cases) {
    EXPECT_EQ(shownName(name), shown) << name;
  }
}

}  // namespace
}  // namespace orvex
