// An archive in memory that hands out at most a given number of bytes a
// read, as a pipe or a slow device may, and notes what each read asked for;
// its length can be kept unknown, as a pipe's.
#ifndef ORVEX_TESTS_SUPPORT_CHUNKED_SOURCE_H
#define ORVEX_TESTS_SUPPORT_CHUNKED_SOURCE_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "archive/archive_directory.h"

namespace orvex::testing {

class ChunkedSource final : public ArchiveSource {
 public:
  ChunkedSource(std::string bytes, std::size_t chunk) : bytes_(std::move(bytes)), chunk_(chunk) {}

  std::size_t readSome(char* destination, std::size_t capacity) override {
    requests.push_back(capacity);
    const std::size_t got = std::min({capacity, chunk_, bytes_.size() - position});
    bytes_.copy(destination, got, position);
    position += got;
    return got;
  }
  std::int64_t remainingBytes() override {
    return lengthKnown ? static_cast<std::int64_t>(bytes_.size() - position) : -1;
  }

  bool lengthKnown = true;
  std::size_t position = 0;
  std::vector<std::size_t> requests;

 private:
  std::string bytes_;
  std::size_t chunk_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_SUPPORT_CHUNKED_SOURCE_H
