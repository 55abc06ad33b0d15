#include "tag/SetCommand.h"

#include "catalogue/Catalogue.h"
#include "catalogue/PictureRules.h"
#include "fs/JournalPlace.h"
#include "metadata/TextConversion.h"
#include "tag/CatalogueFile.h"
#include "tag/FileArguments.h"
#include "tag/LayoutFromName.h"
#include "tag/MatroskaCatalogue.h"
#include "tag/MatroskaCommands.h"
#include "tag/ReadAhead.h"
#include "tag/SetBatch.h"
#include "tag/SetReport.h"
#include "tag/ShowCommand.h"
#include "tag/ToolLines.h"
#include "tag/ValueOptions.h"
#include "tag/ValuesFile.h"
#include "tag/VideoHandOff.h"

#include <algorithm>
#include <ostream>
#include <sstream>
#include <utility>

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
    Err << FileLine(Source, Problem);
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
  if (!O.Stereo && TicksStereo(O)) {
    V.Stereo = true;
    C.Mark(TAttribute::Stereoscopic);
  }
  SetFlag(O.HalfWidth, TAttribute::StereoscopicHalfWidth, V.HalfWidth, C);
  SetFlag(O.HalfHeight, TAttribute::StereoscopicHalfHeight, V.HalfHeight, C);
  if (O.Layout) {
    V.LayoutIndex = LayoutIndexOfKey(Utf8ToUtf16(*O.Layout));
    C.Mark(TAttribute::StereoscopicLayout);
  }
  for (const TCatalogueEntry& Row : Catalogue) {
    if (IsValueOption(Row)) {
      SetText(O.Text(Row.Attribute), Row.Attribute, V.*Row.Field.Text, C);
    }
  }
  SetPicture(O.Preview, TAttribute::StereoscopicPreview, Changes.Preview, V.Preview, C);
  SetPicture(O.Poster, TAttribute::StereoDiscTitlePoster, Changes.Poster, V.Poster, C);
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
  V.SetStereoLayout(Layout.LayoutIndex, Layout.HalfWidth, Layout.HalfHeight);
  return {};
}

std::string Shown(const std::string& Text)
{
  return Text.empty() ? "(empty)" : Text;
}

// The values that would change, as show prints them.
std::vector<TValueChange> ChangesBetween(const TCatalogueValues& Before, const TCatalogueValues& After)
{
  const auto Old = ValueLines(Before);
  const auto New = ValueLines(After);
  std::vector<TValueChange> Changes;
  for (std::size_t At = 0; At < Old.size() && At < New.size(); ++At) {
    if (Old[At].second != New[At].second) {
      Changes.push_back({Old[At].first, Old[At].second, New[At].second});
    }
  }
  return Changes;
}

// What an open for editing would do first with the side file a dry run's
// open for reading found.
std::string FirstStep(const TSideFileReport& Report)
{
  switch (Report.Editing) {
  case TSideFileState::RolledBack:
    return " (first the interrupted save would be undone)";
  case TSideFileState::Completed:
    return " (first the finished interrupted save would be kept)";
  case TSideFileState::Removed:
    return " (first the unfinished side file would be removed)";
  default:
    return {};
  }
}

// "FILE: would be saved" and each change "  Label: old -> new".
void PrintChanges(const std::string& File, const std::string& Outcome,
                  const std::vector<TValueChange>& Changes, std::ostream& Out)
{
  Out << File << ": " << Outcome << '\n';
  for (const TValueChange& Change : Changes) {
    Out << "  " << Change.Label << ": " << Shown(Change.Old) << " -> " << Shown(Change.New) << '\n';
  }
}

void PrintMessages(const std::string& File, const std::vector<std::string>& Messages, TSetBatch& Batch,
                   std::ostream& Err)
{
  if (!Messages.empty()) {
    Batch.BreakLine();
  }
  for (const std::string& Line : Messages) {
    Err << FileLine(File, Line);
  }
}

std::string Joined(const std::vector<std::string>& Lines)
{
  std::string Text;
  for (const std::string& Line : Lines) {
    Text += (Text.empty() ? "" : " ") + Line;
  }
  return Text;
}

// One file of the command, and where its outcome goes.
struct TFileRun {
  const TSetOptions& Options;
  const TChanges& Changes;
  std::size_t Position;
  const std::string& File;
  bool Listed; // found in a folder: a link at its name is not followed
  TSetBatch& Batch;
  TMatroskaSetBatch& MatroskaBatch;
  TSetReport& Report;
  std::ostream& Out;
  std::ostream& Err;
};

