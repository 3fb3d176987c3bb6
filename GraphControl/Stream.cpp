#include "GraphControl/Stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

namespace gc {

namespace {

const char* const ReadErrorText = "Stream-Lesefehler";
const char* const WriteErrorText = "Stream-Schreibfehler";

std::string SystemMessage(int error) { return std::strerror(error); }

EFOpenError OpenError(const std::string& fileName, int error) {
  return EFOpenError(
      Format("Datei %s kann nicht geöffnet werden. %s", FullFileName(fileName), SystemMessage(error)));
}

EFCreateError CreateError(const std::string& fileName, int error) {
  return EFCreateError(
      Format("Datei \"%s\" kann nicht erstellt werden. %s", FullFileName(fileName), SystemMessage(error)));
}

}  // namespace

// --- TStream -----------------------------------------------------------------

int64_t TStream::Remaining() const { return std::max<int64_t>(0, Size() - Position()); }

void TStream::ReadBuffer(void* buffer, size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(ReadErrorText);
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(WriteErrorText);
}

void TStream::Skip(int64_t count) {
  if (count < 0 || count > Remaining()) throw EReadError(ReadErrorText);
  Seek(count, TSeekOrigin::Current);
}

void TStream::CopyFrom(TStream& source, int64_t count) {
  if (count < 0 || count > source.Remaining()) throw EReadError(ReadErrorText);
  uint8_t chunk[8192];
  while (count > 0) {
    const auto n = static_cast<size_t>(std::min<int64_t>(count, sizeof chunk));
    source.ReadBuffer(chunk, n);
    WriteBuffer(chunk, n);
    count -= static_cast<int64_t>(n);
  }
}

uint8_t TStream::ReadUInt8() {
  uint8_t value;
  ReadBuffer(&value, 1);
  return value;
}

int16_t TStream::ReadInt16() {
  uint8_t b[2];
  ReadBuffer(b, 2);
  return static_cast<int16_t>(b[0] | (b[1] << 8));
}

uint32_t TStream::ReadUInt32() {
  uint8_t b[4];
  ReadBuffer(b, 4);
  return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

int64_t TStream::ReadInt64() {
  const uint64_t low = ReadUInt32();
  const uint64_t high = ReadUInt32();
  return static_cast<int64_t>(low | high << 32);
}

void TStream::WriteInt16(int16_t value) {
  const auto v = static_cast<uint16_t>(value);
  const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  WriteBuffer(b, 2);
}

void TStream::WriteUInt32(uint32_t value) {
  const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  WriteBuffer(b, 4);
}

void TStream::WriteInt64(int64_t value) {
  const auto v = static_cast<uint64_t>(value);
  WriteUInt32(static_cast<uint32_t>(v));
  WriteUInt32(static_cast<uint32_t>(v >> 32));
}

// --- TMemoryStream -----------------------------------------------------------

size_t TMemoryStream::Read(void* buffer, size_t count) {
  const int64_t available = Remaining();
  const size_t n = static_cast<size_t>(std::min<int64_t>(available, static_cast<int64_t>(count)));
  if (n != 0) std::memcpy(buffer, Bytes_.data() + Position_, n);
  Position_ += static_cast<int64_t>(n);
  return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  if (static_cast<size_t>(Position_) == Bytes_.size()) {
    // Appending, the common case of writing a stream: one copy, no zero fill.
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    Bytes_.insert(Bytes_.end(), bytes, bytes + count);
    Position_ = static_cast<int64_t>(Bytes_.size());
    return count;
  }
  const auto end = static_cast<size_t>(Position_) + count;
  if (end > Bytes_.size()) Bytes_.resize(end);
  std::memcpy(Bytes_.data() + Position_, buffer, count);
  Position_ = static_cast<int64_t>(end);
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t base = origin == TSeekOrigin::Begin ? 0 : origin == TSeekOrigin::Current ? Position_ : Size();
  if (offset < -base || offset > std::numeric_limits<int64_t>::max() - base) throw EReadError(ReadErrorText);
  Position_ = base + offset;
  return Position_;
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) throw EWriteError(WriteErrorText);
  Bytes_.resize(static_cast<size_t>(size));
}

// --- TFileStream -------------------------------------------------------------

std::string FullFileName(const std::string& fileName) {
  std::error_code ec;
  const auto full = std::filesystem::absolute(fileName, ec);
  return ec ? fileName : full.lexically_normal().string();
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : FileName_(fileName) {
  if (mode == TFileMode::OpenRead) {
    File_ = std::fopen(fileName.c_str(), "rb");
    if (!File_) throw OpenError(fileName, errno);
    // A folder opens for reading on some systems but cannot be read from.
    struct stat info;
    const int error = fstat(fileno(File_), &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
    if (error != 0) {
      std::fclose(File_);
      throw OpenError(fileName, error);
    }
    ReadSize_ = static_cast<int64_t>(info.st_size);
  } else {
    File_ = std::fopen(fileName.c_str(), "wb");
    if (!File_) throw CreateError(fileName, errno);
  }
}

TFileStream::~TFileStream() {
  if (File_) std::fclose(File_);
}

void TFileStream::Close() {
  if (!File_) return;
  std::FILE* file = File_;
  File_ = nullptr;
  if (std::fclose(file) != 0) throw CreateError(FileName_, errno);
}

size_t TFileStream::Read(void* buffer, size_t count) { return std::fread(buffer, 1, count, File_); }

size_t TFileStream::Write(const void* buffer, size_t count) { return std::fwrite(buffer, 1, count, File_); }

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int whence = origin == TSeekOrigin::Begin     ? SEEK_SET
                     : origin == TSeekOrigin::Current ? SEEK_CUR
                                                      : SEEK_END;
  if (fseeko(File_, static_cast<off_t>(offset), whence) != 0) throw EReadError(ReadErrorText);
  return Position();
}

int64_t TFileStream::Position() const { return static_cast<int64_t>(ftello(File_)); }

int64_t TFileStream::Size() const {
  if (ReadSize_ >= 0) return ReadSize_;
  std::fflush(File_);  // buffered bytes count as part of the file
  struct stat info;
  if (fstat(fileno(File_), &info) != 0) return 0;
  return static_cast<int64_t>(info.st_size);
}

void TFileStream::Commit() {
  if (std::fflush(File_) != 0 || fsync(fileno(File_)) != 0) throw CreateError(FileName_, errno);
}

// --- Saving through a temporary file ------------------------------------------

namespace {

// The permission bits a newly created file gets from the process's umask.
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("Umask:", 0) == 0)
      return 0666 & ~static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
  return 0644;
}

// Removes the temporary file unless the rename took it over.
struct TTemporaryFile {
  std::string Path;
  bool Kept = false;
  ~TTemporaryFile() {
    if (!Kept) ::unlink(Path.c_str());
  }
};

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename itself already happened
  ::close(fd);
}

