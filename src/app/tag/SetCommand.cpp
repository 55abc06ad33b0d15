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

bool SetFile(const TSetOptions& Options, const TChanges& Changes, const std::string& File, std::ostream& Out,
             std::ostream& Err)
{
  TOpenedCatalogue Opened;
  const std::string Message = OpenCatalogue(File, TOpenAccess::ReadWrite, Opened);
  if (!Message.empty()) {
    Err << File << ": " << Message << '\n';
    return false;
  }
  Apply(Options, Changes, Opened.Values);
  if (Options.Video.Any() && !ApplyVideoChanges(Options.Video, File, Opened.Values, Out, Err)) {
    Opened.Editor->Close();
    Opened.Editor.reset();
    return false;
  }
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
    if (SetFile(Options, Changes, File, Out, Err)) {
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
