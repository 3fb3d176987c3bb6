// Byte streams the diagram is saved to and loaded from: an abstract TStream
// with little-endian integer helpers, a growable memory stream and a file
// stream, plus the safe way to save a file (temporary file, then rename).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "GraphControl/Exceptions.h"

namespace gc {

// Bytes could not be written to a stream ("Stream-Schreibfehler").
class EWriteError : public EGraphException {
  using EGraphException::EGraphException;
};

enum class TSeekOrigin { Begin, Current, End };

class TStream {
 public:
  virtual ~TStream() = default;

  // Reads up to `count` bytes; returns how many arrived (0 at the end).
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Writes up to `count` bytes; returns how many were written.
  virtual size_t Write(const void* buffer, size_t count) = 0;
  // Returns the new position. A position before the start raises EReadError.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Position() const = 0;
  virtual int64_t Size() const = 0;

  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Begin); }
  // Bytes between the position and the end; 0 when positioned past the end.
  int64_t Remaining() const;

  // Exactly `count` bytes or EReadError "Stream-Lesefehler".
  void ReadBuffer(void* buffer, size_t count);
  // Exactly `count` bytes or EWriteError "Stream-Schreibfehler".
  void WriteBuffer(const void* buffer, size_t count);
  // Moves forward by `count` bytes, which must all be present (else EReadError
  // without moving).
  void Skip(int64_t count);
  // Copies `count` bytes from the source's position to this stream's position.
  void CopyFrom(TStream& source, int64_t count);

  uint8_t ReadUInt8();
  int8_t ReadInt8() { return static_cast<int8_t>(ReadUInt8()); }
  int16_t ReadInt16();
  int32_t ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }
  uint32_t ReadUInt32();
  int64_t ReadInt64();

  void WriteUInt8(uint8_t value) { WriteBuffer(&value, 1); }
  void WriteInt8(int8_t value) { WriteUInt8(static_cast<uint8_t>(value)); }
  void WriteInt16(int16_t value);
  void WriteInt32(int32_t value) { WriteUInt32(static_cast<uint32_t>(value)); }
  void WriteUInt32(uint32_t value);
  void WriteInt64(int64_t value);
};

class TMemoryStream final : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : Bytes_(std::move(bytes)) {}

  // Reads exactly `count` bytes and returns true, or reads nothing and
  // returns false when fewer remain. Readers of many small values use these
  // instead of the virtual Read.
  bool ReadExact(void* buffer, size_t count) {
    if (Position_ < 0 || static_cast<uint64_t>(Position_) > Bytes_.size() ||
        count > Bytes_.size() - static_cast<size_t>(Position_))
      return false;
    if (count == 1)
      *static_cast<uint8_t*>(buffer) = Bytes_[static_cast<size_t>(Position_)];
    else if (count != 0)
      std::memcpy(buffer, Bytes_.data() + Position_, count);
    Position_ += static_cast<int64_t>(count);
    return true;
  }
  // The next byte without reading it; false at the end.
  bool PeekByte(uint8_t& value) const {
    if (Position_ < 0 || static_cast<uint64_t>(Position_) >= Bytes_.size()) return false;
    value = Bytes_[static_cast<size_t>(Position_)];
    return true;
  }

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Position() const override { return Position_; }
  int64_t Size() const override { return static_cast<int64_t>(Bytes_.size()); }

  const std::vector<uint8_t>& Bytes() const { return Bytes_; }
  // Cuts or zero-extends the contents; the position is kept.
  void SetSize(int64_t size);
  void Clear() {
    Bytes_.clear();
    Position_ = 0;
  }

 private:
  std::vector<uint8_t> Bytes_;
  int64_t Position_ = 0;
};

enum class TFileMode {
  OpenRead,  // an existing file, read only
  Create     // created or truncated, write only
};

class TFileStream : public TStream {
 public:
  // Raises EFOpenError "Datei %s kann nicht geöffnet werden. %s" or
  // EFCreateError "Datei "%s" kann nicht erstellt werden. %s" with the full
  // file name and the system's reason.
  TFileStream(const std::string& fileName, TFileMode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Position() const override;
  int64_t Size() const override;

  const std::string& FileName() const { return FileName_; }
  // Hands every written byte to the disk; EFCreateError when that fails.
  void Commit();

 private:
  friend void WriteFileAtomically(const std::string&, const std::function<void(TStream&)>&);
  TFileStream(std::FILE* file, std::string fileName) : File_(file), FileName_(std::move(fileName)) {}
  // Closes the file; EFCreateError when buffered bytes could not be written.
  void Close();

  std::FILE* File_ = nullptr;
  std::string FileName_;
  // Size of a file opened for reading, taken once: others may not write it.
  int64_t ReadSize_ = -1;
};

// The file name as the messages show it: absolute and normalised.
std::string FullFileName(const std::string& fileName);

// The largest file ReadFileBytes accepts: 1 GiB.
inline constexpr int64_t MaxReadFileSize = int64_t{1} << 30;

// The whole contents of a readable file, pipes and other files that cannot
// seek included. Raises EFOpenError "Datei %s kann nicht geöffnet werden. %s" with
// the full file name and the system's reason when the file cannot be opened
// or read, is a folder, or holds more than MaxReadFileSize bytes.
std::vector<uint8_t> ReadFileBytes(const std::string& fileName);

// Saves a file through `fill`: the bytes go to a new temporary file in the
// target's folder, which replaces the target only after `fill` returned and
// everything reached the disk. When `fill` throws or a step fails, the target
// keeps its old contents, the temporary file is removed and the error
// propagates (file-system failures as EFCreateError "Datei "%s" kann nicht
// erstellt werden. %s", always naming `fileName` as given).
// The saved file keeps the identity of the one it replaces:
// - a file the user may not write, or whose mode grants writing to nobody, is
//   refused with the platform's error and left as it is;
// - the replacement gets the old file's permission bits (and, where the
//   process may set them, its owner and group);
// - a symbolic link, also one whose target does not exist yet, is saved
//   through to its target and stays a link;
// - names up to the file system's longest (255 bytes) work: the temporary
//   name is kept within that length;
// - a target that is not a regular file (a pipe, a terminal, a device) is
//   written directly, since it cannot be replaced.
void WriteFileAtomically(const std::string& fileName, const std::function<void(TStream&)>& fill);

}  // namespace gc