bool Fail(const TFileRun& Run, const std::string& Key, const std::vector<std::string>& Messages)
{
  PrintMessages(Run.File, Messages, Run.Batch, Run.Err);
  Run.Report.Failed(Run.Position, Key, Joined(Messages));
  return false;
}

// The video work says what went wrong on lines of its own (FileLine's).
bool ApplyVideo(const TFileRun& Run, const TRef<IWMMetadataEditor2>& Editor, TCatalogueValues& Values)
{
  std::ostringstream Said;
  std::ostream& Out = Run.Options.Json ? Run.Err : Run.Out;
  if (Run.Options.VideoWork->ApplyVideoChanges(Run.Options.Video, Run.File, Editor, Values, Out, Said)) {
    Run.Err << Said.str();
    return true;
  }
  Run.Err << Said.str();
  std::string Text = Said.str();
  std::string Prefix = FileLine(Run.File, "");
  Prefix.pop_back();
  for (std::size_t At = Text.find(Prefix); At != std::string::npos; At = Text.find(Prefix)) {
    Text.erase(At, Prefix.size());
  }
  while (!Text.empty() && Text.back() == '\n') {
    Text.pop_back();
  }
  std::replace(Text.begin(), Text.end(), '\n', ' ');
  Run.Report.Failed(Run.Position, VideoCode, Text);
  return false;
}

// A dry run's outcome: what would change, and whether a side file no save
// may pass would stop the save.
bool TellDryRun(const TFileRun& Run, const TOpenedCatalogue& Opened, const TCatalogueValues& Before,
                const TCatalogueValues& After)
{
  const std::vector<TValueChange> Changes = ChangesBetween(Before, After);
  const TSideFileReport& Side = Opened.SideFileReport;
  if (!Changes.empty() && Side.Editing == TSideFileState::Found) {
    if (!Run.Options.Json) {
      PrintChanges(Run.File, "would not be saved", Changes, Run.Out);
    }
    const TFailureReason Reason{TFailureCause::SideFileFound, Side.Path};
    return Fail(Run, FailureCauseKey(Reason.Cause), {CauseText(Reason, {}) + "; would not be saved"});
  }
  if (Run.Options.Json) {
    Run.Report.WouldSave(Run.Position, Changes);
  } else {
    PrintChanges(Run.File, Changes.empty() ? "no change" : "would be saved" + FirstStep(Side), Changes,
                 Run.Out);
  }
  return true;
}

// Opens the file and writes the new values into its editor. A real run
// hands the file to the batch. A dry run opens it for reading only, so
// that it neither acts on a side file (it tells what a save would do with
// one) nor takes the file from other readers, changes a copy of the header
// in memory and tells what would change. False when the file failed.
// Options for values Matroska files do not hold are refused for the whole
// command, before any file is touched, naming the option and a file.
bool MatroskaOptionsFit(const TSetOptions& Options, const std::vector<std::string>& Files, std::ostream& Err)
{
  const std::vector<std::string> Lacking = OptionsMatroskaLacks(Options);
  if (Lacking.empty()) {
    return true;
  }
  for (const std::string& File : Files) {
    if (OpenIfMatroska(File, false, true)) {
      Err << FileLine(File, Lacking.front() +
                                " gives a value Matroska and WebM files do not hold; nothing was changed");
      return false;
    }
  }
  return true;
}

