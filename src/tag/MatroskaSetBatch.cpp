#include "tag/MatroskaSetBatch.h"

#include "tag/MatroskaCatalogue.h"
#include "tag/ToolLines.h"

#include <ostream>
#include <sys/stat.h>

namespace Quillmark {

namespace {

// While a group waits its journals are held in memory, old bytes and new:
// up to 32 MiB for each file whose Info or Tracks are large or move.
constexpr std::uint64_t MaxGroupJournalBytes = 64ULL << 20;

} // namespace

std::string MatroskaSaveWay(const Matroska::TSavePlan& Plan)
{
  return Plan.EndFrom ? "moved to the end of the file" : "in place";
}

TMatroskaSetBatch::TMatroskaSetBatch(std::size_t GroupSize, TSetReport& Report, bool Verbose,
                                     std::ostream& Err)
    : FGroupSize(GroupSize), FReport(Report), FVerbose(Verbose), FErr(Err)
{
}

bool TMatroskaSetBatch::MakeRoom(const std::string& File)
{
  if (FPending.empty()) {
    return true;
  }
  if (FPending.size() >= FGroupSize || FBatch->JournalBytes() >= MaxGroupJournalBytes) {
    return Save();
  }
  struct stat Info {};
  if (stat(File.c_str(), &Info) != 0) {
    return true;
  }
  for (const TPending& Pending : FPending) {
    if (Pending.Device == Info.st_dev && Pending.Inode == Info.st_ino) {
      return Save();
    }
  }
  return true;
}

void TMatroskaSetBatch::Add(std::size_t Position, const std::string& File, TMatroskaOpened& Opened,
                            const Matroska::TSavePlan& Plan)
{
  if (!FBatch) {
    FBatch = std::make_unique<Matroska::TMatroskaBatch>(Fs::PosixFileSystem());
  }
  const int Fd = Opened.File->Descriptor();
  FBatch->Add(Fd, Opened.Names, Opened.Parsed.FileSize, Plan);
  struct stat Info {};
  Fs::PosixFileSystem().FStat(Fd, Info);
  const std::string Way = FBatch->Changes(FBatch->Size() - 1) ? MatroskaSaveWay(Plan) : "";
  FPending.push_back({Position, File, Opened.Parsed.IsWebm() ? "WebM" : "Matroska", std::move(Opened.File),
                      Way, Info.st_dev, Info.st_ino});
}

void TMatroskaSetBatch::Tell(const TPending& Pending, const std::string& Failure)
{
  if (!Failure.empty()) {
    const std::string Message = Pending.Kind + " file " + Failure + "; left as it was";
    FErr << FileLine(Pending.File, Message);
    FReport.Failed(Pending.Position, RefusedCode, Message);
    return;
  }
  FReport.Saved(Pending.Position, Pending.Way, {});
  if (FVerbose) {
    FErr << FileLine(Pending.File, Pending.Way.empty() ? "saved: the file held these values already"
                                                       : "saved: " + Pending.Way);
  }
}

bool TMatroskaSetBatch::Save()
{
  if (FPending.empty()) {
    return true;
  }
  FBatch->Commit();
  bool Saved = true;
  for (std::size_t At = 0; At < FPending.size(); ++At) {
    const std::string& Failure = FBatch->Failure(At);
    Saved = Saved && Failure.empty();
    Tell(FPending[At], Failure);
  }
  FPending.clear();
  FBatch.reset();
  return Saved;
}

} // namespace Quillmark
