// The archive's path as Windows' wide file calls take it when it is long.
// Pure, so that it is compiled and tested on every system.
#ifndef ORVEX_TOOL_WINDOWS_PATH_H
#define ORVEX_TOOL_WINDOWS_PATH_H

#include <string>
#include <string_view>

namespace orvex {

// Paths of this many characters or more need the "\\?\" prefix (MAX_PATH,
// whose last place is the terminating NUL).
inline constexpr std::size_t kMaxPlainPathLength = 260;

// `path` in the form that opens it when it is long: made absolute against
// `currentDirectory` (a drive-relative "C:x" against it when it is on that
// drive, else against that drive's root; a root-relative "\x" on its drive
// or share), '/' turned into '\', "." and ".." resolved (never above "C:\"
// or "\\server\share"), and, when that is kMaxPlainPathLength characters or
// more, behind "\\?\" ("\\?\UNC\server\share\..." for a share), which makes
// Windows take it literally. A shorter path, and one already starting with
// "\\?\" or "\\.\", is returned unchanged, as Windows reads it itself.
std::wstring extendedLengthPath(std::wstring_view path, std::wstring_view currentDirectory);

}  // namespace orvex

#endif  // ORVEX_TOOL_WINDOWS_PATH_H
