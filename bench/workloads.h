// The benchmark's workloads: how many archives each has, which entries they
// hold, and each entry's name and size. A size follows from the entry's
// place alone (not from a generator's running state), so the floor program
// finds the files it must create without reading or generating anything else.
#ifndef ORVEX_BENCH_WORKLOADS_H
#define ORVEX_BENCH_WORKLOADS_H

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvex::bench {

struct Workload {
  std::string_view name;
  std::size_t archives;  // each archive is extracted by a run of its own
  std::size_t entries;   // per archive
  std::size_t minSize;
  std::size_t maxSize;
  std::size_t extractEvery;  // every n-th entry is extractable, the others are not
  std::size_t skippedMaxSize;
};

inline constexpr Workload kWorkloads[] = {
    {"W1", 1, 64, (4u << 20) - 4096, (4u << 20) + 4096, 1, 0},  // media
    {"W2", 1, 20000, 2048, 8192, 1, 0},                         // many small files
    {"W3", 1, 10000, 2048, 8192, 3, 8192},                      // mixed, 2/3 passed over
    {"W4", 1, 4, 64u << 20, 64u << 20, 1, 0},                   // huge entries
    {"W5", 1, 200000, 2048, 8192, 100, 64},                     // long directory
    {"W6", 400, 4, 1024, 8192, 1, 0},                           // batch: one run per archive
};

inline const Workload* findWorkload(std::string_view name) {
  for (const Workload& workload : kWorkloads) {
    if (workload.name == name) {
      return &workload;
    }
  }
  return nullptr;
}

// SplitMix64's finaliser: a well-mixed 64-bit value for each input.
inline std::uint64_t mix(std::uint64_t value) {
  value += 0x9E3779B97F4A7C15ull;
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

inline bool isExtractable(const Workload& workload, std::size_t entry) {
  return entry % workload.extractEvery == 0;
}

inline std::size_t entrySize(const Workload& workload, std::size_t archive, std::size_t entry) {
  const std::size_t low = isExtractable(workload, entry) ? workload.minSize : 0;
  const std::size_t high =
      isExtractable(workload, entry) ? workload.maxSize : workload.skippedMaxSize;
  const std::uint64_t random = mix((std::uint64_t{archive} << 32) ^ entry);
  return low + static_cast<std::size_t>(random % (high - low + 1));
}

// Writes `value` in decimal, at least `width` digits, and returns the end.
inline char* putDecimal(char* out, std::size_t value, int width) {
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count < width) {
    digits[count++] = '0';
  }
  while (count > 0) {
    *out++ = digits[--count];
  }
  return out;
}

// The entry's name as the archive holds it ("F000042.WAV", "A123F0.Mp3" in a
// workload of many archives), or, with `written`, the name of the file
// extraction makes from it (its last four characters lowered). NUL-ended,
// at most 12 characters.
inline void entryName(const Workload& workload, std::size_t archive, std::size_t entry,
                      bool written, char (&out)[16]) {
  char* end = out;
  if (workload.archives > 1) {
    *end++ = 'A';
    end = putDecimal(end, archive, 3);
  }
  *end++ = 'F';
  end = putDecimal(end, entry, workload.archives > 1 ? 1 : 6);
  const char* extension = !isExtractable(workload, entry) ? ".BIN"
                          : entry % 2 != 0                ? (written ? ".wav" : ".WAV")
                                                          : (written ? ".mp3" : ".Mp3");
  for (int i = 0; i < 4; ++i) {
    *end++ = extension[i];
  }
  *end = '\0';
}

}  // namespace orvex::bench

#endif  // ORVEX_BENCH_WORKLOADS_H
