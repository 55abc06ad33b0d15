#include "tag/SetCommand.h"

#include "metadata/Catalogue.h"
#include "metadata/PictureRules.h"
#include "metadata/TextConversion.h"
#include "tag/CatalogueFile.h"
#include "tag/CatalogueJson.h"
#include "tag/FileArguments.h"
#include "tag/LayoutFromName.h"
#include "tag/SetBatch.h"
#include "tag/ShowCommand.h"

#include <fstream>
#include <ostream>

namespace Quillmark {

namespace {

constexpr int UsageError = 2;

// What is changed in every file: the options resolved once for the batch.
struct TChanges {
  bool FromValues = false;
  TCatalogueValues Values; // from the values file
  std::shared_ptr<const TJpegImage> Preview;
  std::shared_ptr<const TJpegImage> Poster;
};

std::string ReadValuesFile(const std::string& Path, TCatalogueValues& Values)
{
  std::ifstream Stream(Path, std::ios::binary);
  if (!Stream) {
    return "cannot be read";
  }
  nlohmann::json Json = nlohmann::json::parse(Stream, nullptr, false);
  if (Json.is_discarded()) {
    return "is not valid JSON";
  }
  // The array show --json prints is taken when it holds one file.
  if (Json.is_array()) {
    if (Json.size() != 1) {
      return "holds " + std::to_string(Json.size()) + " files' values; expected one";
    }
    Json = Json[0];
  }
  return ApplyCatalogueJson(Json, Values);
}

std::string LoadPicture(TPictureKind Kind, const std::string& Path, std::shared_ptr<const TJpegImage>& Image)
{
  TPictureLoadResult Loaded = LoadPictureFile(Kind, Path);
  if (Loaded.Status != TPictureLoad::Accepted) {
    return Utf16ToUtf8(Loaded.Message);
  }
  Image = Loaded.Image;
  return {};
}

bool Prepare(const TSetOptions& Options, TChanges& Changes, std::ostream& Err)
{
  std::string Problem;
  std::string Source;
  if (Options.ValuesFile) {
    Changes.FromValues = true;
    Source = *Options.ValuesFile;
    Problem = ReadValuesFile(Source, Changes.Values);
  }
  if (Problem.empty() && Options.Preview == TPictureChange::Load) {
    Source = Options.PreviewFile;
    Problem = LoadPicture(TPictureKind::Preview, Source, Changes.Preview);
  }
  if (Problem.empty() && Options.Poster == TPictureChange::Load) {
    Source = Options.PosterFile;
    Problem = LoadPicture(TPictureKind::Poster, Source, Changes.Poster);
  }
  if (!Problem.empty()) {
    Err << Source << ": " << Problem << '\n';
  }
  return Problem.empty();
}

void CopyFromValues(const TCatalogueValues& From, TCatalogueValues& To)
{
  auto Preview = To.Preview;
  auto Poster = To.Poster;
  To = From;
  To.Preview = Preview;
  To.Poster = Poster;
}

void SetText(const std::optional<std::string>& Option, std::u16string& Text)
{
  if (Option) {
    Text = Utf8ToUtf16(*Option);
  }
}

void SetFlag(const std::optional<bool>& Option, bool& Flag)
{
  if (Option) {
    Flag = *Option;
  }
}

void SetPicture(TPictureChange Change, const std::shared_ptr<const TJpegImage>& Loaded,
                std::shared_ptr<const TJpegImage>& Picture)
{
  if (Change == TPictureChange::Load) {
    Picture = Loaded;
  } else if (Change == TPictureChange::Remove) {
    Picture.reset();
  }
}

void Apply(const TSetOptions& O, const TChanges& Changes, TCatalogueValues& V)
{
  if (Changes.FromValues) {
    CopyFromValues(Changes.Values, V);
  }
  SetFlag(O.Stereo, V.Stereo);
  if (!O.Stereo && TicksStereo(O)) {
    V.Stereo = true;
  }
  SetFlag(O.HalfWidth, V.HalfWidth);
  SetFlag(O.HalfHeight, V.HalfHeight);
  if (O.Layout) {
    V.LayoutIndex = LayoutIndexOfKey(Utf8ToUtf16(*O.Layout));
  }
  SetText(O.Duration, V.Duration);
  SetText(O.Parallax, V.Parallax);
  SetText(O.Source, V.Source);
  SetText(O.Title, V.Title);
  SetText(O.Author, V.Author);
  SetText(O.Copyright, V.Copyright);
  SetText(O.Description, V.Description);
  SetText(O.DiscName, V.DiscName);
  SetText(O.TitleName, V.TitleName);
  SetText(O.TitleIndex, V.TitleIndex);
  SetPicture(O.Preview, Changes.Preview, V.Preview);
  SetPicture(O.Poster, Changes.Poster, V.Poster);
}

// The layout the file's name announces, put into V; the message when the
// name announces none, or layouts that disagree.
std::string ApplyNameLayout(const std::string& File, TCatalogueValues& V)
{
  TNameLayout Layout;
  switch (LayoutFromName(File, Layout)) {
  case TNameLayoutResult::NoTag:
    return "no stereoscopic layout tag in the name (such as SBS, HSBS, OU, HOU); left as it was";
  case TNameLayoutResult::Conflicting:
    return "the name's stereoscopic layout tags disagree; left as it was";
  case TNameLayoutResult::Found:
    break;
  }
  V.Stereo = true;
  V.LayoutIndex = Layout.LayoutIndex;
  V.HalfWidth = Layout.HalfWidth;
  V.HalfHeight = Layout.HalfHeight;
  return {};
}

std::string Shown(const std::string& Text)
{
  return Text.empty() ? "(empty)" : Text;
}

// The values that would change, as show prints them: "  Label: old -> new".
void PrintChanges(const std::string& File, const TCatalogueValues& Before, const TCatalogueValues& After,
                  std::ostream& Out)
{
  const auto Old = ValueLines(Before);
  const auto New = ValueLines(After);
  std::string Lines;
  for (std::size_t At = 0; At < Old.size() && At < New.size(); ++At) {
    if (Old[At].second != New[At].second) {
      Lines += "  " + Old[At].first + ": " + Shown(Old[At].second) + " -> " + Shown(New[At].second) + "\n";
    }
  }
  Out << File << (Lines.empty() ? ": no change\n" : ": would be saved\n") << Lines;
}

void PrintMessages(const std::string& File, const std::vector<std::string>& Messages, TSetBatch& Batch,
                   std::ostream& Err)
{
  if (!Messages.empty()) {
    Batch.BreakLine();
  }
  for (const std::string& Line : Messages) {
    Err << File << ": " << Line << '\n';
  }
}

// Opens the file and writes the new values into its editor. A dry run then
// reads them back, prints what would change and lets the file go; a real
// one hands the file to the batch. False when the file failed.
bool SetFile(const TSetOptions& Options, const TChanges& Changes, std::size_t Position,
             const std::string& File, TSetBatch& Batch, std::ostream& Out, std::ostream& Err)
{
  TOpenedCatalogue Opened;
  std::vector<std::string> Messages;
  const std::string Message = OpenCatalogue(File, TOpenAccess::ReadWrite, Opened);
  if (!Message.empty()) {
    PrintMessages(File, {Message}, Batch, Err);
    return false;
  }
  const TCatalogueValues Before = Opened.Values;
  Apply(Options, Changes, Opened.Values);
  if (Options.LayoutFromName) {
    if (std::string Refusal = ApplyNameLayout(File, Opened.Values); !Refusal.empty()) {
      Messages.push_back(std::move(Refusal));
    }
  }
  bool Written = Messages.empty() && WriteValues(Opened, Messages);
  if (Written && Options.DryRun) {
    TCatalogueValues After;
    Written = ReadValues(Opened, After);
    if (Written) {
      PrintChanges(File, Before, After, Out);
    } else {
      Messages.emplace_back("Failed to read metadata!");
    }
  }
  PrintMessages(File, Messages, Batch, Err);
  if (!Written || Options.DryRun) {
    // The changes are still in the editor only: they are discarded.
    Opened.Editor->Close();
    return Written;
  }
  Batch.Add(Position, File, std::move(Opened));
  return true;
}

} // namespace

bool TicksStereo(const TSetOptions& O)
{
  return O.Layout || O.HalfWidth.value_or(false) || O.HalfHeight.value_or(false) || O.Duration ||
         O.Parallax || O.LayoutFromName;
}

int RunSet(const TSetOptions& Options, std::ostream& Out, std::ostream& Err)
{
  TChanges Changes;
  if (!Prepare(Options, Changes, Err)) {
    return UsageError;
  }
  std::vector<std::string> Files;
  int Status = ExpandFileArguments(Options.Files, Options.Recursive, Files, Err) ? 0 : 1;
  TSetBatch Batch(Files.size(), Options.ShowProgress && !Options.DryRun, Err);
  for (std::size_t Position = 0; Position < Files.size(); ++Position) {
    if (!Options.DryRun && !Batch.MakeRoom(Files[Position])) {
      Status = 1;
    }
    if (!SetFile(Options, Changes, Position, Files[Position], Batch, Out, Err)) {
      Status = 1;
    }
  }
  if (!Batch.Save()) {
    Status = 1;
  }
  Batch.BreakLine();
  return Status;
}

} // namespace Quillmark
