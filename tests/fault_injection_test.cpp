// Every way the tool can be failed, in one place: archives that are cut
// short, lie about their size or name files outside the current directory,
// and a file system or memory that refuses what the run needs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "support/archive_builder.h"
#include "support/orvex_run.h"
#include "support/run_case.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace orvex::testing {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
// Runs `script` in a POSIX shell in `directory`, with the command that starts
// orvex with `arguments` as "$@".
ProcessResult runInShell(const std::string& script, const std::vector<std::string>& arguments,
                         const fs::path& directory) {
  std::vector<std::string> shellArguments = orvexCommand(arguments);
  shellArguments.insert(shellArguments.begin(), {"-c", script, "sh"});
  return runProcess("/bin/sh", shellArguments, {directory, {}, {}});
}
#endif

#ifndef _WIN32
// Makes `path` a device node like /dev/full, on which every write fails for
// want of room. Returns why it cannot be made here, or empty when it was.
std::string whyNoFullDevice(const fs::path& path) {
  struct stat full {};
  if (::stat("/dev/full", &full) != 0) {
    return "there is no /dev/full";
  }
  if (::mknod(path.c_str(), S_IFCHR | 0666, full.st_rdev) != 0) {
    return std::string("a device node cannot be made here (it takes root): ") +
           std::strerror(errno);
  }
  const int device = ::open(path.c_str(), O_WRONLY);
  if (device < 0) {
    return std::string("device nodes cannot be opened here: ") + std::strerror(errno);
  }
  ::close(device);
  return "";
}
#endif

INSTANTIATE_TEST_SUITE_P(
    Broken, Extracts,
    ::testing::Values(
        RunCase{"Empty", "", "Archive is broken.\n", 1, {}},
        RunCase{"EndsInsideCount", "\x01\x00", "Archive is broken.\n", 1, {}},
        RunCase{"EndsBeforeFirstRecord", int32Bytes(1), "Archive is broken.\n", 1, {}},
        RunCase{"EndsInsideDirectory",
                buildArchive({{"A.WAV", "a"}}).substr(0, 4 + 10),
                "Archive is broken.\n",
                1,
                {}},
        RunCase{"EndsInsideTerminator",
                buildArchive({{"A.WAV", "a"}}).substr(0, 4 + 17 + 16),
                "Archive is broken.\n",
                1,
                {}},
        RunCase{"EntryEndsPastTheArchive",
                buildArchive({{"A.WAV", "abcd"}, {"B.WAV", "ok"}}).substr(0, 4 + 17 * 3 + 5),
                "A.wav done.\nFile cannot read. : B.wav\n",
                1,
                {{"A.wav", "abcd"}}},
        RunCase{"EmptyEntryPastTheArchive",
                rawArchive({{39, "A.WAV"}, {39, ""}}, ""),
                "File cannot read. : A.wav\n",
                1,
                {}},
        RunCase{"EmptyEntryAtTheArchiveEnd",
                rawArchive({{38, "A.WAV"}, {38, ""}}, ""),
                "A.wav done.\n",
                0,
                {{"A.wav", ""}}},
        RunCase{"DecreasingOffsets",
                rawArchive({{57, "A.WAV"}, {55, "B.WAV"}, {59, ""}}, "abcdef"),
                "File cannot read. : A.wav\nB.wav done.\n",
                1,
                {{"B.wav", "abcd"}}},
        RunCase{"NegativeOffset",
                rawArchive({{-4, "A.WAV"}, {55, "B.WAV"}, {57, ""}}, "abcd"),
                "File cannot read. : A.wav\nB.wav done.\n",
                1,
                {{"B.wav", "ab"}}},
        RunCase{"OffsetsFarApart",
                rawArchive({{-2147483647 - 1, "A.WAV"}, {2147483647, ""}}, "x"),
                "File cannot read. : A.wav\n",
                1,
                {}}),
    titleOf);

// The count before the directory is only a hint: the records decide.
INSTANTIATE_TEST_SUITE_P(
    LyingCounts, Extracts,
    ::testing::Values(
        RunCase{"CountIsOnlyAHint",
                buildArchive({{"A.WAV", "a"}, {"B.WAV", "b"}, {"C.WAV", "c"}}, 1),
                "A.wav done.\nB.wav done.\nC.wav done.\n",
                0,
                {{"A.wav", "a"}, {"B.wav", "b"}, {"C.wav", "c"}}},
        RunCase{
            "ZeroCount", buildArchive({{"A.WAV", "a"}}, 0), "A.wav done.\n", 0, {{"A.wav", "a"}}},
        RunCase{"NegativeCount",
                buildArchive({{"A.WAV", "a"}}, -1),
                "A.wav done.\n",
                0,
                {{"A.wav", "a"}}},
        RunCase{"HugeCount",
                buildArchive({{"A.WAV", "a"}}, 0x7fffffff),
                "A.wav done.\n",
                0,
                {{"A.wav", "a"}}}),
    titleOf);

