#include "tool/entry_copy.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "support/scratch_directory.h"
#include "tool/file_access.h"
#include "tool/full_transfer.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;
using testing::listTree;
using testing::readFile;
using testing::ScratchDirectory;
using testing::writeFile;

std::string patternBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((i * 131 + 7) % 251);
  }
  return bytes;
}

// Runs in its own scratch directory, as output names are relative to the
// current directory.
class FileAccess : public ::testing::Test {
 protected:
  FileAccess() : previous_(fs::current_path()) { fs::current_path(scratch_.path()); }
  ~FileAccess() override { fs::current_path(previous_); }

  // Writes `bytes` as the archive and opens it.
  ArchiveFile& archiveOf(const std::string& bytes) {
    writeFile(archivePath(), bytes);
    EXPECT_TRUE(archive_.open(archivePath().native()));
    return archive_;
  }
  fs::path archivePath() const { return scratch_.path() / "archive.dat"; }
  static std::string path(const char* name) { return name; }

  ScratchDirectory scratch_;
  fs::path previous_;
  ArchiveFile archive_;
};

TEST_F(FileAccess, WholeAndChunkedCopiesGiveTheSameBytes) {
  // The largest range needs a buffer that holds whole huge pages.
  const std::string bytes = patternBytes((std::size_t{33} << 20) + 5);
  ArchiveFile& archive = archiveOf(bytes);
  EXPECT_EQ(archive.size(), static_cast<std::int64_t>(bytes.size()));
  struct Range {
    std::int64_t offset;
    std::int64_t size;
  };
  const Range ranges[] = {
      {0, 0}, {0, 10000}, {17, 5000}, {9999, 1}, {3, (std::int64_t{33} << 20) + 2}};
  for (const Range range : ranges) {
    const std::string expected =
        bytes.substr(static_cast<std::size_t>(range.offset), static_cast<std::size_t>(range.size));
    for (const std::size_t chunk : {std::size_t{0}, std::size_t{7}, std::size_t{65536}}) {
      if (chunk == 7 && range.size > 10000) {
        continue;  // millions of calls prove nothing more
      }
      OutputFile output;
      ASSERT_EQ(output.create(path("out.wav").c_str(), archive), CreateResult::created);
      std::vector<char> buffer(chunk);
      const CopyResult result =
          chunk == 0 ? copyEntry(archive, range.offset, range.size, output)
                     : copyInChunks(archive, range.offset, range.size, output, buffer);
      EXPECT_EQ(result, CopyResult::copied);
      EXPECT_TRUE(output.close());
      EXPECT_TRUE(readFile(path("out.wav")) == expected)
          << range.offset << "+" << range.size << " through " << chunk;
    }
  }
}

TEST_F(FileAccess, ReadPastTheEndFailsAndLaterReadsStillWork) {
  ArchiveFile& archive = archiveOf(patternBytes(100));
  OutputFile output;
  ASSERT_EQ(output.create(path("out.wav").c_str(), archive), CreateResult::created);
  std::vector<char> buffer(8);
  EXPECT_EQ(copyEntry(archive, 90, 20, output), CopyResult::readFailed);
  EXPECT_EQ(copyInChunks(archive, 90, 20, output, buffer), CopyResult::readFailed);
  EXPECT_EQ(copyEntry(archive, 0, 4, output), CopyResult::copied);
  EXPECT_TRUE(output.close());
  EXPECT_EQ(readFile(path("out.wav")), patternBytes(100).substr(90, 8) + patternBytes(4));
}

TEST_F(FileAccess, SourceReadsFromTheFirstByteAndCountsWhatIsLeft) {
  const std::string bytes = patternBytes(70000);
  ArchiveSource& source = archiveOf(bytes).source();
  EXPECT_EQ(source.remainingBytes(), 70000);
  std::string read;
  std::vector<char> piece(65536);
  for (std::size_t got = 0; (got = source.readSome(piece.data(), piece.size())) != 0;) {
    read.append(piece.data(), got);
    EXPECT_EQ(source.remainingBytes(), static_cast<std::int64_t>(70000 - read.size()));
  }
  EXPECT_EQ(read, bytes);
  // Entries are read at their offsets whatever the directory's reads left.
  std::vector<char> entry(3);
  ASSERT_TRUE(archive_.readAt(10, entry.data(), entry.size()));
  EXPECT_EQ(std::string(entry.data(), entry.size()), bytes.substr(10, 3));
}

