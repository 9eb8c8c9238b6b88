#include "windows_path.h"

#include <vector>

namespace orvex {
namespace {

bool isSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

bool startsWithDrive(std::wstring_view path) {
  return path.size() >= 2 && path[1] == L':' &&
         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

// The component at `from` or after the separators there; moves `from` past it.
std::wstring_view nextComponent(std::wstring_view path, std::size_t& from) {
  while (from < path.size() && isSeparator(path[from])) {
    ++from;
  }
  const std::size_t start = from;
  while (from < path.size() && !isSeparator(path[from])) {
    ++from;
  }
  return path.substr(start, from - start);
}

struct SplitPath {
  std::wstring root;       // "C:" or "\\server\share", without a separator after it
  std::wstring belowRoot;  // the rest, separators and all
};

// Splits an absolute path ("C:\x" or "\\server\share\x") behind its root.
SplitPath splitAbsolute(std::wstring_view path) {
  if (startsWithDrive(path)) {
    return {std::wstring(path.substr(0, 2)), std::wstring(path.substr(2))};
  }
  std::size_t end = 0;
  std::wstring root = L"\\\\";
  root += nextComponent(path, end);
  if (const std::wstring_view share = nextComponent(path, end); !share.empty()) {
    root += L'\\';
    root += share;
  }
  return {root, std::wstring(path.substr(end))};
}

// Drops empty and "." components, lets ".." take away the one before it (at
// the root, nothing) and joins what is left, each behind a '\'. Trims as
// Windows does before it reads a path itself: a component's single trailing
// '.' goes ("a." is "a", "a.." and "..." stay), and so do the last
// component's trailing dots and spaces unless a separator follows them.
std::wstring resolvedBelowRoot(std::wstring_view path) {
  std::vector<std::wstring_view> kept;
  for (std::size_t at = 0; at < path.size();) {
    std::wstring_view component = nextComponent(path, at);
    if (component == L"..") {
      if (!kept.empty()) {
        kept.pop_back();
      }
      continue;
    }
    if (component.size() >= 2 && component.ends_with(L'.') && !component.ends_with(L"..")) {
      component.remove_suffix(1);
    }
    if (at == path.size()) {
      component = component.substr(0, component.find_last_not_of(L". ") + 1);
    }
    if (!component.empty() && component != L".") {
      kept.push_back(component);
    }
  }
  std::wstring joined;
  for (const std::wstring_view component : kept) {
    joined += L'\\';
    joined += component;
  }
  return joined.empty() ? L"\\" : joined;
}

}  // namespace

std::wstring extendedLengthPath(std::wstring_view path, std::wstring_view currentDirectory) {
  // A device path ("\\?\", "\\.\", with either slash) is Windows' own to read.
  if (path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) &&
      (path[2] == L'?' || path[2] == L'.') && isSeparator(path[3])) {
    return std::wstring(path);
  }
  const SplitPath current = splitAbsolute(currentDirectory);
  const bool share = path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
  const bool drive = startsWithDrive(path);
  const bool onCurrentDrive = drive && startsWithDrive(current.root) &&
                              (path[0] | 0x20) == (current.root[0] | 0x20);  // either case
  SplitPath absolute;
  if (share || (drive && path.size() > 2 && isSeparator(path[2]))) {
    absolute = splitAbsolute(path);
  } else if (drive && !onCurrentDrive) {
    absolute = {std::wstring(path.substr(0, 2)), std::wstring(path.substr(2))};
  } else {
    // Relative, root-relative, or drive-relative on the current drive.
    const std::wstring_view rest = drive ? path.substr(2) : path;
    const bool fromRoot = !rest.empty() && isSeparator(rest.front());
    absolute = {current.root, (fromRoot ? L"" : current.belowRoot + L'\\') + std::wstring(rest)};
  }
  const std::wstring full = absolute.root + resolvedBelowRoot(absolute.belowRoot);
  if (full.size() < kMaxPlainPathLength) {
    return std::wstring(path);
  }
  return startsWithDrive(full) ? L"\\\\?\\" + full : L"\\\\?\\UNC" + full.substr(1);
}

}  // namespace orvex
