#include "tag/SetCommand.h"

#include "metadata/Catalogue.h"
#include "metadata/PictureRules.h"
#include "metadata/TextConversion.h"
#include "tag/CatalogueFile.h"
#include "tag/CatalogueJson.h"

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

// A values file gives every field but the pictures.
void CopyFromValues(const TCatalogueValues& From, TCatalogueValues& To)
{
  auto Preview = To.Preview;
  auto Poster = To.Poster;
  TChangedAttributes Changed = To.Changed;
  To = From;
  To.Preview = Preview;
  To.Poster = Poster;
  for (const TCatalogueEntry& Entry : Catalogue) {
    if (Entry.Type != WMT_TYPE_BINARY) {
      Changed.Mark(Entry.Attribute);
    }
  }
  To.Changed = Changed;
}

// Each option given replaces its attribute; the others stay as stored.
void SetText(const std::optional<std::string>& Option, TAttribute Attribute, std::u16string& Text,
             TChangedAttributes& Changed)
{
  if (Option) {
    Text = Utf8ToUtf16(*Option);
    Changed.Mark(Attribute);
  }
}

void SetFlag(const std::optional<bool>& Option, TAttribute Attribute, bool& Flag, TChangedAttributes& Changed)
{
  if (Option) {
    Flag = *Option;
    Changed.Mark(Attribute);
  }
}

void SetPicture(TPictureChange Change, TAttribute Attribute, const std::shared_ptr<const TJpegImage>& Loaded,
                std::shared_ptr<const TJpegImage>& Picture, TChangedAttributes& Changed)
{
  if (Change == TPictureChange::Load) {
    Picture = Loaded;
    Changed.Mark(Attribute);
  } else if (Change == TPictureChange::Remove) {
    Picture.reset();
    Changed.Mark(Attribute);
  }
}

void Apply(const TSetOptions& O, const TChanges& Changes, TCatalogueValues& V)
{
  if (Changes.FromValues) {
    CopyFromValues(Changes.Values, V);
  }
  TChangedAttributes& C = V.Changed;
  SetFlag(O.Stereo, TAttribute::Stereoscopic, V.Stereo, C);
  SetFlag(O.HalfWidth, TAttribute::StereoscopicHalfWidth, V.HalfWidth, C);
  SetFlag(O.HalfHeight, TAttribute::StereoscopicHalfHeight, V.HalfHeight, C);
  if (O.Layout) {
    V.LayoutIndex = LayoutIndexOfKey(Utf8ToUtf16(*O.Layout));
    C.Mark(TAttribute::StereoscopicLayout);
  }
  SetText(O.Duration, TAttribute::StereoscopicSkip, V.Duration, C);
  SetText(O.Parallax, TAttribute::StereoscopicHorizontalParallax, V.Parallax, C);
  SetText(O.Source, TAttribute::Source, V.Source, C);
  SetText(O.Title, TAttribute::Title, V.Title, C);
  SetText(O.Author, TAttribute::Author, V.Author, C);
  SetText(O.Copyright, TAttribute::Copyright, V.Copyright, C);
  SetText(O.Description, TAttribute::Description, V.Description, C);
  SetText(O.DiscName, TAttribute::StereoDiscName, V.DiscName, C);
  SetText(O.TitleName, TAttribute::StereoDiscTitleName, V.TitleName, C);
  SetText(O.TitleIndex, TAttribute::StereoDiscTitleIndex, V.TitleIndex, C);
  SetPicture(O.Preview, TAttribute::StereoscopicPreview, Changes.Preview, V.Preview, C);
  SetPicture(O.Poster, TAttribute::StereoDiscTitlePoster, Changes.Poster, V.Poster, C);
}

// Rewrites one line of the terminal; Open tells whether that line still
// waits for its end, so that a failure message starts on a line of its own.
TProgressCallback ProgressPrinter(const std::string& File, std::ostream& Err, bool& Open)
{
  return [File, &Err, &Open](QWORD Done, QWORD Total) {
    const QWORD Percent = Total == 0 ? 100 : Done * 100 / Total;
    Open = Done < Total;
    Err << '\r' << File << ": saving " << Percent << '%' << (Open ? "" : "\n") << std::flush;
  };
}

bool SetFile(const TSetOptions& Options, const TChanges& Changes, const std::string& File, std::ostream& Err)
{
  TOpenedCatalogue Opened;
  const std::string Message = OpenCatalogue(File, TOpenAccess::ReadWrite, Opened);
  if (!Opened.SideFile.empty()) {
    Err << File << ": " << Opened.SideFile << '\n';
  }
  if (!Message.empty()) {
    Err << File << ": " << Message << '\n';
    return false;
  }
  Apply(Options, Changes, Opened.Values);
  std::vector<std::string> Messages;
  bool LineOpen = false;
  const TProgressCallback Progress = Options.ShowProgress ? ProgressPrinter(File, Err, LineOpen) : nullptr;
  const bool Saved = SaveCatalogue(Opened, File, Options.DryRun, Progress, Messages);
  if (LineOpen) {
    Err << '\n';
  }
  for (const std::string& Line : Messages) {
    Err << File << ": " << Line << '\n';
  }
  return Saved;
}

} // namespace

int RunSet(const TSetOptions& Options, std::ostream& Out, std::ostream& Err)
{
  TChanges Changes;
  if (!Prepare(Options, Changes, Err)) {
    return UsageError;
  }
  int Status = 0;
  for (const std::string& File : Options.Files) {
    if (SetFile(Options, Changes, File, Err)) {
      if (Options.DryRun) {
        Out << File << ": would be saved\n";
      }
    } else {
      Status = 1;
    }
  }
  return Status;
}

} // namespace Quillmark