// The file a save replaces: `fileName` with every symbolic link on the way
// followed, also to a target that does not exist yet.
std::filesystem::path SaveTarget(const std::string& fileName) {
  namespace fs = std::filesystem;
  fs::path target(fileName);
  for (int hops = 0;; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(target, ec)) return target;
    if (hops == 40) throw CreateError(fileName, ELOOP);
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) throw CreateError(fileName, ec.value());
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
}

// A temporary name next to `target` that fits the file system's name limit:
// a dot, as much of the target's name as fits, and six random characters.
std::string TemporaryPattern(const std::filesystem::path& folder, const std::filesystem::path& target) {
  constexpr size_t MaxNameLength = 255;
  constexpr std::string_view Suffix = ".XXXXXX";
  std::string name = target.filename().string();
  const size_t room = MaxNameLength - 1 - Suffix.size();
  if (name.size() > room) {
    name.resize(room);
    // Do not leave half a UTF-8 character at the end.
    while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80) name.pop_back();
    if (!name.empty() && static_cast<unsigned char>(name.back()) >= 0xC0) name.pop_back();
  }
  return (folder / ("." + name + std::string(Suffix))).string();
}

}  // namespace

std::vector<uint8_t> ReadFileBytes(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw OpenError(fileName, errno);
  struct TCloser {
    int Fd;
    ~TCloser() { ::close(Fd); }
  } closer{fd};
  struct stat info;
  if (::fstat(fd, &info) != 0) throw OpenError(fileName, errno);
  if (S_ISDIR(info.st_mode)) throw OpenError(fileName, EISDIR);
  std::vector<uint8_t> bytes;
  if (S_ISREG(info.st_mode)) {
    if (info.st_size > MaxReadFileSize) throw OpenError(fileName, EFBIG);
    bytes.reserve(static_cast<size_t>(info.st_size));
  }
  uint8_t chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw OpenError(fileName, errno);
    }
    if (n == 0) return bytes;
    if (static_cast<int64_t>(bytes.size()) + n > MaxReadFileSize) throw OpenError(fileName, EFBIG);
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
}

void WriteFileAtomically(const std::string& fileName, const std::function<void(TStream&)>& fill) {
  namespace fs = std::filesystem;
  struct stat existing;
  const bool exists = ::stat(fileName.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) throw CreateError(fileName, EISDIR);
  // A file the user may not write, or one whose mode grants writing to nobody
  // (which a privileged user could still write), stays as it is.
  if (exists && ::access(fileName.c_str(), W_OK) != 0) throw CreateError(fileName, errno);
  if (exists && (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) throw CreateError(fileName, EACCES);
  if (exists && !S_ISREG(existing.st_mode)) {
    // A pipe, a terminal or a device cannot be replaced: it is written directly.
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file) throw CreateError(fileName, errno);
    TFileStream stream(file, fileName);
    fill(stream);
    if (std::fflush(file) != 0) throw CreateError(fileName, errno);
    stream.Close();
    return;
  }

  const fs::path target = SaveTarget(fileName);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string pattern = TemporaryPattern(folder, target);
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) throw CreateError(fileName, errno);
  TTemporaryFile temporary{pattern};
  if (exists) {
    // Owner first: changing it may clear set-user-ID bits that fchmod restores.
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
      (void)::fchown(fd, existing.st_uid, existing.st_gid);  // best effort
    ::fchmod(fd, existing.st_mode & 07777);
  } else {
    ::fchmod(fd, NewFileMode());
  }

  std::FILE* file = ::fdopen(fd, "wb");
  if (!file) {
    const int error = errno;
    ::close(fd);
    throw CreateError(fileName, error);
  }
  TFileStream stream(file, fileName);
  fill(stream);
  stream.Commit();
  stream.Close();
  if (::rename(pattern.c_str(), target.c_str()) != 0) throw CreateError(fileName, errno);
  temporary.Kept = true;
  SyncFolder(folder);
}

}  // namespace gc
