#pragma once
// Where header bytes come from: a file or a block of memory, read by offset.
#include <cstdint>
#include <span>
#include <vector>

namespace Quillmark::Asf {

class IByteSource {
public:
  virtual ~IByteSource() = default;
  virtual std::uint64_t Length() const = 0;
  // Fills Buffer from Offset; throws EAsfError when the bytes are not there.
  virtual void ReadAt(std::uint64_t Offset, std::span<std::uint8_t> Buffer) const = 0;
};

class TMemorySource : public IByteSource {
public:
  explicit TMemorySource(std::span<const std::uint8_t> Bytes) : FBytes(Bytes) {}
  std::uint64_t Length() const override { return FBytes.size(); }
  void ReadAt(std::uint64_t Offset, std::span<std::uint8_t> Buffer) const override;

private:
  std::span<const std::uint8_t> FBytes;
};

// Reads an open file descriptor with pread; does not own it. The length is
// taken once, when the source is made.
class TFileSource : public IByteSource {
public:
  explicit TFileSource(int Descriptor);
  // Length: the file's size, as the caller found it just now.
  TFileSource(int Descriptor, std::uint64_t Length) : FDescriptor(Descriptor), FLength(Length) {}
  std::uint64_t Length() const override { return FLength; }
  void ReadAt(std::uint64_t Offset, std::span<std::uint8_t> Buffer) const override;

private:
  int FDescriptor;
  std::uint64_t FLength = 0;
};

} // namespace Quillmark::Asf
