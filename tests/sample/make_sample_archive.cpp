// Writes a small DAT archive to show the tool at work: a short sound, a
// picture, a short MP3 stream and a text entry that the tool passes over.
// Every media entry is a real file that viewers and players open.
//
// The WAV is computed here. The picture and the MP3 stream are kept beside
// this file, made on Debian 12 with these commands:
//
//   cover.jpg (96x64, 940 bytes; imagemagick 6.9.11):
//     convert -size 96x64 gradient:'#1d4f91-#f5c542' -fill '#fff4d6'
//       -draw 'circle 48,32 48,14' -strip -quality 80 cover.jpg
//     (one command; the line is broken here only)
//   theme.mp3 (0.8 s rising tone, 32 kbit/s mono, 3239 bytes; sox 14.4.2, lame 3.100):
//     sox -n -r 22050 -b 16 -c 1 theme.wav synth 0.75 sine 440-880 fade 0.02 0.75 0.2 gain -6
//     lame --silent --noreplaygain -m m -b 32 theme.wav theme.mp3
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "support/archive_builder.h"
#include "support/scratch_directory.h"

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
  if (argc != 3) {
    std::printf("usage: make_sample_archive OUTPUT.DAT MEDIA_DIRECTORY\n");
    return 2;
  }
  const std::filesystem::path media = argv[2];
  try {
    const std::string cover = orvex::testing::readFile(media / "cover.jpg");
    const std::string theme = orvex::testing::readFile(media / "theme.mp3");
    if (cover.empty() || theme.empty()) {
      throw std::runtime_error("cover.jpg or theme.mp3 is empty");
    }
    orvex::testing::writeFile(argv[1],
                              orvex::testing::buildArchive({
                                  {"README.TXT", "Entries of other types stay in the archive.\n"},
                                  {"TONE.WAV", toneWav()},
                                  {"Cover.JPG", cover},
                                  {"THEME.Mp3", theme},
                              }));
  } catch (const std::exception& error) {
    std::printf("%s\n", error.what());
    return 1;
  }
  return 0;
}
