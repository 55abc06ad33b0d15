#include "metadata/fs/Crc32.h"

#include <array>

namespace Quillmark::Asf {

namespace {

constexpr std::array<std::uint32_t, 256> MakeTable()
{
  std::array<std::uint32_t, 256> Table{};
  for (std::uint32_t Index = 0; Index < 256; ++Index) {
    std::uint32_t Value = Index;
    for (int Bit = 0; Bit < 8; ++Bit) {
      Value = (Value & 1U) != 0 ? 0xEDB88320U ^ (Value >> 1) : Value >> 1;
    }
    Table[Index] = Value;
  }
  return Table;
}

constexpr std::array<std::uint32_t, 256> Table = MakeTable();

} // namespace

std::uint32_t Crc32(const std::uint8_t* Data, std::size_t Size, std::uint32_t Crc)
{
  Crc = ~Crc;
  for (std::size_t Index = 0; Index < Size; ++Index) {
    Crc = Table[(Crc ^ Data[Index]) & 0xFFU] ^ (Crc >> 8);
  }
  return ~Crc;
}

} // namespace Quillmark::Asf
