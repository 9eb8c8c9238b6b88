// Whether an entry's name may be used as an output path: it must not lead
// outside the current directory or onto a device, and must hold no control
// characters. And how a name is shown in messages.
#ifndef ORVEX_TOOL_OUTPUT_NAME_H
#define ORVEX_TOOL_OUTPUT_NAME_H

#include <string>
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

// The bytes 0x01 to 0x1F and 0x7F: printed, they would drive the terminal
// (escape sequences, cursor moves) or start lines of their own.
bool isControlCharacter(char c);

// False for a name that holds a control character, is absolute, has a ".."
// component, or (under the
// Windows rules) has a drive prefix, any ':', or a reserved device name as a
// component ("con.wav", "NUL.MP3", "COM1.jpg", ...). Relative names with
// subdirectories are safe: they stay below the current directory.
bool isSafeOutputName(std::string_view name, PathRules rules);

// `name` as messages show it: each control character becomes '?', every
// other byte (those from 0x80 up included) stays as it is.
std::string shownName(std::string_view name);

}  // namespace orvex

#endif  // ORVEX_TOOL_OUTPUT_NAME_H
