#include "tag/ShowCommand.h"

#include "metadata/Catalogue.h"
#include "metadata/TextConversion.h"
#include "tag/AttributeText.h"
#include "tag/CatalogueFile.h"
#include "tag/CatalogueJson.h"
#include "tag/FileArguments.h"
#include "tag/JsonFileNames.h"
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

std::vector<std::pair<std::string, std::string>> ValueLines(const TCatalogueValues& V)
{
  const char16_t* Layout = LayoutKeyAt(V.LayoutIndex);
  return {
      {"Stereoscopic", YesNo(V.Stereo)},
      {"Layout", Layout ? Utf16ToUtf8(Layout) : std::string()},
      {"Half width", YesNo(V.HalfWidth)},
      {"Half height", YesNo(V.HalfHeight)},
      {"2D intro (s)", Text(V.Duration)},
      {"Parallax", Text(V.Parallax)},
      {"Preview", PictureText(V.Preview)},
      {"Source", Text(V.Source)},
      {"Title", Text(V.Title)},
      {"Author", Text(V.Author)},
      {"Copyright", Text(V.Copyright)},
      {"Description", Text(V.Description)},
      {"Disc name", Text(V.DiscName)},
      {"Title name", Text(V.TitleName)},
      {"Title index", Text(V.TitleIndex)},
      {"Poster", PictureText(V.Poster)},
  };
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
  nlohmann::ordered_json Files = nlohmann::ordered_json::array();
  TJsonFileNames Names;
  for (const std::string& File : Paths) {
    if (IsMatroskaFile(File)) {
      Status |= ShowMatroska(File, Options, Names, Files, Out, Err) ? 0 : 1;
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
        Failed["file"] = Names.Member(File);
        Failed["error"] = ErrorJson(CauseCode(Opened.Failure, UnreadableCode), Message);
        Files.push_back(std::move(Failed));
      }
      Status = 1;
      continue;
    }
    Opened.Editor->Close();
    if (Options.Json) {
      Files.push_back(CatalogueJson(Names.Member(File), Opened.Values));
    } else {
      PrintValueLines(File, ValueLines(Opened.Values), Out);
    }
  }
  if (Options.Json) {
    Out << Names.Finish(Files.dump(2)) << '\n';
  }
  return Status;
}

} // namespace Quillmark
