#include "matroska/Ebml.h"

namespace Quillmark::Matroska {

void Need(bool Condition, const char* Message)
{
  if (!Condition) {
    throw EMatroskaError(Message);
  }
}

namespace {

// The length of a variable-length integer from its first byte; 0 when no
// marker bit is within Max bytes.
unsigned VintLength(std::uint8_t First, unsigned Max)
{
  for (unsigned Length = 1; Length <= Max; ++Length) {
    if ((First & (0x80U >> (Length - 1))) != 0) {
      return Length;
    }
  }
  return 0;
}

} // namespace

THead ReadHead(const std::uint8_t* Bytes, std::size_t Length, std::size_t At, std::uint64_t Base)
{
  Need(At < Length, "an element is cut off by the end of the file");
  THead Head;
  Head.Offset = Base + At;
  const unsigned IdLength = VintLength(Bytes[At], 4);
  Need(IdLength != 0, "an element ID is damaged");
  Need(Length - At >= IdLength, "an element is cut off by the end of the file");
  for (unsigned Index = 0; Index < IdLength; ++Index) {
    Head.Id = (Head.Id << 8) | Bytes[At + Index];
  }
  // All value bits zero or all one is reserved in an ID.
  const std::uint32_t ValueBits = Head.Id & ((1U << (7 * IdLength)) - 1);
  Need(ValueBits != 0 && ValueBits != (1U << (7 * IdLength)) - 1, "an element ID is damaged");
  At += IdLength;
  Need(At < Length, "an element is cut off by the end of the file");
  Head.SizeLength = VintLength(Bytes[At], 8);
  Need(Head.SizeLength != 0, "an element size is damaged");
  Need(Length - At >= Head.SizeLength, "an element is cut off by the end of the file");
  std::uint64_t Size = Bytes[At] & (0xFFU >> Head.SizeLength);
  for (unsigned Index = 1; Index < Head.SizeLength; ++Index) {
    Size = (Size << 8) | Bytes[At + Index];
  }
  const std::uint64_t AllOnes = (std::uint64_t{1} << (7 * Head.SizeLength)) - 1;
  Head.Size = Size == AllOnes ? UnknownSize : Size;
  Head.DataOffset = Head.Offset + IdLength + Head.SizeLength;
  return Head;
}

THead ReadChild(const std::uint8_t* Bytes, std::size_t Length, std::size_t& At, std::uint64_t Base,
                std::uint64_t Limit)
{
  THead Head = ReadHead(Bytes, Length, At, Base);
  Need(Head.Size != UnknownSize, "an element inside the header has an unknown size");
  Need(Head.DataOffset <= Limit && Head.Size <= Limit - Head.DataOffset,
       "an element is larger than the element that holds it");
  At = static_cast<std::size_t>(Head.End() - Base);
  return Head;
}

std::uint64_t ReadUInt(const std::uint8_t* Body, std::uint64_t Size)
{
  Need(Size <= 8, "an integer element is longer than 8 bytes");
  std::uint64_t Value = 0;
  for (std::uint64_t Index = 0; Index < Size; ++Index) {
    Value = (Value << 8) | Body[Index];
  }
  return Value;
}

std::string ReadString(const std::uint8_t* Body, std::uint64_t Size)
{
  std::string Text(reinterpret_cast<const char*>(Body), static_cast<std::size_t>(Size));
  // Texts may be padded with zeros to their element's size.
  if (const std::size_t Nul = Text.find('\0'); Nul != std::string::npos) {
    Text.resize(Nul);
  }
  return Text;
}

void PutId(std::vector<std::uint8_t>& Out, std::uint32_t ElementId)
{
  bool Started = false;
  for (int Shift = 24; Shift >= 0; Shift -= 8) {
    const auto Byte = static_cast<std::uint8_t>(ElementId >> Shift);
    Started = Started || Byte != 0;
    if (Started) {
      Out.push_back(Byte);
    }
  }
}

unsigned SizeWidth(std::uint64_t Size)
{
  unsigned Width = 1;
  while (Width < 8 && Size >= (std::uint64_t{1} << (7 * Width)) - 1) {
    ++Width;
  }
  return Width;
}

void PutSize(std::vector<std::uint8_t>& Out, std::uint64_t Size, unsigned Width)
{
  Need(Width >= 1 && Width <= 8 && Size < (std::uint64_t{1} << (7 * Width)) - 1,
       "an element grew past what its size field holds");
  const std::uint64_t Marked = Size | (std::uint64_t{1} << (7 * Width));
  for (int Index = static_cast<int>(Width) - 1; Index >= 0; --Index) {
    Out.push_back(static_cast<std::uint8_t>(Marked >> (8 * Index)));
  }
}

void PutUIntElement(std::vector<std::uint8_t>& Out, std::uint32_t ElementId, std::uint64_t Value)
{
  unsigned Bytes = 1;
  while (Bytes < 8 && (Value >> (8 * Bytes)) != 0) {
    ++Bytes;
  }
  PutId(Out, ElementId);
  PutSize(Out, Bytes, 1);
  for (int Index = static_cast<int>(Bytes) - 1; Index >= 0; --Index) {
    Out.push_back(static_cast<std::uint8_t>(Value >> (8 * Index)));
  }
}

void PutStringElement(std::vector<std::uint8_t>& Out, std::uint32_t ElementId, const std::string& Value)
{
  PutId(Out, ElementId);
  PutSize(Out, Value.size(), SizeWidth(Value.size()));
  Out.insert(Out.end(), Value.begin(), Value.end());
}

void PutVoid(std::vector<std::uint8_t>& Out, std::uint64_t Length)
{
  Need(Length >= 2, "a gap of one byte cannot be filled");
  // The size field takes the width that makes the whole come out exact.
  unsigned Width = SizeWidth(Length - 2);
  while (Width < 8 && Length - 1 - Width >= (std::uint64_t{1} << (7 * Width)) - 1) {
    ++Width;
  }
  const std::uint64_t Body = Length - 1 - Width;
  PutId(Out, Id::Void);
  PutSize(Out, Body, Width);
  Out.resize(Out.size() + static_cast<std::size_t>(Body), 0);
}

} // namespace Quillmark::Matroska
