#include "metadata/asf/Utf16.h"

#include <cstdint>

namespace Quillmark::Asf {

namespace {

constexpr char32_t Replacement = 0xFFFD;

void AppendUtf8(std::string& Out, char32_t Code)
{
  if (Code < 0x80) {
    Out.push_back(static_cast<char>(Code));
  } else if (Code < 0x800) {
    Out.push_back(static_cast<char>(0xC0 | (Code >> 6)));
    Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
  } else if (Code < 0x10000) {
    Out.push_back(static_cast<char>(0xE0 | (Code >> 12)));
    Out.push_back(static_cast<char>(0x80 | ((Code >> 6) & 0x3F)));
    Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
  } else {
    Out.push_back(static_cast<char>(0xF0 | (Code >> 18)));
    Out.push_back(static_cast<char>(0x80 | ((Code >> 12) & 0x3F)));
    Out.push_back(static_cast<char>(0x80 | ((Code >> 6) & 0x3F)));
    Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
  }
}

void AppendUtf16(std::u16string& Out, char32_t Code)
{
  if (Code < 0x10000) {
    Out.push_back(static_cast<char16_t>(Code));
  } else {
    Code -= 0x10000;
    Out.push_back(static_cast<char16_t>(0xD800 + (Code >> 10)));
    Out.push_back(static_cast<char16_t>(0xDC00 + (Code & 0x3FF)));
  }
}

bool IsHigh(char16_t Unit)
{
  return Unit >= 0xD800 && Unit <= 0xDBFF;
}

bool IsLow(char16_t Unit)
{
  return Unit >= 0xDC00 && Unit <= 0xDFFF;
}

// Decodes one UTF-8 sequence at Text[At]; advances At; Replacement when invalid.
char32_t DecodeUtf8(std::string_view Text, std::size_t& At)
{
  auto Byte = [&](std::size_t I) { return static_cast<std::uint8_t>(Text[I]); };
  std::uint8_t Lead = Byte(At++);
  if (Lead < 0x80) {
    return Lead;
  }
  std::size_t Extra = 0;
  if (Lead >= 0xC2 && Lead <= 0xDF) {
    Extra = 1;
  } else if (Lead >= 0xE0 && Lead <= 0xEF) {
    Extra = 2;
  } else if (Lead >= 0xF0 && Lead <= 0xF4) {
    Extra = 3;
  } else {
    return Replacement;
  }
  char32_t Code = Lead & (0x3F >> Extra);
  for (std::size_t I = 0; I < Extra; ++I) {
    if (At >= Text.size() || (Byte(At) & 0xC0) != 0x80) {
      return Replacement;
    }
    Code = (Code << 6) | (Byte(At++) & 0x3F);
  }
  constexpr char32_t Smallest[] = {0, 0x80, 0x800, 0x10000};
  if (Code < Smallest[Extra] || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) {
    return Replacement;
  }
  return Code;
}

} // namespace

std::string Utf16ToUtf8(std::u16string_view Text)
{
  std::string Out;
  Out.reserve(Text.size());
  for (std::size_t I = 0; I < Text.size(); ++I) {
    char16_t Unit = Text[I];
    if (IsHigh(Unit) && I + 1 < Text.size() && IsLow(Text[I + 1])) {
      char32_t Code = 0x10000 + ((static_cast<char32_t>(Unit) - 0xD800) << 10) + (Text[I + 1] - 0xDC00U);
      AppendUtf8(Out, Code);
      ++I;
    } else if (IsHigh(Unit) || IsLow(Unit)) {
      AppendUtf8(Out, Replacement);
    } else {
      AppendUtf8(Out, Unit);
    }
  }
  return Out;
}

std::u16string Utf8ToUtf16(std::string_view Text)
{
  std::u16string Out;
  Out.reserve(Text.size());
  std::size_t At = 0;
  while (At < Text.size()) {
    AppendUtf16(Out, DecodeUtf8(Text, At));
  }
  return Out;
}

} // namespace Quillmark::Asf
