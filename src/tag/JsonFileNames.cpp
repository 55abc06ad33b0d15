#include "tag/JsonFileNames.h"

#include "metadata/TextConversion.h"

#include <cstdio>
#include <ostream>
#include <utility>

namespace Quillmark {

namespace {

// A name from the command line never holds a NUL byte, so a stand-in that
// holds two cannot be a real name. Dumped, it reads "\u0000N\u0000".
const std::string StandInMark(1, '\0');
constexpr const char* DumpedMember = "\"file\": \"\\u0000";

std::string HexEscape(unsigned Unit)
{
  char Text[8];
  std::snprintf(Text, sizeof Text, "\\u%04x", Unit);
  return Text;
}

} // namespace

std::string JsonNameLiteral(const std::string& Name)
{
  const std::u16string Units = PathToUtf16(Name);
  std::string Literal = "\"";
  std::size_t Begin = 0;
  auto FlushText = [&](std::size_t End) {
    Literal += Utf16ToUtf8(std::u16string_view(Units).substr(Begin, End - Begin));
  };
  for (std::size_t Pos = 0; Pos < Units.size(); ++Pos) {
    const char16_t Unit = Units[Pos];
    const bool Escaped = IsEscapedByteAt(Units, Pos);
    if (!Escaped && Unit >= 0x20 && Unit != u'"' && Unit != u'\\') {
      continue;
    }
    FlushText(Pos);
    Begin = Pos + 1;
    if (Unit == u'"' || Unit == u'\\') {
      Literal += '\\';
      Literal += static_cast<char>(Unit);
    } else {
      Literal += HexEscape(Unit);
    }
  }
  FlushText(Units.size());
  return Literal + "\"";
}

std::string TJsonFileNames::Member(const std::string& Name)
{
  if (!HasEscapedBytes(PathToUtf16(Name))) {
    return Name;
  }
  FEscaped.push_back(Name);
  return StandInMark + std::to_string(FEscaped.size() - 1) + StandInMark;
}

std::string TJsonFileNames::Finish(std::string Text) const
{
  // The member is searched at the start of a line, where no string value
  // can put it: a value's own line breaks are escaped.
  for (std::size_t Index = 0; Index < FEscaped.size(); ++Index) {
    const std::string StandIn = "\\u0000" + std::to_string(Index) + "\\u0000\"";
    std::size_t Line = 0;
    while ((Line = Text.find('\n', Line)) != std::string::npos) {
      std::size_t Key = Text.find_first_not_of(' ', Line + 1);
      Line += 1;
      if (Key == std::string::npos ||
          Text.compare(Key, std::char_traits<char>::length(DumpedMember), DumpedMember) != 0) {
        continue;
      }
      const std::size_t Value = Key + std::char_traits<char>::length("\"file\": ");
      if (Text.compare(Value + 1, StandIn.size(), StandIn) == 0) {
        Text.replace(Value, StandIn.size() + 1, JsonNameLiteral(FEscaped[Index]));
        break;
      }
    }
  }
  return Text;
}

TJsonFileArray::TJsonFileArray(std::ostream& Out) : FOut(Out)
{
  FOut << '[' << std::flush;
}

void TJsonFileArray::AddDumped(std::string Text)
{
  Text = FNames.Finish(std::move(Text));
  FNames = TJsonFileNames();
  // Inside the array every line is indented one level more. A line break
  // in the dumped text is always between members: those in values are
  // escaped.
  std::string Indented = FEmpty ? "\n  " : ",\n  ";
  Indented.reserve(Text.size() + Text.size() / 8);
  for (const char C : Text) {
    Indented += C;
    if (C == '\n') {
      Indented += "  ";
    }
  }
  FEmpty = false;
  FOut << Indented << std::flush;
}

void TJsonFileArray::Close()
{
  FOut << (FEmpty ? "]\n" : "\n]\n") << std::flush;
}

} // namespace Quillmark
