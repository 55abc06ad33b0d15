#pragma once
// Little-endian reading of a byte range; every read past its end is a damaged
// header.
#include "asf/AsfGuids.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace Quillmark::Asf {

class TByteReader {
public:
  explicit TByteReader(std::span<const std::uint8_t> Bytes) : FBytes(Bytes) {}

  std::uint8_t Byte();
  std::uint16_t Word();
  std::uint32_t Dword();
  std::uint64_t Qword();
  TGuid Guid();
  std::span<const std::uint8_t> Take(std::uint64_t Count);
  void Skip(std::uint64_t Count) { Take(Count); }

  std::size_t Position() const { return FPosition; }
  std::size_t Remaining() const { return FBytes.size() - FPosition; }

private:
  std::uint64_t Unsigned(std::size_t Width);

  std::span<const std::uint8_t> FBytes;
  std::size_t FPosition = 0;
};

// Little-endian fields read straight from a byte range at an offset the
// caller has checked.
std::uint16_t LoadWord(std::span<const std::uint8_t> Bytes, std::size_t Offset);
std::uint32_t LoadDword(std::span<const std::uint8_t> Bytes, std::size_t Offset);
std::uint64_t LoadQword(std::span<const std::uint8_t> Bytes, std::size_t Offset);

} // namespace Quillmark::Asf