// Names that would lead outside the current directory, by what they say or
// through a symbolic link standing in the current directory (links that
// Wine shows as reparse points: to directories alone).
const RunCase kUnsafeNames[] = {
    {"ParentDirectory",
     buildArchive({{"../UP.WAV", "u"}, {"OK.WAV", "ok"}}),
     "File cannot open. : ../UP.wav\nOK.wav done.\n",
     1,
     {{"OK.wav", "ok"}}},
    {"ParentInsideThePath",
     buildArchive({{"a/../../X.MP3", "x"}}),
     "File cannot open. : a/../../X.mp3\n",
     1,
     {}},
    {"Absolute", buildArchive({{"/tmp/OX.WAV", "x"}}), "File cannot open. : /tmp/OX.wav\n", 1, {}},
    {"MissingSubdirectory",
     buildArchive({{"SFX/A.WAV", "a"}, {"B.WAV", "b"}}),
     "File cannot open. : SFX/A.wav\nB.wav done.\n",
     1,
     {{"B.wav", "b"}}},
    {"LinkToADirectoryOnTheWay",
     buildArchive({{"SFX/C.WAV", "c"}, {"real/E.WAV", "e"}}),
     "File cannot open. : SFX/C.wav\nreal/E.wav done.\n",
     1,
     {{"real/E.wav", "e"}},
     {{"SFX", "../outside/dir"}, {"real", ""}}},
#ifndef _WIN32
    // Relative, absolute and dangling links, to files and to directories.
    {"LinksToFilesAndDirectories",
     buildArchive({{"A.WAV", "a"},
                   {"B.MP3", "b"},
                   {"ABS/B.MP3", "b"},
                   {"N.WAV", "n"},
                   {"GONE/N.WAV", "n"},
                   {"OK.WAV", "ok"}}),
     "File cannot open. : A.wav\nFile cannot open. : B.mp3\nFile cannot open. : ABS/B.mp3\n"
     "File cannot open. : N.wav\nFile cannot open. : GONE/N.wav\nOK.wav done.\n",
     1,
     {{"OK.wav", "ok"}},
     {{"A.wav", "../outside/target"},
      {"B.mp3", "/outside/target"},
      {"ABS", "/outside/dir"},
      {"N.wav", "../outside/dir/new.wav"},
      {"GONE", "../outside/none"}}},
    {"LinkTwoLevelsDown",
     buildArchive({{"D/L/E.WAV", "e"}, {"D/F.WAV", "f"}}),
     "File cannot open. : D/L/E.wav\nD/F.wav done.\n",
     1,
     {{"D/F.wav", "f"}},
     {{"D", ""}, {"D/L", "../../outside/dir"}}},
    {"LinksPointingInside",
     buildArchive({{"real/Y.WAV", "y"}, {"SAME.WAV", "s"}, {"IN/X.WAV", "x"}}),
     "real/Y.wav done.\nFile cannot open. : SAME.wav\nFile cannot open. : IN/X.wav\n",
     1,
     {{"real/Y.wav", "y"}},
     {{"real", ""}, {"IN", "real"}, {"SAME.wav", "real/Y.wav"}}},
#endif
};
INSTANTIATE_TEST_SUITE_P(UnsafeNames, Extracts, ::testing::ValuesIn(kUnsafeNames), titleOf);

TEST_F(OrvexRun, UnsafeNamesTouchNothingOutsideTheCurrentDirectory) {
  ASSERT_FALSE(fs::exists("/tmp/OX.wav"));
  extract(buildArchive({{"../UP.WAV", "u"}, {"/tmp/OX.WAV", "x"}, {"w/../../V.MP3", "v"}}));
  EXPECT_FALSE(fs::exists("/tmp/OX.wav"));
  EXPECT_EQ(
      listTree(root()),
      (Files{{"input", "<dir>"}, {"input/test.dat", readFile(archivePath())}, {"work", "<dir>"}}));
}

