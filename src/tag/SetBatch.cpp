#include "tag/SetBatch.h"
#include "tag/BatchPace.h"

#include "asf/MetadataEditorImpl.h"
#include "tag/ToolLines.h"

#include <algorithm>
#include <ostream>
#include <sys/resource.h>
#include <sys/stat.h>

namespace Quillmark {

namespace {

// Files saved together: every sync waits for whatever else the file system
// has to write, so the fewer the better; but each file of a group stays open
// (and its header in memory) until the group is saved, with its folder's
// descriptor when the folder differs from the last file's; so a group takes
// at most a quarter of the descriptors the process may open. On a machine
// shared with other writers a syncfs waits for their writes too, tens of
// milliseconds each: so the soft limit on descriptors (1024 by default) is
// raised, within the hard one, to what the largest group needs.
std::size_t GroupSize()
{
  constexpr std::size_t Largest = 1024;
  constexpr std::size_t Smallest = 8;
  rlimit Limit{};
  if (getrlimit(RLIMIT_NOFILE, &Limit) != 0 || Limit.rlim_cur == RLIM_INFINITY) {
    return Largest;
  }
  const rlim_t Wanted = 4 * Largest + 64;
  if (Limit.rlim_cur < Wanted) {
    rlimit Raised = Limit;
    Raised.rlim_cur = Limit.rlim_max == RLIM_INFINITY ? Wanted : std::min(Wanted, Limit.rlim_max);
    if (Raised.rlim_cur > Limit.rlim_cur && setrlimit(RLIMIT_NOFILE, &Raised) == 0) {
      Limit = Raised;
    }
  }
  const auto Quarter = static_cast<std::size_t>(Limit.rlim_cur / 4);
  return std::max(Smallest, std::min(Largest, Quarter > 16 ? Quarter - 16 : 0));
}

void SetProgress(const TRef<IWMMetadataEditor2>& Editor, const TProgressCallback& Progress)
{
  if (auto Reporting = std::dynamic_pointer_cast<IQuillmarkSaveProgress>(Editor)) {
    Reporting->SetProgressCallback(Progress);
  }
}

// How the editor wrote its file; empty when nothing needed writing.
std::string WayOf(const TRef<IWMMetadataEditor2>& Editor)
{
  const auto* Ours = dynamic_cast<const Asf::TMetadataEditor*>(Editor.get());
  const std::optional<Asf::TSaveWay> Way = Ours != nullptr ? Ours->LastSaveWay() : std::nullopt;
  return Way ? Asf::SaveWayName(*Way) : std::string();
}

// "saved: in place; kept in step: title, comment removed"
std::string SavedText(const std::string& Way, const std::vector<std::string>& Kept)
{
  std::string Text = Way.empty() ? "saved: the header held these values already" : "saved: " + Way;
  for (std::size_t At = 0; At < Kept.size(); ++At) {
    Text += (At == 0 ? "; kept in step: " : ", ") + Kept[At];
  }
  return Text;
}

} // namespace

TSetBatch::TSetBatch(std::size_t Total, bool ShowProgress, std::ostream& Err, std::uint64_t PictureBudget)
    : FTotal(Total), FShowProgress(ShowProgress), FErr(Err), FGroupSize(GroupSize()),
      FPictureBudget(PictureBudget)
{
}

bool TSetBatch::Holds(dev_t Device, ino_t Inode) const
{
  for (const TPending& Pending : FPending) {
    if (Pending.Device == Device && Pending.Inode == Inode) {
      return true;
    }
  }
  return false;
}

bool TSetBatch::MakeRoom(const std::string& File)
{
  struct stat Info {};
  const bool Known = stat(File.c_str(), &Info) == 0;
  FNext = {Known ? Info.st_dev : 0, Known ? Info.st_ino : 0};
  if (FPending.size() >= FGroupSize || (!FPending.empty() && FPictureBytes >= FPictureBudget) ||
      (Known && Holds(Info.st_dev, Info.st_ino))) {
    return Save();
  }
  return true;
}

void TSetBatch::Add(std::size_t Position, const std::string& File, TOpenedCatalogue Opened)
{
  // The identity MakeRoom saw only decides when the group must be saved
  // before the same file is opened again.
  for (const auto* Picture : {&Opened.Values.Preview, &Opened.Values.Poster}) {
    FPictureBytes += *Picture ? (*Picture)->Bytes().size() : 0;
  }
  Opened.Values = {};
  FPending.push_back({Position, File, std::move(Opened), FNext.first, FNext.second});
}

void TSetBatch::ShowLine(const std::string& Text)
{
  // Back to the line's start, the text, and the rest of the line cleared.
  FErr << '\r' << Text << "\x1b[K" << std::flush;
  FLineOpen = true;
}

void TSetBatch::BreakLine()
{
  if (FLineOpen) {
    FErr << '\n';
    FLineOpen = false;
  }
}

bool TSetBatch::Save()
{
  std::vector<TRef<IWMMetadataEditor>> Editors;
  for (TPending& Pending : FPending) {
    Editors.push_back(Pending.Opened.Editor);
    if (FShowProgress) {
      const std::string Counter =
          FTotal > 1 ? std::to_string(Pending.Position + 1) + " of " + std::to_string(FTotal) + "  " : "";
      const std::string Name = Counter + Pending.File;
      SetProgress(Pending.Opened.Editor, [this, Name](QWORD Done, QWORD Total) {
        ShowLine(Name + ": saving " + std::to_string(Total == 0 ? 100 : Done * 100 / Total) + "%");
      });
    }
  }
  std::vector<HRESULT> Results;
  FlushEditors(Editors, Results, [this](std::size_t At) {
    if (FShowProgress && FTotal > 1) {
      const std::size_t Position = FPending[At].Position;
      ShowLine(std::to_string(Position + 1) + " of " + std::to_string(FTotal) +
               PaceText(Position, FTotal, std::chrono::steady_clock::now() - FStarted) + "  " +
               FPending[At].File);
    }
  });
  bool Saved = true;
  for (std::size_t At = 0; At < FPending.size(); ++At) {
    const TPending& Pending = FPending[At];
    if (Results[At] != S_OK) {
      const TFailureReason Reason = LastFailureOf(Pending.Opened.Editor, Results[At]);
      const std::string Message = NotSavedText(Reason);
      BreakLine();
      FErr << FileLine(Pending.File, Message);
      if (FReport != nullptr) {
        FReport->Failed(Pending.Position, CauseCode(Reason, "other"), Message);
      }
      Saved = false;
      FPending[At].Opened.Editor->Close();
      continue;
    }
    const std::string Way = WayOf(Pending.Opened.Editor);
    if (FVerbose) {
      BreakLine();
      FErr << FileLine(Pending.File, SavedText(Way, Pending.Opened.KeptInStep));
    }
    if (FReport != nullptr) {
      FReport->Saved(Pending.Position, Way, Pending.Opened.KeptInStep);
    }
    // A failed save leaves the changes in the editor: they are discarded.
    FPending[At].Opened.Editor->Close();
  }
  FPending.clear();
  FPictureBytes = 0;
  return Saved;
}

} // namespace Quillmark
