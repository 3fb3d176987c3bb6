#include "GraphControl/Stream.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace gc {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(std::initializer_list<int> values) { return {values.begin(), values.end()}; }

TEST(MemoryStream, IntegersAreLittleEndian) {
  TMemoryStream s;
  s.WriteInt8(-2);
  s.WriteInt16(0x1234);
  s.WriteInt32(-2);
  s.WriteUInt32(0xA1B2C3D4);
  s.WriteInt64(0x0102030405060708);
  EXPECT_EQ(s.Bytes(), Bytes({0xFE, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0xD4, 0xC3, 0xB2, 0xA1, 0x08, 0x07,
                              0x06, 0x05, 0x04, 0x03, 0x02, 0x01}));
  s.SetPosition(0);
  EXPECT_EQ(s.ReadInt8(), -2);
  EXPECT_EQ(s.ReadInt16(), 0x1234);
  EXPECT_EQ(s.ReadInt32(), -2);
  EXPECT_EQ(s.ReadUInt32(), 0xA1B2C3D4u);
  EXPECT_EQ(s.ReadInt64(), 0x0102030405060708);
  EXPECT_EQ(s.Remaining(), 0);
}

TEST(MemoryStream, ShortReadRaisesReadError) {
  TMemoryStream s(Bytes({1, 2, 3}));
  try {
    s.ReadInt32();
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream-Lesefehler");
  }
}

TEST(MemoryStream, SkipBeyondTheEndFailsWithoutMoving) {
  TMemoryStream s(Bytes({1, 2, 3, 4}));
  s.Skip(1);
  EXPECT_THROW(s.Skip(4), EReadError);
  EXPECT_THROW(s.Skip(-1), EReadError);
  EXPECT_EQ(s.Position(), 1);
  s.Skip(3);
  EXPECT_EQ(s.Remaining(), 0);
}

TEST(MemoryStream, SeekBeforeTheStartFails) {
  TMemoryStream s(Bytes({1, 2}));
  EXPECT_THROW(s.Seek(-1, TSeekOrigin::Begin), EReadError);
  EXPECT_THROW(s.Seek(-3, TSeekOrigin::End), EReadError);
  EXPECT_EQ(s.Seek(-1, TSeekOrigin::End), 1);
}

TEST(MemoryStream, WritingPastTheEndFillsTheGapWithZeros) {
  TMemoryStream s;
  s.SetPosition(3);
  s.WriteUInt8(9);
  EXPECT_EQ(s.Bytes(), Bytes({0, 0, 0, 9}));
  s.SetPosition(10);
  EXPECT_EQ(s.Remaining(), 0);
  uint8_t b;
  EXPECT_EQ(s.Read(&b, 1), 0u);
}

TEST(MemoryStream, CopyFromChecksTheSourceFirst) {
  TMemoryStream source(Bytes({1, 2, 3}));
  TMemoryStream target;
  EXPECT_THROW(target.CopyFrom(source, 4), EReadError);
  EXPECT_EQ(target.Size(), 0);
  target.CopyFrom(source, 3);
  EXPECT_EQ(target.Bytes(), source.Bytes());
}

// A fresh folder for one test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "streamtest.XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
    Path = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(Path, ec);
  }
  fs::path Path;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

size_t EntryCount(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(FileStream, ReadsWhatWasWritten) {
  TempFolder folder;
  const std::string name = (folder.Path / "a.bin").string();
  {
    TFileStream out(name, TFileMode::Create);
    out.WriteInt32(0x11223344);
    out.WriteUInt8(7);
    EXPECT_EQ(out.Size(), 5);
  }
  TFileStream in(name, TFileMode::OpenRead);
  EXPECT_EQ(in.Size(), 5);
  EXPECT_EQ(in.ReadInt32(), 0x11223344);
  EXPECT_EQ(in.Remaining(), 1);
  in.Skip(1);
  EXPECT_THROW(in.ReadUInt8(), EReadError);
}

TEST(FileStream, MissingFileReportsTheFullNameAndTheReason) {
  TempFolder folder;
  const fs::path missing = folder.Path / "missing.Screen";
  try {
    TFileStream in(missing.string(), TFileMode::OpenRead);
    FAIL() << "no exception";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Datei " + missing.string() + " kann nicht geöffnet werden. " + std::strerror(ENOENT));
  }
}

TEST(FileStream, FolderCannotBeOpenedAsAFile) {
  TempFolder folder;
  EXPECT_THROW(TFileStream(folder.Path.string(), TFileMode::OpenRead), EFOpenError);
}

TEST(FileStream, UncreatableFileReportsTheQuotedFullName) {
  TempFolder folder;
  const fs::path bad = folder.Path / "no-such-folder" / "x.Screen";
  try {
    TFileStream out(bad.string(), TFileMode::Create);
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Datei \"" + bad.string() + "\" kann nicht erstellt werden. " + std::strerror(ENOENT));
  }
}

