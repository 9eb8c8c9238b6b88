// Writes one benchmark workload into OUTPUT_FOLDER: archives/NNN.dat for each
// of its archives and, beside them, expected/NNN/ with exactly the files
// that extracting archive NNN must produce (from which bench/run.sh makes the
// equivalent tar, zip and plain copy).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/archive_builder.h"
#include "workloads.h"

namespace {

namespace fs = std::filesystem;
using orvex::bench::Workload;
using orvex::testing::Entry;

// Entry bytes: random, so that nothing compresses or deduplicates them, and
// the same in every run.
std::string randomBytes(std::uint64_t seed, std::size_t size) {
  std::string bytes(size, '\0');
  std::uint64_t state = orvex::bench::mix(seed) | 1;
  for (std::size_t i = 0; i < size; i += 8) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    for (std::size_t j = 0; j < 8 && i + j < size; ++j) {
      bytes[i + j] = static_cast<char>((state >> (8 * j)) & 0xFF);
    }
  }
  return bytes;
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file.flush()) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

std::string archiveLabel(std::size_t archive) {
  char label[24];
  std::snprintf(label, sizeof label, "%03zu", archive);
  return label;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: orvex_make_workload W1|W2|W3|W4|W5|W6 OUTPUT_FOLDER\n");
    return 2;
  }
  const Workload* workload = orvex::bench::findWorkload(argv[1]);
  if (workload == nullptr) {
    std::printf("unknown workload %s\n", argv[1]);
    return 2;
  }
  const fs::path folder = argv[2];
  fs::create_directories(folder / "archives");
  for (std::size_t archive = 0; archive < workload->archives; ++archive) {
    const fs::path expected = folder / "expected" / archiveLabel(archive);
    fs::create_directories(expected);
    std::vector<Entry> entries;
    entries.reserve(workload->entries);
    for (std::size_t index = 0; index < workload->entries; ++index) {
      char name[16];
      orvex::bench::entryName(*workload, archive, index, false, name);
      const std::size_t size = orvex::bench::entrySize(*workload, archive, index);
      entries.push_back({name, randomBytes((std::uint64_t{archive} << 32) ^ index, size)});
      if (orvex::bench::isExtractable(*workload, index)) {
        orvex::bench::entryName(*workload, archive, index, true, name);
        writeFile(expected / name, entries.back().bytes);
      }
    }
    writeFile(folder / "archives" / (archiveLabel(archive) + ".dat"),
              orvex::testing::buildArchive(entries));
  }
  return 0;
}
