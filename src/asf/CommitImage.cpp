#include "asf/CommitImage.h"

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

namespace {

struct TRange {
  std::size_t From = 0;
  std::size_t To = 0;
};

// The Padding Objects among the children of the Header Extension at At,
// which is Size bytes long; false when the children do not tile it.
bool FindExtensionPadding(const std::vector<std::uint8_t>& Bytes, std::size_t At, std::uint64_t Size,
                          std::vector<TRange>& Found)
{
  std::size_t End = At + static_cast<std::size_t>(Size);
  for (std::size_t Child = At + ExtensionFixedSize; Child < End;) {
    if (End - Child < ObjectHeaderSize) {
      return false;
    }
    std::uint64_t ChildSize = ReadQword(Bytes.data() + Child + 16);
    if (ChildSize < ObjectHeaderSize || ChildSize > End - Child) {
      return false;
    }
    if (std::memcmp(Bytes.data() + Child, Guids::Padding.Bytes.data(), 16) == 0) {
      Found.push_back({Child, Child + static_cast<std::size_t>(ChildSize)});
    }
    Child += static_cast<std::size_t>(ChildSize);
  }
  return true;
}

// Where the Header Extension sits among the top-level children; nullopt
// when there is none or the children do not tile the header.
std::optional<TRange> FindExtension(const std::vector<std::uint8_t>& Bytes)
{
  std::optional<TRange> Extension;
  for (std::size_t At = HeaderObjectFixedSize; At < Bytes.size();) {
    if (Bytes.size() - At < ObjectHeaderSize) {
      return std::nullopt;
    }
    std::uint64_t Size = ReadQword(Bytes.data() + At + 16);
    if (Size < ObjectHeaderSize || Size > Bytes.size() - At) {
      return std::nullopt;
    }
    bool IsExtension = std::memcmp(Bytes.data() + At, Guids::HeaderExtension.Bytes.data(), 16) == 0;
    if (IsExtension && !Extension && Size >= ExtensionFixedSize) {
      Extension = TRange{At, At + static_cast<std::size_t>(Size)};
    }
    At += static_cast<std::size_t>(Size);
  }
  return Extension;
}

} // namespace

std::optional<THeaderImage> WithoutExtensionPadding(const THeaderImage& Image)
{
  std::optional<TRange> Extension = FindExtension(Image.Bytes);
  std::vector<TRange> Padding;
  if (!Extension ||
      !FindExtensionPadding(Image.Bytes, Extension->From, Extension->To - Extension->From, Padding) ||
      Padding.empty()) {
    return std::nullopt;
  }
  THeaderImage Out;
  Out.Bytes.reserve(Image.Bytes.size());
  std::size_t Removed = 0;
  std::size_t Kept = 0;
  for (const TRange& Pad : Padding) {
    Out.Bytes.insert(Out.Bytes.end(), Image.Bytes.begin() + static_cast<long>(Kept),
                     Image.Bytes.begin() + static_cast<long>(Pad.From));
    Removed += Pad.To - Pad.From;
    Kept = Pad.To;
  }
  Out.Bytes.insert(Out.Bytes.end(), Image.Bytes.begin() + static_cast<long>(Kept), Image.Bytes.end());
  std::uint8_t* Ext = Out.Bytes.data() + Extension->From;
  std::uint64_t ExtensionSize = Extension->To - Extension->From - Removed;
  WriteQword(Ext + 16, ExtensionSize);
  WriteDword(Ext + 42, static_cast<std::uint32_t>(ExtensionSize - ExtensionFixedSize));
  WriteQword(Out.Bytes.data() + 16, Out.Bytes.size());
  Out.FileSizeOffset = Image.FileSizeOffset;
  if (Out.FileSizeOffset && *Out.FileSizeOffset > Extension->From) {
    *Out.FileSizeOffset -= Removed;
  }
  return Out;
}

} // namespace Quillmark::Asf
