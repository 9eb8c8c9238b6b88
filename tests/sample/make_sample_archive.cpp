// Writes a small DAT archive to show the tool at work: a short sound, two
// other media entries and a text entry that the tool passes over.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "support/archive_builder.h"

namespace {

std::string littleEndian(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) {
    out += static_cast<char>((value >> (8 * i)) & 0xFFu);
  }
  return out;
}

// A quarter of a second of a 440 Hz tone: 8 kHz, 8-bit, mono PCM.
std::string toneWav() {
  constexpr std::uint32_t kRate = 8000;
  std::string samples;
  for (std::uint32_t i = 0; i < kRate / 4; ++i) {
    const double phase = 2.0 * 3.14159265358979 * 440.0 * i / kRate;
    samples += static_cast<char>(128 + static_cast<int>(100.0 * std::sin(phase)));
  }
  const auto size = static_cast<std::uint32_t>(samples.size());
  return "RIFF" + littleEndian(36 + size, 4) + "WAVEfmt " + littleEndian(16, 4) +
         littleEndian(1, 2) + littleEndian(1, 2) + littleEndian(kRate, 4) + littleEndian(kRate, 4) +
         littleEndian(1, 2) + littleEndian(8, 2) + "data" + littleEndian(size, 4) + samples;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: make_sample_archive OUTPUT.DAT\n");
    return 2;
  }
  const std::string archive = orvex::testing::buildArchive({
      {"README.TXT", "Entries of other types stay in the archive.\n"},
      {"TONE.WAV", toneWav()},
      {"Cover.JPG", "\xFF\xD8\xFF\xE0 stand-in picture bytes \xFF\xD9"},
      {"THEME.Mp3", "ID3 stand-in sound bytes"},
  });
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(archive.data(), static_cast<std::streamsize>(archive.size()));
  if (!file.flush()) {
    std::printf("cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
