// Questions about files on disk that the run asks before it touches them.
#ifndef ORVEX_TOOL_FILE_IDENTITY_H
#define ORVEX_TOOL_FILE_IDENTITY_H

#include <string>

namespace orvex {

bool isDirectory(const std::string& path);

// True when both paths exist and lead to the same file, through links or
// different spellings included; also when a name cannot be converted to the
// platform's file names (Windows), so that the archive is never at risk.
bool isSameFile(const std::string& first, const std::string& second);

}  // namespace orvex

#endif  // ORVEX_TOOL_FILE_IDENTITY_H
