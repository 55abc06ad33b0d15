#include "tag/SetBatch.h"
#include "tag/BatchPace.h"

#include "asf/MetadataEditorImpl.h"
#include "tag/ToolLines.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <ostream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

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

// The group a second thread saves while the next one is opened. Its
// progress is only noted there; the first thread, which alone writes to the
// terminal and the report, shows it.
struct TSetBatch::TSaving {
  static constexpr std::size_t NoFile = static_cast<std::size_t>(-1);
  std::vector<TPending> Group;
  std::unique_ptr<TEditorFlush> Flush;
  std::future<void> Finished;
  std::thread Worker;
  std::atomic<std::size_t> At{NoFile};   // the entry whose header is written
  std::atomic<std::uint64_t> Percent{0}; // entry << 8 | 1 + percent of its save
  std::size_t ShownAt = NoFile;
  std::uint64_t ShownPercent = 0;
};

TSetBatch::TSetBatch(std::size_t Total, bool ShowProgress, std::ostream& Err, std::uint64_t PictureBudget,
                     std::size_t GroupFiles)
    : FTotal(Total), FShowProgress(ShowProgress), FErr(Err),
      FGroupSize(GroupFiles > 0 ? GroupFiles : GroupSize()), FPictureBudget(PictureBudget)
{
}

// Left early (an exception), the second thread is let finish: its files
// are saved or not as it went, and only the telling is lost.
TSetBatch::~TSetBatch()
{
  if (FSaving && FSaving->Worker.joinable()) {
    FSaving->Worker.join();
  }
}

