#include "file_identity.h"

#include <algorithm>
#include <clocale>
#include <cwchar>
#include <filesystem>
#include <locale>
#include <optional>
#include <system_error>

namespace orvex {
namespace {

#ifdef _WIN32
// fopen and the other narrow file functions read names in the ANSI code page,
// while std::filesystem converts them through the C library's character type,
// "C" unless set, which reads each byte as the code point of its value:
// "\x80X.wav" would be another file for it than for fopen. So the character
// type is set to the ANSI code page before the first conversion. Returns
// whether that worked.
bool convertsLikeTheFileFunctions() {
  static const bool set = std::setlocale(LC_CTYPE, ".ACP") != nullptr;
  return set;
}
#endif

// The path of a name as the narrow file functions take it. On Windows a
// std::filesystem::path holds UTF-16, and building one from a narrow string
// converts it through the C library and throws when a name does not convert;
// here the same conversion is made without exceptions, and a name that does
// not convert (or might convert otherwise than for fopen) has no path.
std::optional<std::filesystem::path> pathOf(const std::string& name) {
#ifdef _WIN32
  using Conversion = std::codecvt<wchar_t, char, std::mbstate_t>;
  if (name.empty()) {
    return std::filesystem::path();
  }
  if (!convertsLikeTheFileFunctions() &&
      std::any_of(name.begin(), name.end(), [](char c) { return (c & 0x80) != 0; })) {
    return std::nullopt;  // the conversion could differ from fopen's
  }
  const Conversion& conversion = std::use_facet<Conversion>(std::locale());
  std::wstring wide(name.size(), L'\0');
  std::mbstate_t state{};
  const char* nameEnd = nullptr;
  wchar_t* wideEnd = nullptr;
  const auto result = conversion.in(state, name.data(), name.data() + name.size(), nameEnd,
                                    wide.data(), wide.data() + wide.size(), wideEnd);
  if (result != Conversion::ok || nameEnd != name.data() + name.size()) {
    return std::nullopt;
  }
  wide.resize(static_cast<std::size_t>(wideEnd - wide.data()));
  return std::filesystem::path(std::move(wide));
#else
  return std::filesystem::path(name);
#endif
}

}  // namespace

bool isDirectory(const std::string& path) {
  const std::optional<std::filesystem::path> converted = pathOf(path);
  std::error_code error;
  return converted && std::filesystem::is_directory(*converted, error);
}

bool isSameFile(const std::string& first, const std::string& second) {
  const std::optional<std::filesystem::path> firstPath = pathOf(first);
  const std::optional<std::filesystem::path> secondPath = pathOf(second);
  if (!firstPath || !secondPath) {
    return true;  // cannot tell: never risk writing over the archive
  }
  std::error_code error;
  const bool same = std::filesystem::equivalent(*firstPath, *secondPath, error);
  return same && !error;
}

}  // namespace orvex
