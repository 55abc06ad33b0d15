#include "metadata/TextConversion.h"

#include <cstdint>

namespace Quillmark {

namespace {

constexpr char32_t Replacement = 0xFFFD;

void AppendUtf16(std::u16string& Out, char32_t Code)
{
  if (Code < 0x10000) {
    Out.push_back(static_cast<char16_t>(Code));
    return;
  }
  Code -= 0x10000;
  Out.push_back(static_cast<char16_t>(0xD800 + (Code >> 10)));
  Out.push_back(static_cast<char16_t>(0xDC00 + (Code & 0x3FF)));
}

void AppendUtf8(std::string& Out, char32_t Code)
{
  auto Put = [&Out](char32_t Byte) { Out.push_back(static_cast<char>(static_cast<unsigned char>(Byte))); };
  if (Code < 0x80) {
    Put(Code);
  } else if (Code < 0x800) {
    Put(0xC0 | (Code >> 6));
    Put(0x80 | (Code & 0x3F));
  } else if (Code < 0x10000) {
    Put(0xE0 | (Code >> 12));
    Put(0x80 | ((Code >> 6) & 0x3F));
    Put(0x80 | (Code & 0x3F));
  } else {
    Put(0xF0 | (Code >> 18));
    Put(0x80 | ((Code >> 12) & 0x3F));
    Put(0x80 | ((Code >> 6) & 0x3F));
    Put(0x80 | (Code & 0x3F));
  }
}

constexpr char32_t Invalid = 0xFFFFFFFF;
constexpr char16_t FirstEscape = 0xDC80;
constexpr char16_t LastEscape = 0xDCFF;

// Decodes one code point at Pos and advances Pos past it; an ill-formed
// sequence (overlong, surrogate, beyond U+10FFFF, cut short) yields Invalid
// and consumes one byte.
char32_t DecodeUtf8Strict(std::string_view Text, std::size_t& Pos)
{
  const auto Lead = static_cast<std::uint8_t>(Text[Pos]);
  ++Pos;
  if (Lead < 0x80) {
    return Lead;
  }
  std::size_t More = 0;
  char32_t Code = 0;
  char32_t Least = 0;
  if ((Lead & 0xE0) == 0xC0) {
    More = 1, Code = Lead & 0x1FU, Least = 0x80;
  } else if ((Lead & 0xF0) == 0xE0) {
    More = 2, Code = Lead & 0x0FU, Least = 0x800;
  } else if ((Lead & 0xF8) == 0xF0) {
    More = 3, Code = Lead & 0x07U, Least = 0x10000;
  } else {
    return Invalid;
  }
  if (Text.size() - Pos < More) {
    return Invalid;
  }
  for (std::size_t Index = 0; Index < More; ++Index) {
    const auto Next = static_cast<std::uint8_t>(Text[Pos + Index]);
    if ((Next & 0xC0) != 0x80) {
      return Invalid;
    }
    Code = (Code << 6) | (Next & 0x3FU);
  }
  if (Code < Least || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) {
    return Invalid;
  }
  Pos += More;
  return Code;
}

char32_t DecodeUtf8(std::string_view Text, std::size_t& Pos)
{
  const char32_t Code = DecodeUtf8Strict(Text, Pos);
  return Code == Invalid ? Replacement : Code;
}

bool IsEscape(char16_t Unit)
{
  return Unit >= FirstEscape && Unit <= LastEscape;
}

bool IsHighSurrogate(char16_t Unit)
{
  return Unit >= 0xD800 && Unit <= 0xDBFF;
}

} // namespace

std::u16string PathToUtf16(std::string_view Path)
{
  std::u16string Out;
  Out.reserve(Path.size());
  std::size_t Pos = 0;
  while (Pos < Path.size()) {
    const std::size_t Start = Pos;
    const char32_t Code = DecodeUtf8Strict(Path, Pos);
    if (Code == Invalid) {
      // Only bytes of 0x80 and up can be ill-formed.
      Out.push_back(static_cast<char16_t>(FirstEscape + (static_cast<std::uint8_t>(Path[Start]) - 0x80)));
    } else {
      AppendUtf16(Out, Code);
    }
  }
  return Out;
}

std::string Utf16ToPath(std::u16string_view Path)
{
  std::string Out;
  Out.reserve(Path.size());
  std::size_t Begin = 0;
  for (std::size_t Pos = 0; Pos <= Path.size(); ++Pos) {
    if (Pos < Path.size() && !IsEscapedByteAt(Path, Pos)) {
      continue;
    }
    Out += Utf16ToUtf8(Path.substr(Begin, Pos - Begin));
    if (Pos < Path.size()) {
      Out.push_back(static_cast<char>(0x80 + (Path[Pos] - FirstEscape)));
    }
    Begin = Pos + 1;
  }
  return Out;
}

// An escaped byte is a low surrogate in the escape range that no high
// surrogate pairs with.
bool IsEscapedByteAt(std::u16string_view Path, std::size_t Pos)
{
  return Pos < Path.size() && IsEscape(Path[Pos]) && (Pos == 0 || !IsHighSurrogate(Path[Pos - 1]));
}

bool HasEscapedBytes(std::u16string_view Path)
{
  for (std::size_t Pos = 0; Pos < Path.size(); ++Pos) {
    if (IsEscapedByteAt(Path, Pos)) {
      return true;
    }
  }
  return false;
}

std::u16string DisplayPath(std::u16string_view Path)
{
  return Utf8ToUtf16(Utf16ToUtf8(Path));
}

std::u16string Utf8ToUtf16(std::string_view Text)
{
  std::u16string Out;
  Out.reserve(Text.size());
  std::size_t Pos = 0;
  while (Pos < Text.size()) {
    AppendUtf16(Out, DecodeUtf8(Text, Pos));
  }
  return Out;
}

std::string Utf16ToUtf8(std::u16string_view Text)
{
  std::string Out;
  Out.reserve(Text.size());
  for (std::size_t Pos = 0; Pos < Text.size(); ++Pos) {
    char32_t Code = Text[Pos];
    if (Code >= 0xD800 && Code <= 0xDBFF && Pos + 1 < Text.size() && Text[Pos + 1] >= 0xDC00 &&
        Text[Pos + 1] <= 0xDFFF) {
      Code = 0x10000 + ((Code - 0xD800) << 10) + (Text[Pos + 1] - 0xDC00U);
      ++Pos;
    } else if (Code >= 0xD800 && Code <= 0xDFFF) {
      Code = Replacement;
    }
    AppendUtf8(Out, Code);
  }
  return Out;
}

} // namespace Quillmark
