// Which directory entries the tool writes out: those whose name ends in one
// of a few media endings, whatever the case of its letters.
#ifndef ORVEX_TOOL_EXTRACTABLE_NAME_H
#define ORVEX_TOOL_EXTRACTABLE_NAME_H

#include <array>
#include <string_view>

#include "archive/archive_directory.h"

namespace orvex {

inline constexpr std::size_t kExtensionLength = 4;

// Searched in this order; all lower case, four characters each.
inline constexpr std::array<std::string_view, 3> kExtractableExtensions = {".jpg", ".mp3", ".wav"};

// Lowers the last four characters of `record.name` in place (ASCII A-Z only,
// whatever the locale) and tells whether they now equal one of
// kExtractableExtensions. Names shorter than four characters are left alone
// and are never extractable.
bool isExtractable(DirectoryRecord& record);

}  // namespace orvex

#endif  // ORVEX_TOOL_EXTRACTABLE_NAME_H
