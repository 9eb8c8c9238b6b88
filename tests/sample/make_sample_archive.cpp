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
#include <fstream>
#include <iterator>
#include <optional>
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

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return std::nullopt;
  }
  std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad() || bytes.empty()) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: make_sample_archive OUTPUT.DAT MEDIA_DIRECTORY\n");
    return 2;
  }
  const std::string media = argv[2];
  const auto cover = readFile(media + "/cover.jpg");
  const auto theme = readFile(media + "/theme.mp3");
  if (!cover || !theme) {
    std::printf("cannot read cover.jpg and theme.mp3 in %s\n", argv[2]);
    return 1;
  }
  const std::string archive = orvex::testing::buildArchive({
      {"README.TXT", "Entries of other types stay in the archive.\n"},
      {"TONE.WAV", toneWav()},
      {"Cover.JPG", *cover},
      {"THEME.Mp3", *theme},
  });
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(archive.data(), static_cast<std::streamsize>(archive.size()));
  if (!file.flush()) {
    std::printf("cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
