// Whether an entry's name may be used as an output path: it must not lead
// outside the current directory or onto a device.
#ifndef ORVEX_TOOL_OUTPUT_NAME_H
#define ORVEX_TOOL_OUTPUT_NAME_H

#include <string_view>

namespace orvex {

enum class PathRules {
  posix,    // '/' separates; absolute paths and ".." leave the directory
  windows,  // also '\', drive prefixes, ':' streams and reserved device names
};

#ifdef _WIN32
inline constexpr PathRules kHostPathRules = PathRules::windows;
#else
inline constexpr PathRules kHostPathRules = PathRules::posix;
#endif

// False for a name that is absolute, has a ".." component, or (under the
// Windows rules) has a drive prefix, any ':', or a reserved device name as a
// component ("con.wav", "NUL.MP3", "COM1.jpg", ...). Relative names with
// subdirectories are safe: they stay below the current directory.
bool isSafeOutputName(std::string_view name, PathRules rules);

}  // namespace orvex

#endif  // ORVEX_TOOL_OUTPUT_NAME_H
