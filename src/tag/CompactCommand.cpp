#include "tag/CompactCommand.h"

#include "asf/HeaderCompact.h"
#include "catalogue/SideFileMessage.h"
#include "metadata/TextConversion.h"
#include "tag/CatalogueFile.h"
#include "tag/FileArguments.h"
#include "tag/JsonFileNames.h"

#include <ostream>

namespace Quillmark {

namespace {

struct TCompacted {
  std::uint64_t Freed = 0;
  std::string Way; // how the header was (or would be) written; empty when it was not
};

// Opens the file (a dry run shares it with other readers and never acts on
// a side file) and compacts it or plans to. Empty on success; otherwise the
// cause, and Code says which.
std::string CompactFile(const std::string& File, bool Listed, const TCompactOptions& Options,
                        TCompacted& Done, std::string& Code, std::ostream& Err)
{
  TRef<IWMMetadataEditor> Created;
  if (WMCreateEditor(Created) != S_OK) {
    Code = "other";
    return "no editor could be made";
  }
  const TRef<IWMMetadataEditor2> Editor = QueryInterface<IWMMetadataEditor2>(Created);
  const DWORD Rights = Options.DryRun ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  // A file found in a folder is that entry itself, never where a link put there leads.
  if (auto Holding = std::dynamic_pointer_cast<IQuillmarkOpenFile>(Editor)) {
    Holding->SetFollowLinks(!Listed);
  }
  HRESULT Result = Editor->OpenEx(PathToUtf16(File).c_str(), Rights, Options.DryRun ? FILE_SHARE_READ : 0);
  const TSideFileReport Side = SideFileReportOf(Editor);
  if (Side.State != TSideFileState::None && Options.Verbosity != TVerbosity::Quiet) {
    Err << FileLine(File, SideFileLine(Side, File));
  }
  const auto* Ours = dynamic_cast<const Asf::TMetadataEditor*>(Editor.get());
  Asf::TCompactPlan Plan;
  if (Result == S_OK && Ours != nullptr) {
    Result = Options.DryRun ? Asf::PlanCompact(*Ours, Plan) : Asf::CompactHeader(*Ours, Plan);
  }
  const TFailureReason Reason = Result != S_OK ? LastFailureOf(Editor, Result) : TFailureReason{};
  Editor->Close();
  if (Result != S_OK) {
    const TFailureReason Known =
        Reason.Cause != TFailureCause::None ? Reason : FailureReasonOfResult(Result, {});
    Code = CauseCode(Known, "other");
    return Options.DryRun ? CauseText(Known, "could not be read") : NotSavedText(Known);
  }
  Done.Freed = Plan.Freed();
  Done.Way = Done.Freed > 0 ? Asf::SaveWayName(Plan.Way()) : "";
  return {};
}

std::string Outcome(const TCompactOptions& Options, const TCompacted& Done)
{
  if (Done.Freed == 0) {
    return "nothing to give back";
  }
  std::string Text =
      (Options.DryRun ? "would give back " : "gave back ") + std::to_string(Done.Freed) + " bytes";
  // A dry run always says which way, since that is what it is asked.
  if ((Options.DryRun || Options.Verbosity == TVerbosity::Verbose) && !Done.Way.empty()) {
    Text += " (" + Done.Way + ")";
  }
  return Text;
}

} // namespace

int RunCompact(const TCompactOptions& Options, std::ostream& Out, std::ostream& Err)
{
  std::vector<std::string> Paths;
  std::vector<bool> Listed;
  int Status = ExpandFileArguments(Options.Files, Options.Recursive, Paths, Err, &Listed) ? 0 : 1;
  nlohmann::ordered_json Files = nlohmann::ordered_json::array();
  TJsonFileNames Names;
  for (std::size_t Index = 0; Index < Paths.size(); ++Index) {
    const std::string& File = Paths[Index];
    TCompacted Done;
    std::string Code;
    const std::string Failure = CompactFile(File, Listed[Index], Options, Done, Code, Err);
    nlohmann::ordered_json Json;
    Json["file"] = Names.Member(File);
    if (!Failure.empty()) {
      Err << FileLine(File, Failure);
      Json["error"] = ErrorJson(Code, Failure);
      Status = 1;
    } else {
      Json[Options.DryRun ? "wouldFree" : "freed"] = Done.Freed;
      Json["way"] = Done.Way.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(Done.Way);
      if (!Options.Json && (Options.Verbosity != TVerbosity::Quiet || Options.DryRun)) {
        Out << File << ": " << Outcome(Options, Done) << '\n';
      }
    }
    Files.push_back(std::move(Json));
  }
  if (Options.Json) {
    Out << Names.Finish(Files.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)) << '\n';
  }
  return Status;
}

} // namespace Quillmark
