#include "file_identity.h"

#include <filesystem>
#include <system_error>

namespace orvex {

bool isDirectory(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

bool isSameFile(const std::string& first, const std::string& second) {
  std::error_code error;
  const bool same = std::filesystem::equivalent(first, second, error);
  return same && !error;
}

}  // namespace orvex
