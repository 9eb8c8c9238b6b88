#include "output_name.h"

#include <algorithm>
#include <array>

namespace orvex {
namespace {

bool isSeparator(char c, PathRules rules) {
  return c == '/' || (rules == PathRules::windows && c == '\\');
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) {
             return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
           };
           return lower(x) == lower(y);
         });
}

// Windows opens these as devices whatever follows the first dot, and ignores
// trailing spaces before it: "con.wav" and "Nul .mp3" are devices.
bool isReservedDeviceName(std::string_view component) {
  std::string_view stem = component.substr(0, component.find('.'));
  while (!stem.empty() && stem.back() == ' ') {
    stem.remove_suffix(1);
  }
  static constexpr std::array<std::string_view, 6> kPlainDevices = {"con", "prn",    "aux",
                                                                    "nul", "conin$", "conout$"};
  for (const std::string_view device : kPlainDevices) {
    if (equalsIgnoringAsciiCase(stem, device)) {
      return true;
    }
  }
  if (stem.size() != 4) {
    return false;
  }
  const std::string_view prefix = stem.substr(0, 3);
  if (!equalsIgnoringAsciiCase(prefix, "com") && !equalsIgnoringAsciiCase(prefix, "lpt")) {
    return false;
  }
  // Digits, and the superscripts one, two and three of the Windows code page.
  const unsigned char unit = static_cast<unsigned char>(stem[3]);
  return (unit >= '0' && unit <= '9') || unit == 0xB9 || unit == 0xB2 || unit == 0xB3;
}

// Windows strips trailing dots and spaces from a component, so "..." or ".. "
// may name the parent directory there.
bool isDotsAndSpacesOnly(std::string_view component) {
  return component.size() > 1 && component.find_first_not_of(". ") == std::string_view::npos;
}

bool isUnsafeComponent(std::string_view component, PathRules rules) {
  if (component == "..") {
    return true;
  }
  return rules == PathRules::windows &&
         (isDotsAndSpacesOnly(component) || isReservedDeviceName(component));
}

}  // namespace

bool isControlCharacter(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x01 && byte <= 0x1F) || byte == 0x7F;
}

bool isSafeOutputName(std::string_view name, PathRules rules) {
  if (name.empty() || isSeparator(name.front(), rules)) {
    return false;
  }
  if (std::any_of(name.begin(), name.end(), isControlCharacter)) {
    return false;
  }
  if (rules == PathRules::windows && name.find(':') != std::string_view::npos) {
    return false;
  }
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !isSeparator(name[end], rules)) {
      ++end;
    }
    if (isUnsafeComponent(name.substr(start, end - start), rules)) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

std::string shownName(std::string_view name) {
  std::string shown(name);
  std::replace_if(shown.begin(), shown.end(), isControlCharacter, '?');
  return shown;
}

}  // namespace orvex
