#include "tag/SetBatch.h"

#include <ostream>
#include <sys/stat.h>

namespace Quillmark {

namespace {

// Files saved together: few enough that their descriptors and headers stay
// small, many enough that a hundred saves need two rounds of syncs.
constexpr std::size_t GroupSize = 64;

void SetProgress(const TRef<IWMMetadataEditor2>& Editor, const TProgressCallback& Progress)
{
  if (auto Reporting = std::dynamic_pointer_cast<IQuillmarkSaveProgress>(Editor)) {
    Reporting->SetProgressCallback(Progress);
  }
}

} // namespace

TSetBatch::TSetBatch(std::size_t Total, bool ShowProgress, std::ostream& Err)
    : FTotal(Total), FShowProgress(ShowProgress), FErr(Err)
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
  if (FPending.size() >= GroupSize || (Known && Holds(Info.st_dev, Info.st_ino))) {
    return Save();
  }
  return true;
}

void TSetBatch::Add(std::size_t Position, const std::string& File, TOpenedCatalogue Opened)
{
  // The editor holds the file locked: it is the one that was opened.
  struct stat Info {};
  const bool Known = stat(File.c_str(), &Info) == 0;
  FPending.push_back({Position, File, std::move(Opened), Known ? Info.st_dev : 0, Known ? Info.st_ino : 0});
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
      ShowLine(std::to_string(FPending[At].Position + 1) + " of " + std::to_string(FTotal) + "  " +
               FPending[At].File);
    }
  });
  bool Saved = true;
  for (std::size_t At = 0; At < FPending.size(); ++At) {
    if (Results[At] != S_OK) {
      BreakLine();
      FErr << FPending[At].File << ": " << SaveFailureMessage(FPending[At].File) << '\n';
      Saved = false;
    }
    // A failed save leaves the changes in the editor: they are discarded.
    FPending[At].Opened.Editor->Close();
  }
  FPending.clear();
  return Saved;
}

} // namespace Quillmark
