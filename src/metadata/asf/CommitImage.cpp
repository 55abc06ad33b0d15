#include "metadata/asf/CommitImage.h"

#include <cstring>

namespace Quillmark::Asf {

std::uint64_t ReadQword(const std::uint8_t* Bytes)
{
  std::uint64_t Value = 0;
  for (int Index = 7; Index >= 0; --Index) {
    Value = (Value << 8) | Bytes[Index];
  }
  return Value;
}

void WriteQword(std::uint8_t* Bytes, std::uint64_t Value)
{
  for (int Index = 0; Index < 8; ++Index) {
    Bytes[Index] = static_cast<std::uint8_t>(Value >> (8 * Index));
  }
}

namespace {

std::uint32_t ReadDword(const std::uint8_t* Bytes)
{
  return static_cast<std::uint32_t>(Bytes[0]) | static_cast<std::uint32_t>(Bytes[1]) << 8 |
         static_cast<std::uint32_t>(Bytes[2]) << 16 | static_cast<std::uint32_t>(Bytes[3]) << 24;
}

void WriteDword(std::uint8_t* Bytes, std::uint32_t Value)
{
  for (int Index = 0; Index < 4; ++Index) {
    Bytes[Index] = static_cast<std::uint8_t>(Value >> (8 * Index));
  }
}

} // namespace

bool ValidHeaderImage(const THeaderImage& Image)
{
  const std::vector<std::uint8_t>& Bytes = Image.Bytes;
  if (Bytes.size() < HeaderObjectFixedSize ||
      std::memcmp(Bytes.data(), Guids::Header.Bytes.data(), 16) != 0 ||
      ReadQword(Bytes.data() + 16) != Bytes.size() || ReadDword(Bytes.data() + 24) == 0xFFFFFFFFU) {
    return false;
  }
  return !Image.FileSizeOffset ||
         (*Image.FileSizeOffset >= HeaderObjectFixedSize && *Image.FileSizeOffset <= Bytes.size() - 8);
}

std::vector<std::uint8_t> ComposeHeaderHead(const THeaderImage& Image, std::uint64_t PaddingSize,
                                            std::uint64_t FinalFileSize)
{
  std::vector<std::uint8_t> Out = Image.Bytes;
  if (PaddingSize > 0) {
    Out.insert(Out.end(), Guids::Padding.Bytes.begin(), Guids::Padding.Bytes.end());
    Out.resize(Out.size() + 8);
    WriteQword(Out.data() + Out.size() - 8, PaddingSize);
    WriteDword(Out.data() + 24, ReadDword(Out.data() + 24) + 1);
  }
  WriteQword(Out.data() + 16, Image.Bytes.size() + PaddingSize);
  if (Image.FileSizeOffset) {
    WriteQword(Out.data() + *Image.FileSizeOffset, FinalFileSize);
  }
  return Out;
}

std::vector<std::uint8_t> ComposeHeader(const THeaderImage& Image, std::uint64_t PaddingSize,
                                        std::uint64_t FinalFileSize)
{
  std::vector<std::uint8_t> Out = ComposeHeaderHead(Image, PaddingSize, FinalFileSize);
  Out.resize(Image.Bytes.size() + PaddingSize, 0);
  return Out;
}

} // namespace Quillmark::Asf
