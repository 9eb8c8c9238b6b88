#include "scratch_directory.h"

#include <stdlib.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <algorithm>

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace orvex::testing {

#ifdef _WIN32
// Windows has no mkdtemp: random names are tried until one can be created.
ScratchDirectory::ScratchDirectory() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate =
        std::filesystem::temp_directory_path() /
        ("orvex-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch directory");
}
#else
ScratchDirectory::ScratchDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvex-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a scratch directory");
  }
  path_ = pattern;
}
#endif

namespace {

// A relative path as the tool spells it: '/' between components, and on
// Windows in the ANSI code page that the narrow file functions use (a path's
// own string() gives UTF-8 there).
std::string narrowGenericName(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::wstring& wide = path.native();
  const int wideSize = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, narrow.data(), size, nullptr, nullptr);
  std::replace(narrow.begin(), narrow.end(), '\\', '/');
  return narrow;
#else
  return path.generic_string();
#endif
}

}  // namespace

std::filesystem::path narrowNamePath(const std::string& name) {
#ifdef _WIN32
  const int nameSize = static_cast<int>(name.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, name.data(), nameSize, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), nameSize, wide.data(), size);
  return wide;
#else
  return name;
#endif
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

#ifdef _WIN32
void makeSymbolicLink(const std::string& target, const std::filesystem::path& link) {
  // Wine starts a Unix program but does not wait for it: the link is
  // awaited instead.
  const std::wstring command = L"/bin/ln -s \"" + std::filesystem::path(target).wstring() +
                               L"\" \"" + link.filename().wstring() + L"\"";
  std::wstring line = command;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      link.parent_path().c_str(), &startup, &process)) {
    throw std::runtime_error("cannot start ln for " + link.string());
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int wait = 0; GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait) {
    if (wait == 500) {
      throw std::runtime_error("ln made no link " + link.string());
    }
    Sleep(10);
  }
}
#else
void makeSymbolicLink(const std::string& target, const std::filesystem::path& link) {
  std::filesystem::create_symlink(target, link);
}
#endif

void writePieces(const std::filesystem::path& path, const Pieces& pieces) {
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  for (const auto& [offset, bytes] : pieces) {
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  if (!file.flush()) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

std::string whyNoSparseFiles(const std::filesystem::path& directory,
                             [[maybe_unused]] std::uint64_t size) {
#ifndef _WIN32
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      limit.rlim_cur < size) {
    return "files are limited to " + std::to_string(limit.rlim_cur) + " bytes here (ulimit -f)";
  }
#endif
  constexpr std::uint64_t kHole = 1 << 20;
  const std::filesystem::path probe = directory / "sparse-probe";
  writeFile(probe, "");
  writePieces(probe, {{kHole, "x"}});
#ifdef _WIN32
  FILE_STANDARD_INFO info{};
  const HANDLE file = CreateFileW(probe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool measured = file != INVALID_HANDLE_VALUE &&
                        GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
  }
  const std::uint64_t allocated =
      measured ? static_cast<std::uint64_t>(info.AllocationSize.QuadPart) : kHole;
#else
  struct stat status {};
  const std::uint64_t allocated = ::stat(probe.c_str(), &status) == 0
                                      ? static_cast<std::uint64_t>(status.st_blocks) * 512
                                      : kHole;
#endif
  std::filesystem::remove(probe);
  if (allocated < kHole) {
    return "";
  }
  return "the file system of " + directory.string() + " gives holes disk space: a 1 MiB hole and " +
         "one byte take " + std::to_string(allocated) + " bytes there";
}

std::map<std::string, std::string> listTree(const std::filesystem::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    const std::string relative = narrowGenericName(item.path().lexically_relative(root));
    if (item.is_symlink()) {
      tree[relative] = "<link to " + std::filesystem::read_symlink(item.path()).string() + ">";
    } else if (item.is_directory()) {
      tree[relative] = "<dir>";
    } else if (!item.is_regular_file()) {
      tree[relative] = "<device or pipe>";
    } else {
      tree[relative] = readFile(item.path());
    }
  }
  return tree;
}

}  // namespace orvex::testing
