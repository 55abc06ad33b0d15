#include "tag/MatroskaCommands.h"

#include "catalogue/Catalogue.h"
#include "matroska/EbmlDump.h"
#include "matroska/MatroskaJournal.h"
#include "matroska/MatroskaSave.h"
#include "metadata/TextConversion.h"
#include "tag/AttributeText.h"
#include "tag/CatalogueJson.h"
#include "tag/LayoutFromName.h"
#include "tag/MatroskaCatalogue.h"
#include "tag/ToolLines.h"
#include "tag/ValueOptions.h"
#include "tag/VideoHandOff.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <sstream>

namespace Quillmark {

namespace {

std::string KindOf(const TMatroskaOpened& Opened)
{
  return Opened.Parsed.IsWebm() ? "WebM" : "Matroska";
}

bool Failed(const std::string& File, const std::string& Message, TJsonFileArray* Files, std::ostream& Err)
{
  Err << FileLine(File, Message);
  if (Files != nullptr) {
    nlohmann::ordered_json Entry;
    Entry["file"] = Files->Member(File);
    Entry["error"] = ErrorJson(UnreadableCode, Message);
    Files->Add(Entry);
  }
  return false;
}

nlohmann::ordered_json ValuesJson(const std::string& Member, const TMatroskaOpened& Opened,
                                  const TCatalogueValues& Values)
{
  nlohmann::ordered_json Json = CatalogueJson(Member, Values);
  if (Opened.OtherMode && Values.LayoutIndex < 0) {
    Json["layout"] = std::to_string(*Opened.OtherMode);
  }
  return Json;
}

std::string IdText(std::uint32_t ElementId)
{
  char Text[16];
  std::snprintf(Text, sizeof Text, "0x%X", ElementId);
  return Text;
}

void PrintDump(const std::string& File, const std::vector<Matroska::TDumpLine>& Lines, std::ostream& Out)
{
  Out << File << '\n';
  for (const Matroska::TDumpLine& Line : Lines) {
    Out << "  " << std::string(2 * Line.Depth, ' ') << "@" << Line.Head.Offset << "  " << IdText(Line.Head.Id)
        << "  " << (Line.Name.empty() ? "?" : Line.Name) << "  size " << Line.Head.Size;
    if (!Line.Value.empty()) {
      Out << " = " << EscapeText(Line.Value);
    }
    Out << '\n';
  }
}

nlohmann::json DumpJson(const std::string& Member, const std::vector<Matroska::TDumpLine>& Lines)
{
  nlohmann::json List = nlohmann::json::array();
  for (const Matroska::TDumpLine& Line : Lines) {
    nlohmann::json Item = {{"offset", Line.Head.Offset},
                           {"depth", Line.Depth},
                           {"id", IdText(Line.Head.Id)},
                           {"name", Line.Name},
                           {"size", Line.Head.Size}};
    if (!Line.Value.empty()) {
      Item["value"] = Line.Value;
    }
    List.push_back(std::move(Item));
  }
  return {{"file", Member}, {"elements", List}};
}

} // namespace

bool ShowMatroska(const std::string& File, THeldFile Held, const TShowOptions& Options, TJsonFileArray* Files,
                  std::ostream& Out, std::ostream& Err)
{
  TMatroskaOpened Opened;
  Opened.File = std::move(Held);
  const std::string Message = OpenMatroska(File, false, true, Opened);
  if (!Opened.SideFile.empty() && Options.Verbosity != TVerbosity::Quiet) {
    Err << FileLine(File, Opened.SideFile);
  }
  if (!Message.empty()) {
    return Failed(File, Message, Files, Err);
  }
  if (Files != nullptr) {
    Files->Add(ValuesJson(Files->Member(File), Opened, Opened.Values));
  } else {
    PrintValueLines(File, MatroskaLines(Opened, Opened.Values), Out);
  }
  return true;
}

bool DumpMatroska(const std::string& File, THeldFile Held, TJsonFileArray* Files, std::ostream& Out,
                  std::ostream& Err)
{
  std::vector<Matroska::TDumpLine> Lines;
  std::string Message;
  try {
    Lines = Matroska::DumpHeader(Fs::PosixFileSystem(), Held->Descriptor());
  } catch (const Matroska::EMatroskaError& Error) {
    Message = std::string("Matroska file ") + Error.what();
  } catch (const std::exception& Error) {
    Message = Error.what();
  }
  if (!Message.empty()) {
    Err << FileLine(File, Message);
    if (Files != nullptr) {
      Files->Add(
          nlohmann::json{{"file", Files->Member(File)}, {"error", ErrorJson(UnreadableCode, Message)}});
    }
    return false;
  }
  if (Files != nullptr) {
    Files->Add(DumpJson(Files->Member(File), Lines));
  } else {
    PrintDump(File, Lines, Out);
  }
  return true;
}

} // namespace Quillmark

