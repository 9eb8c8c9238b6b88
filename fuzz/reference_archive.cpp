#include "reference_archive.h"

#include <cstdio>

namespace orvex::fuzz {
namespace {

std::int64_t int32At(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= std::uint32_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
  }
  return static_cast<std::int32_t>(value);
}

std::vector<std::string> components(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (const char c : path) {
    if (c == '/') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

// Lowers the last four characters the way the run announces the name; empty
// when the name is not extractable.
std::string extractableName(std::string name) {
  if (name.size() < 4) {
    return "";
  }
  for (std::size_t i = name.size() - 4; i < name.size(); ++i) {
    if (name[i] >= 'A' && name[i] <= 'Z') {
      name[i] = static_cast<char>(name[i] - 'A' + 'a');
    }
  }
  const std::string ending = name.substr(name.size() - 4);
  return ending == ".jpg" || ending == ".mp3" || ending == ".wav" ? name : "";
}

bool isControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x01 && byte < 0x20) || byte == 0x7f;
}

bool holdsControlCharacters(const std::string& name) {
  for (const char c : name) {
    if (isControl(c)) {
      return true;
    }
  }
  return false;
}

// The name as messages show it.
std::string shown(std::string name) {
  for (char& c : name) {
    if (isControl(c)) {
      c = '?';
    }
  }
  return name;
}

struct Extent {
  std::int64_t first;
  std::int64_t end;
};

// Empty entries overlap nothing.
bool overlapsAny(const std::vector<Extent>& written, std::int64_t first, std::int64_t end) {
  if (first == end) {
    return false;
  }
  for (const Extent& extent : written) {
    if (first < extent.end && extent.first < end) {
      return true;
    }
  }
  return false;
}

bool leavesTheDirectory(const std::string& name) {
  if (name.front() == '/') {
    return true;
  }
  for (const std::string& part : components(name)) {
    if (part == "..") {
      return true;
    }
  }
  return false;
}

// The file a relative name leads to, with empty and "." components dropped.
std::string normalPath(const std::string& name) {
  std::string path;
  for (const std::string& part : components(name)) {
    if (part.empty() || part == ".") {
      continue;
    }
    path += path.empty() ? part : "/" + part;
  }
  return path;
}

std::string parentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

}  // namespace

ReferenceArchive parseArchive(std::string_view bytes) {
  ReferenceArchive archive;
  if (bytes.size() < 4) {
    return archive;
  }
  for (std::size_t at = 4; at + 17 <= bytes.size(); at += 17) {
    ReferenceRecord record;
    record.offset = int32At(bytes, at);
    const std::string_view field = bytes.substr(at + 4, 13);
    record.name = std::string(field.substr(0, field.find('\0')));
    archive.records.push_back(record);
    if (record.name.empty()) {
      archive.complete = true;
      break;
    }
  }
  return archive;
}

ExpectedRun expectRun(std::string_view bytes, const StartingDirectory& start) {
  ExpectedRun run;
  run.files = start.files;
  for (const std::string& directory : start.directories) {
    run.files[directory] = "<dir>";
  }
  for (const std::string& name : start.archiveNames) {
    run.files[name] = std::string(bytes);
  }
  for (const auto& [name, target] : start.links) {
    run.files[name] = "<link to " + target + ">";
  }
  const ReferenceArchive archive = parseArchive(bytes);
  if (!archive.complete) {
    run.output = "Archive is broken.\n";
    run.status = 1;
    return run;
  }
  const auto archiveSize = static_cast<std::int64_t>(bytes.size());
  std::vector<Extent> written;  // of the entries announced as done
  for (std::size_t i = 0; i + 1 < archive.records.size(); ++i) {
    const std::string name = extractableName(archive.records[i].name);
    if (name.empty()) {
      continue;
    }
    const std::int64_t offset = archive.records[i].offset;
    const std::int64_t size = archive.records[i + 1].offset - offset;
    const std::string path = normalPath(name);
    const std::string parent = parentOf(path);
    if (holdsControlCharacters(name) || leavesTheDirectory(name)) {
      run.output += "File cannot open. : " + shown(name) + "\n";
    } else if (offset < 0 || size < 0 || offset + size > archiveSize ||
               overlapsAny(written, offset, offset + size)) {
      run.output += "File cannot read. : " + name + "\n";
    } else if ((!parent.empty() && start.directories.count(parent) == 0) ||
               start.archiveNames.count(path) != 0 || start.links.count(path) != 0) {
      run.output += "File cannot open. : " + name + "\n";
    } else {
      run.files[path] = std::string(
          bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(size)));
      run.output += name + " done.\n";
      if (size > 0) {
        written.push_back({offset, offset + size});
      }
      continue;
    }
    run.status = 1;
  }
  return run;
}

std::string escaped(std::string_view bytes) {
  std::string shown;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && c != '\\') {
      shown += c;
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02x", byte);
      shown += code;
    }
  }
  return shown;
}

}  // namespace orvex::fuzz