TEST(AtomicFileWriting, ReplacesTheFileAndLeavesNoTemporaryFile) {
  TempFolder folder;
  const fs::path target = folder.Path / "d.Screen";
  WriteText(target, "old contents");
  WriteFileAtomically(target.string(), [](TStream& s) { s.WriteBuffer("new", 3); });
  EXPECT_EQ(ReadFile(target), "new");
  EXPECT_EQ(EntryCount(folder.Path), 1u);
}

TEST(AtomicFileWriting, FailingWriterKeepsTheOldFile) {
  TempFolder folder;
  const fs::path target = folder.Path / "d.Screen";
  WriteText(target, "old contents");
  EXPECT_THROW(WriteFileAtomically(target.string(),
                                   [](TStream& s) {
                                     s.WriteBuffer("partial", 7);
                                     throw EReadError("Stream-Lesefehler");
                                   }),
               EReadError);
  EXPECT_EQ(ReadFile(target), "old contents");
  EXPECT_EQ(EntryCount(folder.Path), 1u);
}

TEST(AtomicFileWriting, CreatesANewFileWithTheUsualPermissions) {
  TempFolder folder;
  const fs::path target = folder.Path / "new.Screen";
  const mode_t mask = umask(022);
  WriteFileAtomically(target.string(), [](TStream& s) { s.WriteUInt8(1); });
  umask(mask);
  EXPECT_EQ(ReadFile(target), std::string(1, '\1'));
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0644));
}

TEST(AtomicFileWriting, KeepsThePermissionsOfAReplacedFile) {
  TempFolder folder;
  const fs::path target = folder.Path / "d.Screen";
  WriteText(target, "old");
  fs::permissions(target, fs::perms(0640));
  // Only a privileged process can hand a file to another owner.
  const bool privileged = ::geteuid() == 0;
  const uid_t owner = privileged ? 65534 : ::geteuid();
  const gid_t group = privileged ? 65534 : ::getegid();
  ASSERT_EQ(::chown(target.c_str(), owner, group), 0);
  WriteFileAtomically(target.string(), [](TStream& s) { s.WriteUInt8(1); });
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, owner);
  EXPECT_EQ(info.st_gid, group);
}

// Even a user who could write it (a privileged one) keeps a file whose mode
// grants writing to nobody.
TEST(AtomicFileWriting, RefusesAFileWithoutWritePermissionAndKeepsIt) {
  TempFolder folder;
  const fs::path target = folder.Path / "d.Screen";
  WriteText(target, "old");
  fs::permissions(target, fs::perms(0444));
  bool called = false;
  try {
    WriteFileAtomically(target.string(), [&](TStream&) { called = true; });
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Datei \"" + target.string() + "\" kann nicht erstellt werden. " + std::strerror(EACCES));
  }
  EXPECT_FALSE(called);
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_EQ(EntryCount(folder.Path), 1u);
}

TEST(AtomicFileWriting, SavesANameOfTheLongestLength) {
  TempFolder folder;
  const fs::path target = folder.Path / (std::string(248, 'n') + ".Screen");
  ASSERT_EQ(target.filename().string().size(), 255u);
  WriteFileAtomically(target.string(), [](TStream& s) { s.WriteBuffer("new", 3); });
  EXPECT_EQ(ReadFile(target), "new");
  EXPECT_EQ(EntryCount(folder.Path), 1u);
}