namespace Quillmark {

namespace {

void SetFlag(const std::optional<bool>& Option, bool& Flag)
{
  if (Option) {
    Flag = *Option;
  }
}

// The options applied to Values as for an ASF file; the message when the
// file's name was to give the layout and gives none.
std::string ApplyOptions(const TSetOptions& O, const std::string& File, TCatalogueValues& Values)
{
  SetFlag(O.Stereo, Values.Stereo);
  if (!O.Stereo && TicksStereo(O)) {
    Values.Stereo = true;
  }
  SetFlag(O.HalfWidth, Values.HalfWidth);
  SetFlag(O.HalfHeight, Values.HalfHeight);
  if (O.Layout) {
    Values.LayoutIndex = LayoutIndexOfKey(Utf8ToUtf16(*O.Layout));
  }
  if (const std::optional<std::string>& Title = O.Text(TAttribute::Title)) {
    Values.Title = Utf8ToUtf16(*Title);
  }
  if (O.LayoutFromName) {
    TNameLayout Layout;
    if (LayoutFromName(File, Layout) != TNameLayoutResult::Found) {
      return "no single stereoscopic layout tag in the name (such as SBS, HSBS, OU, HOU); left as it was";
    }
    Values.SetStereoLayout(Layout.LayoutIndex, Layout.HalfWidth, Layout.HalfHeight);
  }
  return {};
}

std::vector<TValueChange> Differences(const TMatroskaOpened& Opened, const TCatalogueValues& After)
{
  const auto Old = MatroskaLines(Opened, Opened.Values);
  const auto New = MatroskaLines(Opened, After);
  std::vector<TValueChange> Changes;
  for (std::size_t At = 0; At < Old.size() && At < New.size(); ++At) {
    if (Old[At].second != New[At].second) {
      Changes.push_back({Old[At].first, Old[At].second, New[At].second});
    }
  }
  return Changes;
}

struct TMatroskaRun {
  const TSetOptions& Options;
  const std::string& File;
  std::size_t Position;
  TSetReport& Report;
  std::ostream& Out;
  std::ostream& Err;
  TMatroskaSetBatch* Batch;
};

bool Refuse(const TMatroskaRun& Run, const std::string& Code, const std::string& Message)
{
  Run.Err << FileLine(Run.File, Message);
  Run.Report.Failed(Run.Position, Code, Message);
  return false;
}

bool TellDryRun(const TMatroskaRun& Run, const std::vector<TValueChange>& Changes)
{
  if (Run.Options.Json) {
    Run.Report.WouldSave(Run.Position, Changes);
    return true;
  }
  Run.Out << Run.File << ": " << (Changes.empty() ? "no change" : "would be saved") << '\n';
  for (const TValueChange& Change : Changes) {
    Run.Out << "  " << Change.Label << ": " << (Change.Old.empty() ? "(empty)" : Change.Old) << " -> "
            << (Change.New.empty() ? "(empty)" : Change.New) << '\n';
  }
  return true;
}

// Without a batch the file is saved at once, alone.
bool Save(const TMatroskaRun& Run, TMatroskaOpened& Opened, const TCatalogueValues& Values)
{
  Matroska::TMatroskaChange Change;
  if (std::string Refusal = MatroskaChange(Opened, Values, Change); !Refusal.empty()) {
    return Refuse(Run, RefusedCode, KindOf(Opened) + " file " + Refusal + "; left as it was");
  }
  std::string Way;
  try {
    const Matroska::TSavePlan Plan = Matroska::PlanSave(Opened.Parsed, Change);
    if (Run.Options.DryRun) {
      return TellDryRun(Run, Differences(Opened, Values));
    }
    if (Run.Batch != nullptr) {
      Run.Batch->Add(Run.Position, Run.File, Opened, Plan);
      return true;
    }
    Fs::IFileSystem& Fs = Fs::PosixFileSystem();
    const int Fd = Opened.File->Descriptor();
    const Fs::TJournal Journal = Matroska::PrepareSave(Fs, Fd, Opened.Names, Opened.Parsed.FileSize, Plan);
    Matroska::SaveJournaled(Fs, Fd, Opened.Names, Journal);
    Way = Matroska::ChangesNothing(Journal) ? "" : MatroskaSaveWay(Plan);
  } catch (const Matroska::EMatroskaError& Error) {
    return Refuse(Run, RefusedCode, KindOf(Opened) + " file " + Error.what() + "; left as it was");
  }
  Run.Report.Saved(Run.Position, Way, {});
  if (Run.Options.Verbosity == TVerbosity::Verbose) {
    Run.Err << FileLine(Run.File,
                        Way.empty() ? "saved: the file held these values already" : "saved: " + Way);
  }
  return true;
}

} // namespace

std::vector<std::string> OptionsMatroskaLacks(const TSetOptions& O)
{
  std::vector<std::string> Lacking;
  for (const TCatalogueEntry& Row : Catalogue) {
    if (IsValueOption(Row) && O.Text(Row.Attribute) &&
        std::find(MatroskaAttributes.begin(), MatroskaAttributes.end(), Row.Attribute) ==
            MatroskaAttributes.end()) {
      Lacking.push_back(OptionName(Row));
    }
  }
  if (O.Preview != TPictureChange::Keep || O.Video.PreviewFromVideo) {
    Lacking.emplace_back(O.Preview == TPictureChange::Remove ? "--no-preview" : "--preview");
  }
  if (O.Poster != TPictureChange::Keep || O.Video.PosterFromVideo) {
    Lacking.emplace_back(O.Poster == TPictureChange::Remove ? "--no-poster" : "--poster");
  }
  if (O.ValuesFile) {
    Lacking.emplace_back("--values");
  }
  return Lacking;
}

bool SetMatroska(const TSetOptions& Options, const std::string& File, THeldFile Held, std::size_t Position,
                 TSetReport& Report, std::ostream& Out, std::ostream& Err, TMatroskaSetBatch* Batch)
{
  const TMatroskaRun Run{Options, File, Position, Report, Out, Err, Batch};
  Report.Begin(Position, File);
  TMatroskaOpened Opened;
  Opened.File = std::move(Held);
  const std::string Message = OpenMatroska(File, !Options.DryRun, true, Opened);
  if (!Opened.SideFile.empty() && Options.Verbosity != TVerbosity::Quiet) {
    Err << FileLine(File, Opened.SideFile);
    Report.SideFile(Position, Opened.SideFileReport, Opened.SideFile);
  }
  if (!Message.empty()) {
    return Refuse(Run, UnreadableCode, Message);
  }
  TCatalogueValues Values = Opened.Values;
  if (std::string Refusal = ApplyOptions(Options, File, Values); !Refusal.empty()) {
    return Refuse(Run, RefusedCode, Refusal);
  }
  // The frames come from the file opened and locked, never its name again.
  if (Options.Video.DetectLayout) {
    std::ostringstream Said;
    if (!Options.VideoWork->ApplyFileVideoChanges(Options.Video, File, Opened.File->Descriptor(), Values,
                                                  Options.Json ? Err : Out, Said)) {
      Err << Said.str();
      Report.Failed(Position, VideoCode, "the stereo layout could not be detected; left as it was");
      return false;
    }
    Err << Said.str();
  }
  return Save(Run, Opened, Values);
}

} // namespace Quillmark
