#include "tag/ShowCommand.h"

#include "catalogue/Catalogue.h"
#include "metadata/TextConversion.h"
#include "tag/AttributeText.h"
#include "tag/CatalogueFile.h"
#include "tag/CatalogueJson.h"
#include "tag/EachFile.h"
#include "tag/MatroskaCatalogue.h"
#include "tag/MatroskaCommands.h"

#include <ostream>
#include <utility>

namespace Quillmark {

namespace {

std::string YesNo(bool Value)
{
  return Value ? "yes" : "no";
}

std::string PictureText(const std::shared_ptr<const TJpegImage>& Image)
{
  if (!Image) {
    return {};
  }
  return std::to_string(Image->Width()) + " x " + std::to_string(Image->Height()) + ", " +
         std::to_string(Image->Bytes().size()) + " bytes, sha256 " + Sha256Hex(Image->Bytes());
}

std::string Text(const std::u16string& Value)
{
  return EscapeText(Utf16ToUtf8(Value));
}

} // namespace

namespace {

std::string ValueText(const TCatalogueEntry& Row, const TCatalogueValues& Values)
{
  const TValueField& Field = Row.Field;
  switch (Field.Kind) {
  case TFieldKind::Flag:
    return YesNo(Values.*Field.Flag);
  case TFieldKind::Layout: {
    const char16_t* Layout = LayoutKeyAt(Values.LayoutIndex);
    return Layout ? Utf16ToUtf8(Layout) : std::string();
  }
  case TFieldKind::Picture:
    return PictureText(Values.*Field.Picture);
  case TFieldKind::Seconds:
  case TFieldKind::Integer:
  case TFieldKind::Count:
  case TFieldKind::Text:
    break;
  }
  return Text(Values.*Field.Text);
}

} // namespace

std::vector<std::pair<std::string, std::string>> ValueLines(const TCatalogueValues& Values)
{
  std::vector<std::pair<std::string, std::string>> Lines;
  for (const TAttribute Attribute : ShownOrder) {
    Lines.emplace_back(Entry(Attribute).Label, ValueText(Entry(Attribute), Values));
  }
  return Lines;
}

void PrintValueLines(const std::string& File, const std::vector<std::pair<std::string, std::string>>& Lines,
                     std::ostream& Out)
{
  constexpr std::size_t LabelWidth = 14;
  Out << File << '\n';
  for (const auto& [Label, Value] : Lines) {
    std::string Line = std::string("  ") + Label + ":";
    if (!Value.empty()) {
      Line.resize(LabelWidth + 2, ' ');
      Line += Value;
    }
    Out << Line << '\n';
  }
}

namespace {

bool ShowAsf(const std::string& File, const TShowOptions& Options, TJsonFileArray* Files, std::ostream& Out,
             std::ostream& Err)
{
  TOpenedCatalogue Opened;
  const std::string Message = OpenCatalogue(File, TOpenAccess::Read, Opened);
  if (!Opened.SideFile.empty() && Options.Verbosity != TVerbosity::Quiet) {
    Err << FileLine(File, Opened.SideFile);
  }
  if (!Message.empty()) {
    Err << FileLine(File, Message);
    if (Files != nullptr) {
      nlohmann::ordered_json Failed;
      Failed["file"] = Files->Member(File);
      Failed["error"] = ErrorJson(CauseCode(Opened.Failure, UnreadableCode), Message);
      Files->Add(Failed);
    }
    return false;
  }
  Opened.Editor->Close();
  if (Files != nullptr) {
    Files->Add(CatalogueJson(Files->Member(File), Opened.Values));
  } else {
    PrintValueLines(File, ValueLines(Opened.Values), Out);
  }
  return true;
}

} // namespace

int RunShow(const TShowOptions& Options, std::ostream& Out, std::ostream& Err)
{
  return PrintEachFile(Options.Files, Options.Recursive, Options.Json, Out, Err,
                       [&](const std::string& File, TJsonFileArray* Files) {
                         if (THeldFile Held = OpenIfMatroska(File, false, true)) {
                           return ShowMatroska(File, std::move(Held), Options, Files, Out, Err);
                         }
                         return ShowAsf(File, Options, Files, Out, Err);
                       });
}

} // namespace Quillmark