TEST_F(OrvexRun, NeverWritesOverTheArchiveItself) {
  const std::string archive =
      buildArchive({{"LINK.WAV", "l"}, {"SYM.MP3", "s"}, {"AFTER.JPG", "a"}});
  writeFile(archivePath(), archive);
  fs::create_hard_link(archivePath(), work() / "LINK.wav");
#ifdef _WIN32
  // Symbolic links need privileges on Windows (and Wine has none): the
  // hard link stands for every other name of the archive.
  const std::string symlinkLine = "SYM.mp3 done.\n";
#else
  fs::create_symlink(archivePath(), work() / "SYM.mp3");
  const std::string symlinkLine = "File cannot open. : SYM.mp3\n";
#endif
  const ProcessResult result = extract(archive);
  EXPECT_EQ(result.output,
            printed("File cannot open. : LINK.wav\n" + symlinkLine + "AFTER.jpg done.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles().at("AFTER.jpg"), "a");
}

TEST_F(OrvexRun, NeverWritesOverTheArchiveInTheCurrentDirectory) {
  // Each refusal gives its descriptors back, and so does each file written in
  // a subdirectory: far more than the run may hold open.
  std::vector<Entry> entries;
  std::string messages;
  for (int i = 0; i < 100; ++i) {
    entries.push_back({"SELF.WAV", "self"});
    messages += "File cannot open. : SELF.wav\n";
#ifndef _WIN32
    entries.insert(entries.end(), {{"sub/IN.WAV", "in"}, {"sub/L/X.WAV", "x"}, {"sub/L.WAV", "l"}});
    messages +=
        "sub/IN.wav done.\nFile cannot open. : sub/L/X.wav\nFile cannot open. : sub/L.wav\n";
#endif
  }
#ifndef _WIN32
  fs::create_directory(work() / "sub");
  fs::create_symlink(".", work() / "sub" / "L");
  fs::create_symlink("IN.wav", work() / "sub" / "L.wav");
#endif
  entries.push_back({"OK.WAV", "ok"});
  const std::string archive = buildArchive(entries);
  writeFile(work() / "SELF.wav", archive);
#ifdef _WIN32
  const ProcessResult result = runWithArguments({"SELF.wav"});
#else
  const ProcessResult result = runInShell("ulimit -n 32 && exec \"$@\"", {"SELF.wav"}, work());
#endif
  EXPECT_EQ(result.output, printed(messages + "OK.wav done.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(readFile(work() / "SELF.wav"), archive);
#ifndef _WIN32
  EXPECT_EQ(readFile(work() / "sub" / "IN.wav"), "in");
#endif
}

#ifdef _WIN32
// Windows names files without regard to case: "SELF.wav" is the archive "self.WAV".
TEST_F(OrvexRun, NeverWritesOverTheArchiveSpeltInAnotherCase) {
  const std::string archive = buildArchive({{"SELF.WAV", "self"}, {"OTHER.WAV", "o"}});
  writeFile(work() / "self.WAV", archive);
  const ProcessResult result = runWithArguments({"self.WAV"});
  EXPECT_EQ(result.output, printed("File cannot open. : SELF.wav\nOTHER.wav done.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles(), (Files{{"self.WAV", archive}, {"OTHER.wav", "o"}}));
}

// Bytes 0x80 to 0x9F are read in the ANSI code page ("\x80" is the euro sign
// in code page 1252), whatever the C library would make of them.
TEST_F(OrvexRun, NeverWritesOverTheArchiveNamedInTheAnsiCodePage) {
  const std::string archive = buildArchive({{"\x80S.WAV", "euro"}, {"\x9FS.WAV", "y"}});
  writeFile(work() / narrowNamePath("\x80S.wav"), archive);
  const ProcessResult result = runWithArguments({narrowNamePath("\x80S.wav").string()});
  EXPECT_EQ(result.output, printed("File cannot open. : \x80S.wav\n\x9FS.wav done.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles(), (Files{{"\x80S.wav", archive}, {"\x9FS.wav", "y"}}));
}
#endif

// A full disk as each suite has one: a device node like /dev/full under two
// entries' names (POSIX), or as the current directory the 64 KiB tmpfs that CTest mounts for
// the Windows suites under Wine (tests/CMakeLists.txt), where the first entry
// fits, the large one fills the disk, the empty one needs no room and the
// last finds none left.
TEST_F(OrvexRun, FullDiskIsAWriteFailureAndTheRunGoesOn) {
  struct FullDisk {
    fs::path directory;  // the run's current directory
    std::vector<Entry> entries;
    std::string output;
    Files kept;  // files that hold exactly these bytes afterwards
  };
  std::vector<FullDisk> disks;
  const std::string large(300000, 'b');
  std::string whyNone = "no full disk here: on Windows the suites have one only under Wine";
#ifndef _WIN32
  whyNone = whyNoFullDevice(work() / "BIG.wav");
  if (whyNone.empty()) {
    whyNone = whyNoFullDevice(work() / "SMALL.wav");
  }
  if (whyNone.empty()) {
    disks.push_back({work(),
                     {{"BIG.WAV", large}, {"SMALL.WAV", "s"}, {"OK.WAV", "ok"}},
                     "File cannot write. : BIG.wav\nFile cannot write. : SMALL.wav\nOK.wav done.\n",
                     {{"OK.wav", "ok"}}});
  }
#endif
#ifdef ORVEX_FULL_DISK
  const fs::path tmpfs = fs::absolute(ORVEX_FULL_DISK);
  if (!fs::exists(tmpfs) || fs::exists(tmpfs / "NOT-MOUNTED")) {
    GTEST_SKIP() << (fs::exists(tmpfs) ? readFile(tmpfs / "NOT-MOUNTED")
                                       : tmpfs.string() + " is mounted by CTest");
  }
  // The folder itself, not its parent: a separator after its name.
  ASSERT_LT(fs::space(tmpfs / "").capacity, 1u << 20) << tmpfs << " is no small tmpfs";
  for (const fs::directory_entry& left : fs::directory_iterator(tmpfs)) {
    fs::remove_all(left);  // by an earlier try
  }
  disks.push_back({tmpfs,
                   {{"SMALL.WAV", "s"}, {"BIG.WAV", large}, {"EMPTY.WAV", ""}, {"OK.WAV", "ok"}},
                   "SMALL.wav done.\nFile cannot write. : BIG.wav\nEMPTY.wav done.\n"
                   "File cannot write. : OK.wav\n",
                   {{"SMALL.wav", "s"}, {"EMPTY.wav", ""}}});
#endif
  if (disks.empty()) {
    GTEST_SKIP() << whyNone;
  }
  for (const FullDisk& disk : disks) {
    const std::string archive = buildArchive(disk.entries);
    writeFile(archivePath(), archive);
    const ProcessResult result = runOrvex({archivePath().string()}, {disk.directory, {}, {}});
    EXPECT_EQ(result.signal, 0) << disk.directory;
    EXPECT_EQ(result.errors, "") << disk.directory;
    EXPECT_EQ(result.output, printed(disk.output)) << disk.directory;
    EXPECT_EQ(result.exitCode, 1) << disk.directory;
    for (const auto& [name, bytes] : disk.kept) {
      EXPECT_EQ(readFile(disk.directory / name), bytes) << disk.directory / name;
    }
    EXPECT_EQ(readFile(archivePath()), archive);
  }
}

TEST_F(OrvexRun, StandardStreamsThatFailOrAreMissing) {
#ifdef _WIN32
  GTEST_SKIP() << "the streams are set up by a POSIX shell";
#else
  // Output to a full disk (281 entries: the last message overflows glibc's 4 KiB buffer, and the
  // final flush finds nothing left to fail on), to a pipe whose reader is gone (a FIFO opened both
  // ways, then to write, then closed to read), or input closed: the archive gets descriptor 0.
  const std::tuple<const char*, int, int> cases[] = {
      {"exec >/dev/full", 281, 1},
      {"mkfifo ../out && exec 3<>../out 4>../out 3<&- && rm ../out && exec >&4 4>&-", 300, 1},
      {"exec <&-", 300, 0},
  };
  for (const auto& [setup, count, status] : cases) {
    std::vector<Entry> entries;
    std::string messages;
    Files files;
    for (int i = 0; i < count; ++i) {
      const std::string name = std::string("E").append(std::to_string(i));
      entries.push_back({name + ".WAV", name});
      messages += name + ".wav done.\n";
      files[name + ".wav"] = name;
    }
    writeFile(archivePath(), buildArchive(entries));
    const ProcessResult result =
        runInShell(std::string(setup) + " && exec \"$@\"", {archivePath().string()}, work());
    EXPECT_EQ(result.errors, "") << setup;
    EXPECT_EQ(result.output, status == 0 ? messages : "") << setup;
    EXPECT_EQ(result.exitCode, status) << setup;
    EXPECT_TRUE(workFiles() == files) << setup << ": " << workFiles().size() << " files";
  }
#endif
}

TEST_F(OrvexRun, ArchiveThatIsADeviceIsMeasuredBySeeking) {
#ifdef _WIN32
  GTEST_SKIP() << "devices are POSIX here";
#else
  const ProcessResult empty = runWithArguments({"/dev/null"});
  EXPECT_EQ(empty.output, "Archive is broken.\n");
  EXPECT_EQ(empty.exitCode, 1);
  // An empty entry one byte past the end of the device.
  std::string archive =
      rawArchive({{72, "A.WAV"}, {73, "Z.TXT"}, {4097, "B.WAV"}, {4097, ""}}, "a");
  archive.resize(4096, '\0');  // a loop device holds whole sectors
  writeFile(archivePath(), archive);
  const ProcessResult result = runInShell(
      "dev=$(losetup --find --show --read-only ../input/test.dat) || exit 125\n"
      "\"$@\" \"$dev\"; status=$?; losetup --detach \"$dev\"; exit $status",
      {}, work());
  if (result.exitCode == 125) {
    GTEST_SKIP() << "no loop device (they need root): " << result.errors;
  }
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(result.output, "A.wav done.\nFile cannot read. : B.wav\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles(), (Files{{"A.wav", "a"}}));
#endif
}

TEST_F(OrvexRun, ArchiveThatIsAPipeCannotBeOpened) {
#ifdef _WIN32
  GTEST_SKIP() << "named pipes are POSIX here";
#else
  const fs::path pipe = root() / "pipe.dat";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  // Held open for writing, so that the tool's open does not wait for a writer.
  const int writer = open(pipe.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(writer, 0);
  const ProcessResult result = runWithArguments({pipe.string()});
  close(writer);
  EXPECT_EQ(result.output, "File Not Found.\n");
  EXPECT_EQ(result.exitCode, 1);
#endif
}

TEST_F(OrvexRun, OutputNameThatIsADirectoryCannotBeOpened) {
  fs::create_directory(work() / "DIR.wav");
  const ProcessResult result = extract(buildArchive({{"DIR.WAV", "d"}, {"OK.WAV", "ok"}}));
  EXPECT_EQ(result.output, printed("File cannot open. : DIR.wav\nOK.wav done.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles(), (Files{{"DIR.wav", "<dir>"}, {"OK.wav", "ok"}}));
}

TEST_F(OrvexRun, EntryLargerThanTheAddressSpaceIsStillWrittenInFull) {
  constexpr std::size_t kEntrySize = std::size_t{96} << 20;
  constexpr std::uint64_t kAddressSpace = std::uint64_t{64} << 20;
  if (const std::string why = whyNoAddressSpaceLimit(kAddressSpace); !why.empty()) {
    GTEST_SKIP() << why;
  }
  std::string entry(kEntrySize, '\0');
  for (std::size_t i = 0; i < entry.size(); i += 4093) {
    entry[i] = static_cast<char>(i / 4093);
  }
  // The copy in pieces still reports a full disk.
#ifndef _WIN32
  if (const std::string why = whyNoFullDevice(work() / "FULL.wav"); !why.empty()) {
    GTEST_SKIP() << why;
  }
#endif
  RunOptions options;
  options.addressSpaceLimit = kAddressSpace;
  const ProcessResult result =
      extract(buildArchive({{"HUGE.WAV", entry}, {"FULL.WAV", entry}, {"TINY.MP3", "t"}}), options);
  EXPECT_EQ(result.output,
            printed("HUGE.wav done.\nFile cannot write. : FULL.wav\nTINY.mp3 done.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(readFile(work() / "HUGE.wav") == entry) << "the large entry's bytes differ";
  EXPECT_EQ(readFile(work() / "TINY.mp3"), "t");
}

TEST_F(OrvexRun, LyingCountInALargeArchiveNeedsNoMemory) {
  constexpr std::uint64_t kAddressSpace = std::uint64_t{24} << 20;
  if (const std::string why = whyNoAddressSpaceLimit(kAddressSpace); !why.empty()) {
    GTEST_SKIP() << why;
  }
  // Room for more than a million records after the directory, all ignored.
  std::string archive = rawArchive({{38, "A.WAV"}, {39, ""}}, "a");
  archive.resize(std::size_t{20} << 20, '\0');
  archive.replace(0, 4, int32Bytes(0x7fffffff));
  RunOptions options;
  options.addressSpaceLimit = kAddressSpace;
  const ProcessResult result = extract(archive, options);
  EXPECT_EQ(result.output, printed("A.wav done.\n"));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(workFiles(), (Files{{"A.wav", "a"}}));
}

TEST_F(OrvexRun, DirectoryLargerThanMemoryIsReported) {
  constexpr std::uint64_t kAddressSpace = std::uint64_t{24} << 20;
  if (const std::string why = whyNoAddressSpaceLimit(kAddressSpace); !why.empty()) {
    GTEST_SKIP() << why;
  }
  constexpr std::int32_t kRecords = 2'000'000;
  std::string archive = int32Bytes(kRecords + 1);
  archive.reserve(4 + 17 * (kRecords + 1));
  for (std::int32_t i = 0; i < kRecords; ++i) {
    archive += recordBytes(0, "A.WAV");
  }
  archive += recordBytes(0, "");
  RunOptions options;
  options.addressSpaceLimit = kAddressSpace;
  const ProcessResult result = extract(archive, options);
  EXPECT_EQ(result.output, printed("Not enough memory.\n"));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles(), Files{});
}

#ifndef _WIN32
constexpr fs::perms kReadAndEnterForAll = fs::perms::owner_read | fs::perms::owner_exec |
                                          fs::perms::group_read | fs::perms::group_exec |
                                          fs::perms::others_read | fs::perms::others_exec;

// Makes a directory read-only (readable and enterable by everyone) until the
// end of the test, when its owner may write to it again.
class ReadOnlyDirectory {
 public:
  explicit ReadOnlyDirectory(fs::path directory) : directory_(std::move(directory)) {
    fs::permissions(directory_, kReadAndEnterForAll);
  }
  ~ReadOnlyDirectory() { fs::permissions(directory_, fs::perms::owner_all); }
  ReadOnlyDirectory(const ReadOnlyDirectory&) = delete;
  ReadOnlyDirectory& operator=(const ReadOnlyDirectory&) = delete;

 private:
  fs::path directory_;
};
#endif

TEST_F(OrvexRun, ReadOnlyDestinationIsACreateFailureAndTheRunGoesOn) {
#ifdef _WIN32
  GTEST_SKIP() << "directory permissions are POSIX modes";
#else
  // Root writes anywhere whatever the modes say, so as root the tool runs as
  // an unprivileged user, who can read the archive and the current directory
  // but write only into the open subdirectory.
  RunOptions options;
  if (geteuid() == 0) {
#ifdef ORVEX_COVERAGE_BUILD
    GTEST_SKIP() << "an unprivileged child cannot add to the coverage data that root owns";
#endif
    options.user = "nobody";
  }
  const fs::perms readable = kReadAndEnterForAll | fs::perms::owner_write;
  fs::permissions(root(), readable);
  fs::permissions(root() / "input", readable);
  fs::create_directory(work() / "open");
  fs::permissions(work() / "open", fs::perms::all);
  writeFile(work() / "OLD.wav", "old");
  fs::permissions(work() / "OLD.wav",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const ReadOnlyDirectory readOnly(work());

  // The user must be able to run the tool at all, and the modes must bind.
  const ProcessResult probe = runOrvex({}, {work(), {}, options.user});
  if (probe.output != "orvex **.DAT") {
    // Most often the build lies below a directory that others cannot enter.
    std::string blocked;
    for (fs::path up = fs::path(ORVEX_EXECUTABLE); up != up.parent_path(); up = up.parent_path()) {
      if ((fs::status(up).permissions() & fs::perms::others_exec) == fs::perms::none) {
        blocked = "; " + up.string() + " cannot be entered by other users";
      }
    }
    GTEST_SKIP() << "the tool cannot be run as an unprivileged user here: " << probe.errors
                 << blocked;
  }
  if (options.user.empty() && access(work().c_str(), W_OK) == 0) {
    GTEST_SKIP() << "directory modes do not bind this user";
  }

  const ProcessResult result =
      extract(buildArchive({{"NEW.WAV", "n"}, {"OLD.WAV", "o"}, {"open/IN.MP3", "in"}}), options);
  EXPECT_EQ(result.output,
            "File cannot open. : NEW.wav\nFile cannot open. : OLD.wav\nopen/IN.mp3 done.\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(workFiles(), (Files{{"OLD.wav", "old"}, {"open", "<dir>"}, {"open/IN.mp3", "in"}}));
#endif
}

}  // namespace
}  // namespace orvex::testing