TEST(AtomicFileWriting, SavesThroughADanglingSymbolicLinkToANewTarget) {
  TempFolder folder;
  const fs::path link = folder.Path / "link.Screen";
  fs::create_symlink("real.Screen", link);
  WriteFileAtomically(link.string(), [](TStream& s) { s.WriteBuffer("new", 3); });
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(folder.Path / "real.Screen"), "new");
}

TEST(AtomicFileWriting, WritesAPipeInPlace) {
  TempFolder folder;
  const fs::path pipe = folder.Path / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  WriteFileAtomically(pipe.string(), [](TStream& s) { s.WriteBuffer("new", 3); });
  char buffer[8] = {};
  EXPECT_EQ(::read(reader, buffer, sizeof buffer), 3);
  ::close(reader);
  EXPECT_EQ(std::string(buffer), "new");
  EXPECT_EQ(fs::status(pipe).type(), fs::file_type::fifo);
}

// Whatever the save runs into, the message names the file the user asked
// for, in full.
TEST(AtomicFileWriting, ErrorsNameTheFileAsked) {
  TempFolder folder;
  WriteText(folder.Path / "plain", "x");
  fs::create_symlink(folder.Path / "none" / "real.Screen", folder.Path / "link.Screen");
  const struct {
    fs::path Asked;
    int Error;
  } cases[] = {
      {folder.Path / "none" / "d.Screen", ENOENT},
      {folder.Path / "link.Screen", ENOENT},
      {folder.Path / "plain" / "d.Screen", ENOTDIR},
  };
  for (const auto& c : cases) {
    try {
      WriteFileAtomically(c.Asked.string(), [](TStream&) {});
      ADD_FAILURE() << c.Asked << ": no exception";
    } catch (const EFCreateError& e) {
      EXPECT_EQ(std::string(e.what()),
                "Datei \"" + c.Asked.string() + "\" kann nicht erstellt werden. " + std::strerror(c.Error));
    }
  }
}

// A pipe has no size to ask for; its bytes are read until it ends.
TEST(FileReading, ReadsAPipeWhole) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ASSERT_EQ(::write(fds[1], "0.GS\0\0\0\0", 8), 8);
  ::close(fds[1]);
  const std::vector<uint8_t> bytes = ReadFileBytes("/proc/self/fd/" + std::to_string(fds[0]));
  ::close(fds[0]);
  EXPECT_EQ(bytes, Bytes({'0', '.', 'G', 'S', 0, 0, 0, 0}));
}

TEST(FileReading, ReportsWhatCannotBeRead) {
  TempFolder folder;
  const fs::path huge = folder.Path / "huge.Screen";
  // Sparse: takes no room on the disk.
  ASSERT_EQ(::truncate((WriteText(huge, ""), huge).c_str(), MaxReadFileSize + 1), 0);
  const struct {
    fs::path File;
    int Error;
  } cases[] = {
      {folder.Path / "missing.Screen", ENOENT},
      {folder.Path, EISDIR},
      {huge, EFBIG},
  };
  for (const auto& c : cases) {
    try {
      ReadFileBytes(c.File.string());
      ADD_FAILURE() << c.File << ": no exception";
    } catch (const EFOpenError& e) {
      EXPECT_EQ(std::string(e.what()),
                "Datei " + c.File.string() + " kann nicht geöffnet werden. " + std::strerror(c.Error));
    }
  }
}

TEST(AtomicFileWriting, WritesThroughASymbolicLink) {
  TempFolder folder;
  const fs::path real = folder.Path / "real.Screen";
  const fs::path link = folder.Path / "link.Screen";
  WriteText(real, "old");
  fs::create_symlink(real, link);
  WriteFileAtomically(link.string(), [](TStream& s) { s.WriteBuffer("new", 3); });
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(real), "new");
}

TEST(AtomicFileWriting, MissingFolderIsACreateError) {
  TempFolder folder;
  const fs::path target = folder.Path / "none" / "d.Screen";
  bool called = false;
  EXPECT_THROW(WriteFileAtomically(target.string(), [&](TStream&) { called = true; }), EFCreateError);
  EXPECT_FALSE(called);
}

}  // namespace
}  // namespace gc