bool TSetBatch::Holds(const std::vector<TPending>& Group, dev_t Device, ino_t Inode)
{
  for (const TPending& Pending : Group) {
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
  if (FSaving && FShowProgress) {
    ShowSecondThread(*FSaving);
  }
  // A group cut short by its pictures or by this very file is saved here:
  // its memory is let go, and its files are free, before the next opens.
  if ((!FPending.empty() && FPictureBytes >= FPictureBudget) ||
      (Known && Holds(FPending, Info.st_dev, Info.st_ino))) {
    return Save();
  }
  bool Saved = true;
  if (FPending.size() >= FGroupSize) {
    Saved = StartSaving();
  }
  // The second thread holds its files locked until their group is saved.
  if (FSaving && Known && Holds(FSaving->Group, Info.st_dev, Info.st_ino)) {
    Saved = FinishSaving() && Saved;
  }
  return Saved;
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

// "n of N, R files/s, M:SS left  FILE" as a header is about to be written.
void TSetBatch::ShowSaving(std::size_t Position, const std::string& File)
{
  if (FShowProgress && FTotal > 1) {
    ShowLine(std::to_string(Position + 1) + " of " + std::to_string(FTotal) +
             PaceText(Position, FTotal, std::chrono::steady_clock::now() - FStarted) + "  " + File);
  }
}

void TSetBatch::ShowPercent(const std::string& Name, QWORD Done, QWORD Total)
{
  ShowLine(Name + ": saving " + std::to_string(Total == 0 ? 100 : Done * 100 / Total) + "%");
}

std::string TSetBatch::ProgressName(const TPending& Pending) const
{
  const std::string Counter =
      FTotal > 1 ? std::to_string(Pending.Position + 1) + " of " + std::to_string(FTotal) + "  " : "";
  return Counter + Pending.File;
}

// What the second thread noted since it was last shown.
void TSetBatch::ShowSecondThread(TSaving& Saving)
{
  const std::size_t At = Saving.At.load(std::memory_order_relaxed);
  const std::uint64_t Percent = Saving.Percent.load(std::memory_order_relaxed);
  if (Percent != Saving.ShownPercent && (Percent >> 8) < Saving.Group.size()) {
    Saving.ShownPercent = Percent;
    ShowPercent(ProgressName(Saving.Group[Percent >> 8]), (Percent & 0xff) - 1, 100);
  } else if (At != Saving.ShownAt && At < Saving.Group.size()) {
    Saving.ShownAt = At;
    ShowSaving(Saving.Group[At].Position, Saving.Group[At].File);
  }
}

// The group waiting goes to a second thread, once the one it saved before
// is done: its syncs are waited for while this thread opens the next files.
bool TSetBatch::StartSaving()
{
  const bool Saved = FinishSaving();
  auto Saving = std::make_unique<TSaving>();
  Saving->Group = std::move(FPending);
  FPending.clear();
  FPictureBytes = 0;
  std::vector<TRef<IWMMetadataEditor>> Editors;
  for (std::size_t At = 0; At < Saving->Group.size(); ++At) {
    Editors.push_back(Saving->Group[At].Opened.Editor);
    if (FShowProgress) {
      SetProgress(Saving->Group[At].Opened.Editor, [Noted = Saving.get(), At](QWORD Done, QWORD Total) {
        const QWORD Share = Total == 0 ? 100 : Done * 100 / Total;
        Noted->Percent.store(static_cast<std::uint64_t>(At) << 8 | (Share + 1), std::memory_order_relaxed);
      });
    }
  }
  // Planned here, the group's headers are made in this thread's memory,
  // which the next group takes up again once they are let go.
  Saving->Flush = std::make_unique<TEditorFlush>(std::move(Editors));
  const auto Note = [Noted = Saving.get()](std::size_t At) {
    Noted->At.store(At, std::memory_order_relaxed);
  };
  Saving->Flush->Plan(Note);
  std::packaged_task<void()> Task([Noted = Saving.get(), Note] { Noted->Flush->Commit(Note); });
  Saving->Finished = Task.get_future();
  Saving->Worker = std::thread(std::move(Task));
  FSaving = std::move(Saving);
  return Saved;
}

// Waits for the second thread's group, showing its progress, and tells of
// each of its files; its failure to save (out of memory) is this thread's.
bool TSetBatch::FinishSaving()
{
  if (!FSaving) {
    return true;
  }
  std::unique_ptr<TSaving> Saving = std::move(FSaving);
  while (Saving->Finished.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
    if (FShowProgress) {
      ShowSecondThread(*Saving);
    }
  }
  Saving->Worker.join();
  Saving->Finished.get();
  return Tell(Saving->Group, Saving->Flush->Results());
}

bool TSetBatch::Save()
{
  const bool Saved = FinishSaving();
  return SaveNow() && Saved;
}

bool TSetBatch::SaveNow()
{
  std::vector<TRef<IWMMetadataEditor>> Editors;
  for (TPending& Pending : FPending) {
    Editors.push_back(Pending.Opened.Editor);
    if (FShowProgress) {
      SetProgress(Pending.Opened.Editor, [this, Name = ProgressName(Pending)](QWORD Done, QWORD Total) {
        ShowPercent(Name, Done, Total);
      });
    }
  }
  std::vector<HRESULT> Results;
  FlushEditors(Editors, Results,
               [this](std::size_t At) { ShowSaving(FPending[At].Position, FPending[At].File); });
  const bool Saved = Tell(FPending, Results);
  FPending.clear();
  FPictureBytes = 0;
  return Saved;
}

// Each file of a saved group: its failure or, when asked, how it was saved;
// then its editor is closed.
bool TSetBatch::Tell(const std::vector<TPending>& Group, const std::vector<HRESULT>& Results)
{
  bool Saved = true;
  for (std::size_t At = 0; At < Group.size(); ++At) {
    const TPending& Pending = Group[At];
    if (Results[At] != S_OK) {
      const TFailureReason Reason = LastFailureOf(Pending.Opened.Editor, Results[At]);
      const std::string Message = NotSavedText(Reason);
      BreakLine();
      FErr << FileLine(Pending.File, Message);
      if (FReport != nullptr) {
        FReport->Failed(Pending.Position, CauseCode(Reason, "other"), Message);
      }
      Saved = false;
      Pending.Opened.Editor->Close();
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
    Pending.Opened.Editor->Close();
  }
  return Saved;
}

} // namespace Quillmark
