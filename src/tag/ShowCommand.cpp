#include "tag/ShowCommand.h"

#include "catalogue/Catalogue.h"
#include "metadata/TextConversion.h"
#include "tag/AttributeText.h"
#include "tag/CatalogueFile.h"
#include "tag/CatalogueJson.h"
#include "tag/FileArguments.h"
#include "tag/JsonFileNames.h"
#include "tag/MatroskaCatalogue.h"
#include "tag/MatroskaCommands.h"
#include "tag/ReadAhead.h"

#include <optional>
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

int RunShow(const TShowOptions& Options, std::ostream& Out, std::ostream& Err)
{
  std::vector<std::string> Paths;
  int Status = ExpandFileArguments(Options.Files, Options.Recursive, Paths, Err) ? 0 : 1;
  std::optional<TJsonFileArray> Files;
  if (Options.Json) {
    Files.emplace(Out);
  }
  TReadAhead Ahead(Paths);
  for (std::size_t Position = 0; Position < Paths.size(); ++Position) {
    const std::string& File = Paths[Position];
    Ahead.Reached(Position);
    if (IsMatroskaFile(File)) {
      Status |= ShowMatroska(File, Options, Files ? &*Files : nullptr, Out, Err) ? 0 : 1;
      continue;
    }
    TOpenedCatalogue Opened;
    const std::string Message = OpenCatalogue(File, TOpenAccess::Read, Opened);
    if (!Opened.SideFile.empty() && Options.Verbosity != TVerbosity::Quiet) {
      Err << FileLine(File, Opened.SideFile);
    }
    if (!Message.empty()) {
      Err << FileLine(File, Message);
      if (Options.Json) {
        nlohmann::ordered_json Failed;
        Failed["file"] = Files->Member(File);
        Failed["error"] = ErrorJson(CauseCode(Opened.Failure, UnreadableCode), Message);
        Files->Add(Failed);
      }
      Status = 1;
      continue;
    }
    Opened.Editor->Close();
    if (Options.Json) {
      Files->Add(CatalogueJson(Files->Member(File), Opened.Values));
    } else {
      PrintValueLines(File, ValueLines(Opened.Values), Out);
    }
  }
  if (Files) {
    Files->Close();
  }
  return Status;
}

} // namespace Quillmark
