// File access through Windows' own calls: the archive opened by its UTF-16
// path, whatever characters and length it has, and read with one call per
// entry at the entry's offset; each output file created by its name in the
// ANSI code page, checked against the archive on its open handle, and only
// then cut and written with one call.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "file_access.h"
#include "full_transfer.h"

namespace orvex {
namespace {

// Reads up to `count` bytes from `offset` on; how many were read, 0 at the
// end of the file or on failure.
long readAtOffset(HANDLE file, std::int64_t offset, char* destination, std::size_t count) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  DWORD got = 0;
  const auto asked = static_cast<DWORD>(std::min(count, kMaxTransferPerCall));
  return ReadFile(file, destination, asked, &got, &at) ? static_cast<long>(got) : 0;
}

// The directory's reads, from the archive's first byte on.
class HandleSource final : public ArchiveSource {
 public:
  void attach(HANDLE file, std::int64_t size) {
    file_ = file;
    size_ = size;
  }

  std::size_t readSome(char* destination, std::size_t capacity) override {
    const long got = readAtOffset(file_, position_, destination, capacity);
    position_ += got;
    return static_cast<std::size_t>(got);
  }

  std::int64_t remainingBytes() override { return size_ > position_ ? size_ - position_ : 0; }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};

// The path that opens `path`: as given, as Windows reads it itself, unless
// its full path is MAX_PATH characters or more. Then it is that full path,
// as Windows makes it, behind "\\?\" ("\\?\UNC\" for a share), which
// lifts the limit. A device path ("\\?\...", "\\.\...") is left to Windows.
std::wstring openablePath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  DWORD length = 0;
  // Too small a buffer is answered with the size it needs.
  while ((length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(),
                                    nullptr)) >= full.size()) {
    full.resize(length);
  }
  full.resize(length);
  if (full.size() < MAX_PATH || full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\")) {
    return path;
  }
  return full.starts_with(L"\\\\") ? L"\\\\?\\UNC" + full.substr(1) : L"\\\\?\\" + full;
}

}  // namespace

struct ArchiveFile::State {
  HANDLE file = INVALID_HANDLE_VALUE;
  std::int64_t size = 0;
  // The archive's identity: its volume and its index there.
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  HandleSource source;
};

ArchiveFile::ArchiveFile() : state_(std::make_unique<State>()) {}

ArchiveFile::~ArchiveFile() {
  if (state_->file != INVALID_HANDLE_VALUE) {
    CloseHandle(state_->file);
  }
}

bool ArchiveFile::open(const NativePath& path) {
  // Shared for writing and deleting too, so that an archive that another
  // program holds open still opens. Without FILE_FLAG_BACKUP_SEMANTICS a
  // directory does not open.
  const HANDLE file = CreateFileW(openablePath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  // A device (NUL, say) has no such information: it reads as empty, and its
  // identity, all zeros, is no regular file's.
  BY_HANDLE_FILE_INFORMATION information{};
  GetFileInformationByHandle(file, &information);
  state_->file = file;
  state_->size = static_cast<std::int64_t>((std::uint64_t{information.nFileSizeHigh} << 32) |
                                           information.nFileSizeLow);
  state_->volume = information.dwVolumeSerialNumber;
  state_->indexHigh = information.nFileIndexHigh;
  state_->indexLow = information.nFileIndexLow;
  state_->source.attach(file, state_->size);
  return true;
}

std::int64_t ArchiveFile::size() const {
  return state_->size;
}

ArchiveSource& ArchiveFile::source() {
  return state_->source;
}

bool ArchiveFile::readAt(std::int64_t offset, char* destination, std::size_t size) {
  const HANDLE file = state_->file;
  return transferFully(
      destination, size, [file, offset](char* data, std::size_t count, std::size_t done) {
        return readAtOffset(file, offset + static_cast<std::int64_t>(done), data, count);
      });
}

namespace {

bool isSeparator(char c) {
  return c == '/' || c == '\\';
}

// Whether each directory on `name`'s way is a real directory, not a reparse
// point (a symbolic link, a junction, a mount point) that leads elsewhere.
// A name without a separator has no way to check.
bool isWayFreeOfReparsePoints(const char* name) {
  for (const char* at = name; *at != '\0'; ++at) {
    if (isSeparator(*at) && at != name && !isSeparator(at[-1])) {
      const std::string way(name, at);
      const DWORD attributes = GetFileAttributesA(way.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
          (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

struct OutputFile::State {
  HANDLE file = INVALID_HANDLE_VALUE;
  // The name given to create(), which outlives the file, for remove().
  const char* name = nullptr;
};

OutputFile::OutputFile() : state_(std::make_unique<State>()) {}

OutputFile::~OutputFile() {
  close();
}

CreateResult OutputFile::create(const char* name, const ArchiveFile& archive) {
  if (!isWayFreeOfReparsePoints(name)) {
    return CreateResult::failed;
  }
  // Opened without cutting it: it may be the archive under another name. A
  // reparse point standing under the name is opened itself, not followed.
  const HANDLE file =
      CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return CreateResult::failed;
  }
  // Most names are new, and a file just created is not the archive.
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    const ArchiveFile::State& source = *archive.state_;
    BY_HANDLE_FILE_INFORMATION information;
    CreateResult result = CreateResult::created;
    if (!GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      result = CreateResult::failed;
    } else if (information.dwVolumeSerialNumber == source.volume &&
               information.nFileIndexHigh == source.indexHigh &&
               information.nFileIndexLow == source.indexLow) {
      result = CreateResult::isArchive;
    } else if (!SetEndOfFile(file)) {  // at the file's first byte
      result = CreateResult::failed;
    }
    if (result != CreateResult::created) {
      CloseHandle(file);
      return result;
    }
  }
  state_->file = file;
  state_->name = name;
  return CreateResult::created;
}

bool OutputFile::writeAll(const char* source, std::size_t size) {
  const HANDLE file = state_->file;
  return transferFully(const_cast<char*>(source), size,
                       [file](char* data, std::size_t count, std::size_t) {
                         DWORD written = 0;
                         return WriteFile(file, data, static_cast<DWORD>(count), &written, nullptr)
                                    ? static_cast<long>(written)
                                    : 0L;
                       });
}

// No flush first: WriteFile has handed every byte to the system, which
// writes its cache out later whatever a flush here would report, and a
// flush would wait for the disk on every file.
bool OutputFile::close() {
  const HANDLE file = state_->file;
  state_->file = INVALID_HANDLE_VALUE;
  return file == INVALID_HANDLE_VALUE || CloseHandle(file);
}

void OutputFile::remove() {
  close();
  if (state_->name != nullptr) {
    DeleteFileA(state_->name);
  }
}

EntryBuffer::EntryBuffer(std::size_t size)
    : data_(static_cast<char*>(std::malloc(size == 0 ? 1 : size))) {}

EntryBuffer::~EntryBuffer() {
  std::free(data_);
}

}  // namespace orvex
