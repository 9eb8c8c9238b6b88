#include "tool/extractable_name.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace orvex {
namespace {

struct NameCase {
  std::string field;  // the name field's bytes
  std::string after;  // the name once the run has lowered it
  bool extractable;
};

TEST(IsExtractable, LowersTheLastFourCharactersAndMatchesTheEndings) {
  const NameCase cases[] = {
      {"SONG.WAV", "SONG.wav", true},
      {"Title.WAV", "Title.wav", true},
      {"PIC.JPG", "PIC.jpg", true},
      {"X.Mp3", "X.mp3", true},
      {".MP3", ".mp3", true},
      {"ABCDEFGH.WAV", "ABCDEFGH.wav", true},
      {"ABCDEFGHI.WAV", "ABCDEFGHI.wav", true},  // 13 characters, no NUL in the field
      {"README.TXT", "README.txt", false},
      {"A.JPEG", "A.jpeg", false},  // only the last four count
      {"AJPG", "ajpg", false},      // no dot, no match
      {"WAV", "WAV", false},        // shorter than four: left alone
      {"", "", false},
      {"X.WA\xC1", "X.wa\xC1", false},  // bytes from 0x80 up are not folded
      {"\xC9.MP3", "\xC9.mp3", true},   // ... and in front of the ending they do not matter
      {"X.W@V", "X.w@v", false},
      {"X.[AV", "X.[av", false},  // just past 'Z'
      {"SOUND.WAVE", "SOUND.wave", false},
  };
  for (const NameCase& c : cases) {
    DirectoryRecord record;
    std::memcpy(record.name, c.field.data(), c.field.size());
    EXPECT_EQ(isExtractable(record), c.extractable) << c.field;
    EXPECT_EQ(std::string(record.name), c.after) << c.field;
  }
}

}  // namespace
}  // namespace orvex
