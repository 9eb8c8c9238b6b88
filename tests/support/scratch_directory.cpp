#include "scratch_directory.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace orvex::testing {

ScratchDirectory::ScratchDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvex-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a scratch directory");
  }
  path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file.flush()) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw std::runtime_error("cannot read " + path.string());
  }
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::map<std::string, std::string> listTree(const std::filesystem::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    const std::string relative = item.path().lexically_relative(root).string();
    if (item.is_symlink()) {
      tree[relative] = "<link to " + std::filesystem::read_symlink(item.path()).string() + ">";
    } else if (item.is_directory()) {
      tree[relative] = "<dir>";
    } else {
      tree[relative] = readFile(item.path());
    }
  }
  return tree;
}

}  // namespace orvex::testing