TEST_F(FileAccess, CreatesTruncatesAndRefusesTheArchiveAndLinks) {
  ArchiveFile& archive = archiveOf("the archive's bytes");
  writeFile(path("old.wav"), "older and longer contents");
  fs::create_directory(path("dir.wav"));
  fs::create_directory(path("sub"));
  fs::create_hard_link(archivePath(), path("hard.wav"));
#ifndef _WIN32  // Wine cannot make symbolic links
  fs::create_symlink(archivePath(), path("link.wav"));
#endif
  struct CreateCase {
    const char* name;
    CreateResult result;
  };
  // clang-format off
  const CreateCase cases[] = {
      {"new.wav", CreateResult::created},
      {"old.wav", CreateResult::created},
      {"sub/new.wav", CreateResult::created},
      {"sub//.wav", CreateResult::created},
      {"dir.wav", CreateResult::failed},
      {"missing/a.wav", CreateResult::failed},
      {"old.wav/a.wav", CreateResult::failed},
      {"hard.wav", CreateResult::isArchive},
#ifndef _WIN32
      {"link.wav", CreateResult::failed},
#endif
      {"archive.dat", CreateResult::isArchive},
  };
  // clang-format on
  for (const CreateCase& c : cases) {
    OutputFile output;
    EXPECT_EQ(output.create(path(c.name).c_str(), archive), c.result) << c.name;
    EXPECT_TRUE(output.close());
  }
  EXPECT_EQ(readFile(path("new.wav")), "");
  EXPECT_EQ(readFile(path("old.wav")), "");
  EXPECT_EQ(listTree("sub"), (std::map<std::string, std::string>{{"new.wav", ""}, {".wav", ""}}));
  EXPECT_EQ(readFile(archivePath()), "the archive's bytes");
}

#ifndef _WIN32
TEST_F(FileAccess, RemovesTheFileFromTheDirectoryItWasCreatedIn) {
  ArchiveFile& archive = archiveOf("abc");
  fs::create_directories("first/sub");
  fs::create_directory("other");
  OutputFile output;
  ASSERT_EQ(output.create("first/sub/a.wav", archive), CreateResult::created);
  // The way is swapped for a link to another directory holding that name.
  fs::rename("first", "moved");
  fs::create_symlink("other", "first");
  fs::create_directory("other/sub");
  writeFile("other/sub/a.wav", "keep");
  output.remove();
  EXPECT_FALSE(fs::exists("moved/sub/a.wav"));
  EXPECT_EQ(readFile("other/sub/a.wav"), "keep");
}
#endif

#ifndef _WIN32
TEST_F(FileAccess, CreatesWithoutExecuteBitsAndReportsAFailedClose) {
  ArchiveFile& archive = archiveOf("abc");
  // The output gets the lowest free descriptor, to be closed behind its back.
  const int lowest = ::dup(STDERR_FILENO);
  ASSERT_EQ(::close(lowest), 0);
  const mode_t previousMask = ::umask(022);
  OutputFile output;
  const CreateResult created = output.create(path("out.wav").c_str(), archive);
  ::umask(previousMask);
  ASSERT_EQ(created, CreateResult::created);
  EXPECT_EQ(fs::status(path("out.wav")).permissions(), fs::perms(0644));  // 0666 less the umask
  ASSERT_EQ(copyEntry(archive, 0, 3, output), CopyResult::copied);
  ASSERT_EQ(::close(lowest), 0);
  EXPECT_FALSE(output.close());
}
#endif

TEST(TransferFully, RepeatsShortCallsUntilAllIsMoved) {
  struct Step {
    long moved;  // what the call returns; -1 with `error` set on failure
    int error;
  };
  struct TransferCase {
    const char* title;
    std::vector<Step> steps;
    std::size_t size;
    bool complete;
    std::size_t calls;
  };
  const TransferCase cases[] = {
      {"OneCall", {{10, 0}}, 10, true, 1},
      {"ShortCounts", {{3, 0}, {1, 0}, {6, 0}}, 10, true, 3},
      {"Interrupted", {{4, 0}, {-1, EINTR}, {6, 0}}, 10, true, 3},
      {"EndOfFile", {{4, 0}, {0, 0}}, 10, false, 2},
      {"Failure", {{-1, EIO}}, 10, false, 1},
      {"Nothing", {}, 0, true, 0},
  };
  for (const TransferCase& c : cases) {
    std::string data(c.size, '\0');
    std::size_t call = 0;
    const bool complete =
        transferFully(data.data(), c.size, [&](char* at, std::size_t, std::size_t done) {
          EXPECT_EQ(at, data.data() + done);
          const Step step = call < c.steps.size() ? c.steps[call] : Step{-1, EIO};
          ++call;
          errno = step.error;
          return step.moved;
        });
    EXPECT_EQ(complete, c.complete) << c.title;
    EXPECT_EQ(call, c.calls) << c.title;
  }
}

TEST(TransferFully, NeverAsksForMoreThanOneCallMayMove) {
  std::vector<std::size_t> counts;
  char byte = 0;
  // The data pointer is never dereferenced by the fake call.
  transferFully(&byte, kMaxTransferPerCall * 2 + 5, [&](char*, std::size_t count, std::size_t) {
    counts.push_back(count);
    return static_cast<long>(count);
  });
  EXPECT_EQ(counts, (std::vector<std::size_t>{kMaxTransferPerCall, kMaxTransferPerCall, 5}));
}

}  // namespace
}  // namespace orvex
