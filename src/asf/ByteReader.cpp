#include "asf/ByteReader.h"

#include "asf/EngineError.h"

#include <algorithm>

namespace Quillmark::Asf {

namespace {

std::uint64_t LoadUnsigned(std::span<const std::uint8_t> Bytes, std::size_t Offset, std::size_t Width)
{
  Require(Offset <= Bytes.size() && Width <= Bytes.size() - Offset, "field past the end of its object");
  std::uint64_t Value = 0;
  for (std::size_t I = Width; I > 0; --I) {
    Value = (Value << 8) | Bytes[Offset + I - 1];
  }
  return Value;
}

} // namespace

std::uint64_t TByteReader::Unsigned(std::size_t Width)
{
  std::uint64_t Value = LoadUnsigned(FBytes, FPosition, Width);
  FPosition += Width;
  return Value;
}

std::uint8_t TByteReader::Byte()
{
  return static_cast<std::uint8_t>(Unsigned(1));
}

std::uint16_t TByteReader::Word()
{
  return static_cast<std::uint16_t>(Unsigned(2));
}

std::uint32_t TByteReader::Dword()
{
  return static_cast<std::uint32_t>(Unsigned(4));
}

std::uint64_t TByteReader::Qword()
{
  return Unsigned(8);
}

TGuid TByteReader::Guid()
{
  std::span<const std::uint8_t> Bytes = Take(16);
  TGuid Result;
  std::copy(Bytes.begin(), Bytes.end(), Result.Bytes.begin());
  return Result;
}

std::span<const std::uint8_t> TByteReader::Take(std::uint64_t Count)
{
  Require(Count <= Remaining(), "field past the end of its object");
  std::span<const std::uint8_t> Result = FBytes.subspan(FPosition, static_cast<std::size_t>(Count));
  FPosition += static_cast<std::size_t>(Count);
  return Result;
}

std::uint16_t LoadWord(std::span<const std::uint8_t> Bytes, std::size_t Offset)
{
  return static_cast<std::uint16_t>(LoadUnsigned(Bytes, Offset, 2));
}

std::uint32_t LoadDword(std::span<const std::uint8_t> Bytes, std::size_t Offset)
{
  return static_cast<std::uint32_t>(LoadUnsigned(Bytes, Offset, 4));
}

std::uint64_t LoadQword(std::span<const std::uint8_t> Bytes, std::size_t Offset)
{
  return LoadUnsigned(Bytes, Offset, 8);
}

} // namespace Quillmark::Asf
