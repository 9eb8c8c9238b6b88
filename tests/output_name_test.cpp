#include "tool/output_name.h"

#include <gtest/gtest.h>

#include <string>

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
      {". ./A.wav", true, false},    {"con.wav", true, false},     {"CON.wav", true, false},
      {"NUL.mp3", true, false},      {"Nul .mp3", true, false},    {"prn.jpg", true, false},
      {"aux.x.wav", true, false},    {"COM1.wav", true, false},    {"lpt9.mp3", true, false},
      {"COM\xB9.wav", true, false},  {"conin$.wav", true, false},  {"SFX/con.wav", true, false},
      {"con/A.wav", true, false},    {"CONSOLE.wav", true, true},  {"COM10.wav", true, true},
      {"COMA.wav", true, true},      {"ACON.wav", true, true},
  };
  for (const OutputNameCase& c : cases) {
    EXPECT_EQ(isSafeOutputName(c.name, PathRules::posix), c.safeOnPosix) << c.name;
    EXPECT_EQ(isSafeOutputName(c.name, PathRules::windows), c.safeOnWindows) << c.name;
  }
}

}  // namespace
}  // namespace orvex