bool SetFile(const TFileRun& Run)
{
  if (THeldFile Held = OpenIfMatroska(Run.File, !Run.Options.DryRun, !Run.Listed)) {
    return SetMatroska(Run.Options, Run.File, std::move(Held), Run.Position, Run.Report, Run.Out, Run.Err,
                       &Run.MatroskaBatch);
  }
  const TSetOptions& Options = Run.Options;
  const std::string& File = Run.File;
  Run.Report.Begin(Run.Position, File);
  TOpenedCatalogue Opened;
  std::string Message =
      OpenCatalogue(File, Options.DryRun ? TOpenAccess::Read : TOpenAccess::ReadWrite, Opened, !Run.Listed);
  if (!Opened.SideFile.empty() && Options.Verbosity != TVerbosity::Quiet) {
    PrintMessages(File, {Opened.SideFile}, Run.Batch, Run.Err);
    Run.Report.SideFile(Run.Position, Opened.SideFileReport, Opened.SideFile);
  }
  if (!Message.empty()) {
    const bool Known = Opened.Failure.Cause != TFailureCause::None;
    return Fail(Run, Known ? FailureCauseKey(Opened.Failure.Cause) : UnreadableCode, {Message});
  }
  // Only a dry run shows the values as they were.
  const TCatalogueValues Before = Options.DryRun ? Opened.Values : TCatalogueValues{};
  Apply(Options, Run.Changes, Opened.Values);
  // The frames come from the file opened, before a dry run lets go of it.
  if (Options.Video.Any() && !ApplyVideo(Run, Opened.Editor, Opened.Values)) {
    Opened.Editor->Close();
    return false;
  }
  if (Options.DryRun) {
    if (Message = DetachFromFile(Opened); !Message.empty()) {
      return Fail(Run, UnreadableCode, {Message});
    }
  }
  std::vector<std::string> Messages;
  if (Options.LayoutFromName) {
    if (std::string Refusal = ApplyNameLayout(File, Opened.Values); !Refusal.empty()) {
      Messages.push_back(std::move(Refusal));
    }
  }
  bool Written = Messages.empty() && WriteValues(Opened, Messages);
  TCatalogueValues After;
  if (Written && Options.DryRun && !ReadValues(Opened, After)) {
    Written = false;
    Messages.emplace_back("the changed header could not be read");
  }
  // The changes still in the editor only are discarded with it.
  if (!Written) {
    Opened.Editor->Close();
    return Fail(Run, RefusedCode, Messages);
  }
  PrintMessages(File, Messages, Run.Batch, Run.Err);
  if (Options.DryRun) {
    Opened.Editor->Close();
    return TellDryRun(Run, Opened, Before, After);
  }
  Run.Batch.Add(Run.Position, File, std::move(Opened));
  return true;
}

} // namespace

bool TicksStereo(const TSetOptions& O)
{
  const bool StereoText = std::any_of(Catalogue.begin(), Catalogue.end(), [&O](const TCatalogueEntry& Row) {
    return Row.Rule == TWriteRule::WithStereoscopic && IsValueOption(Row) && O.Text(Row.Attribute);
  });
  return O.Layout || O.HalfWidth.value_or(false) || O.HalfHeight.value_or(false) || StereoText ||
         O.LayoutFromName;
}

int RunSet(const TSetOptions& Options, std::ostream& Out, std::ostream& Err)
{
  if (Options.Video.Any() && Options.VideoWork == nullptr) {
    Err << ToolLine("this build cannot look at videos");
    return 1;
  }
  TChanges Changes;
  if (!Prepare(Options, Changes, Err)) {
    return UsageError;
  }
  std::vector<std::string> Files;
  std::vector<bool> Listed;
  int Status = ExpandFileArguments(Options.Files, Options.Recursive, Files, Err, &Listed) ? 0 : 1;
  if (!MatroskaOptionsFit(Options, Files, Err)) {
    return UsageError;
  }
  TSetReport Report(Options.Json);
  TSetBatch Batch(Files.size(), Options.ShowProgress && !Options.DryRun, Err);
  Batch.SetVerbose(Options.Verbosity == TVerbosity::Verbose);
  Batch.ReportTo(Report);
  TMatroskaSetBatch MatroskaBatch(Batch.MaxGroupFiles(), Report, Options.Verbosity == TVerbosity::Verbose,
                                  Err);
  TReadAhead Ahead(Files);
  const Fs::TPrivateFolderMemory RememberFolder;
  for (std::size_t Position = 0; Position < Files.size(); ++Position) {
    Ahead.Reached(Position);
    // Each group is asked, whatever the other answers.
    if (!Options.DryRun && !Batch.MakeRoom(Files[Position])) {
      Status = 1;
    }
    if (!Options.DryRun && !MatroskaBatch.MakeRoom(Files[Position])) {
      Status = 1;
    }
    if (!SetFile({Options, Changes, Position, Files[Position], Listed[Position], Batch, MatroskaBatch, Report,
                  Out, Err})) {
      Status = 1;
    }
  }
  if (!Batch.Save()) {
    Status = 1;
  }
  if (!MatroskaBatch.Save()) {
    Status = 1;
  }
  Batch.BreakLine();
  Report.Print(Out);
  return Status;
}

} // namespace Quillmark
