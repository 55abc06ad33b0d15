#include "asf/ByteWriter.h"

#include "asf/EngineError.h"

namespace Quillmark::Asf {

namespace {

void StoreUnsigned(std::span<std::uint8_t> Bytes, std::size_t Offset, std::uint64_t Value, std::size_t Width)
{
  if (Offset > Bytes.size() || Width > Bytes.size() - Offset) {
    throw EAsfError(E_INVALID_REQUEST, "field outside the rendered header");
  }
  for (std::size_t I = 0; I < Width; ++I) {
    Bytes[Offset + I] = static_cast<std::uint8_t>(Value >> (8 * I));
  }
}

} // namespace

void TByteWriter::Unsigned(std::uint64_t Value, std::size_t Width)
{
  for (std::size_t I = 0; I < Width; ++I) {
    FBytes.push_back(static_cast<std::uint8_t>(Value >> (8 * I)));
  }
}

std::size_t TByteWriter::BeginObject(const TGuid& Value)
{
  std::size_t Start = FBytes.size();
  Guid(Value);
  Qword(0);
  return Start;
}

void TByteWriter::EndObject(std::size_t Start)
{
  StoreQword(FBytes, Start + 16, FBytes.size() - Start);
}

void StoreWord(std::span<std::uint8_t> Bytes, std::size_t Offset, std::uint16_t Value)
{
  StoreUnsigned(Bytes, Offset, Value, 2);
}

void StoreDword(std::span<std::uint8_t> Bytes, std::size_t Offset, std::uint32_t Value)
{
  StoreUnsigned(Bytes, Offset, Value, 4);
}

void StoreQword(std::span<std::uint8_t> Bytes, std::size_t Offset, std::uint64_t Value)
{
  StoreUnsigned(Bytes, Offset, Value, 8);
}

} // namespace Quillmark::Asf
