// Writes one benchmark workload: a DAT archive and, beside it, a folder with
// exactly the files that extracting it must produce (from which the
// equivalent tar is made).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "support/archive_builder.h"

namespace {

namespace fs = std::filesystem;
using orvex::testing::Entry;

struct Workload {
  std::string_view name;
  std::size_t entries;
  std::size_t minSize;
  std::size_t maxSize;
  std::size_t extractEvery;  // every n-th entry is extractable, the others are not
  std::size_t skippedMaxSize;
};

constexpr Workload kWorkloads[] = {
    {"W1", 64, (4u << 20) - 4096, (4u << 20) + 4096, 1, 0},
    {"W2", 20000, 2048, 8192, 1, 0},
    {"W3", 10000, 2048, 8192, 3, 8192},
    {"W4", 4, 64u << 20, 64u << 20, 1, 0},
    {"W5", 200000, 2048, 8192, 100, 64},
};

// A fixed-seed generator, so that every run builds the same bytes.
class Random {
 public:
  std::uint64_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  std::size_t between(std::size_t low, std::size_t high) {
    return low + static_cast<std::size_t>(next() % (high - low + 1));
  }

 private:
  std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

std::string randomBytes(Random& random, std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; i += 8) {
    const std::uint64_t word = random.next();
    for (std::size_t j = 0; j < 8 && i + j < size; ++j) {
      bytes[i + j] = static_cast<char>((word >> (8 * j)) & 0xFF);
    }
  }
  return bytes;
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: make_workload W1|W2|W3|W4|W5 OUTPUT_FOLDER\n");
    return 2;
  }
  const Workload* workload = nullptr;
  for (const Workload& candidate : kWorkloads) {
    if (candidate.name == argv[1]) {
      workload = &candidate;
    }
  }
  if (workload == nullptr) {
    std::printf("unknown workload %s\n", argv[1]);
    return 2;
  }
  const fs::path folder = argv[2];
  const fs::path expected = folder / "expected";
  fs::create_directories(expected);

  Random random;
  std::vector<Entry> entries;
  entries.reserve(workload->entries);
  for (std::size_t i = 0; i < workload->entries; ++i) {
    const bool extractable = i % workload->extractEvery == 0;
    char name[32];
    std::snprintf(name, sizeof name, "F%06zu.%s", i, extractable ? (i % 2 ? "WAV" : "Mp3") : "BIN");
    const std::size_t size = extractable ? random.between(workload->minSize, workload->maxSize)
                                         : random.between(0, workload->skippedMaxSize);
    entries.push_back({name, randomBytes(random, size)});
    if (extractable) {
      std::string written = name;
      for (std::size_t k = written.size() - 4; k < written.size(); ++k) {
        written[k] = static_cast<char>(written[k] >= 'A' && written[k] <= 'Z' ? written[k] + 32
                                                                              : written[k]);
      }
      writeFile(expected / written, entries.back().bytes);
    }
  }
  writeFile(folder / "archive.dat", orvex::testing::buildArchive(entries));
  return 0;
}
