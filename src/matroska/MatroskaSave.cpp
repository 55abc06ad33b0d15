#include "matroska/MatroskaSave.h"

#include "fs/FileIo.h"
#include "fs/Journal.h"
#include "fs/JournalPlace.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace Quillmark::Matroska {

namespace {

constexpr std::size_t SectorSize = 512;

[[noreturn]] void Fail(const char* What, int Error)
{
  throw EMatroskaError(std::string(What) + ": " + std::strerror(Error));
}

enum class TVerdict { NotThisFile, RollBack, Completed };

TVerdict Check(Fs::IFileSystem& Fs, int Fd, const Fs::TJournal& Journal, Fs::TJournalWhere Where)
{
  struct stat Info {};
  const std::vector<std::uint8_t>& Old = Journal.OldHeader;
  const std::vector<std::uint8_t>& New = Journal.NewBytes;
  if (Fs.FStat(Fd, Info) != 0 || Journal.Kind != Fs::TJournalKind::Overwrite || Old.size() != New.size() ||
      !HasEbmlMagic(Old.data(), Old.size()) || !Fs::JournalBelongsTo(Journal, Info, Where) ||
      Old.size() > static_cast<std::uint64_t>(Info.st_size)) {
    return TVerdict::NotThisFile;
  }
  std::vector<std::uint8_t> Now(Old.size());
  if (Fs::ReadExact(Fs, Fd, Now.data(), Now.size(), 0) != 0) {
    return TVerdict::NotThisFile;
  }
  bool AllNew = true;
  for (std::size_t At = 0; At < Now.size(); At += SectorSize) {
    const std::size_t Count = std::min(SectorSize, Now.size() - At);
    const bool IsNew = std::memcmp(Now.data() + At, New.data() + At, Count) == 0;
    if (!IsNew && std::memcmp(Now.data() + At, Old.data() + At, Count) != 0) {
      return TVerdict::NotThisFile;
    }
    AllNew = AllNew && IsNew;
  }
  return AllNew ? TVerdict::Completed : TVerdict::RollBack;
}

struct TRecovery {
  Fs::IFileSystem& Fs;
  int Fd;
  bool MayWrite;
  struct stat Info;
  TSideFileReport& Report;
};

void Tell(TRecovery& Context, TSideFileState State, const Fs::TSideFile& Place, TSideFileState Editing)
{
  Context.Report = {State, Place.Path(), Editing};
}

void Apply(TRecovery& Context, const Fs::TJournal& Journal, const Fs::TSideFile& Place,
           Fs::TJournalWhere Where)
{
  const TVerdict Verdict = Check(Context.Fs, Context.Fd, Journal, Where);
  if (Verdict == TVerdict::NotThisFile) {
    Tell(Context, TSideFileState::Found, Place, TSideFileState::Found);
    return;
  }
  const bool Completed = Verdict == TVerdict::Completed;
  const TSideFileState Done = Completed ? TSideFileState::Completed : TSideFileState::RolledBack;
  if (!Context.MayWrite) {
    Tell(Context, TSideFileState::Pending, Place, Done);
    return;
  }
  int Error = Completed ? Context.Fs.FDataSync(Context.Fd) : Fs::RollBack(Context.Fs, Context.Fd, Journal);
  if (Error == 0) {
    Error = Fs::RemoveJournal(Context.Fs, Place);
  }
  if (Error != 0) {
    Fail("an interrupted save could not be finished", Error);
  }
  Tell(Context, Done, Place, Done);
}

void RecoverAt(TRecovery& Context, Fs::TSideFile& Place, Fs::TJournalWhere Where)
{
  Fs::TJournalFile Found = Fs::TJournalFile::Absent;
  Fs::TJournal Journal;
  if (int Error = Fs::ReadJournal(Context.Fs, Place, Context.Info, Found, Journal); Error != 0) {
    Fail("its journal cannot be read", Error);
  }
  switch (Found) {
  case Fs::TJournalFile::Absent:
    return;
  case Fs::TJournalFile::Untrusted:
    Tell(Context, TSideFileState::Found, Place, TSideFileState::Found);
    return;
  case Fs::TJournalFile::Incomplete:
    // Cut short while being written: the overwrite it guards never began.
    if (!Context.MayWrite) {
      Tell(Context, TSideFileState::Found, Place, TSideFileState::Removed);
    } else if (Fs::RemoveJournal(Context.Fs, Place) != 0) {
      Tell(Context, TSideFileState::Found, Place, TSideFileState::Found);
    } else {
      Tell(Context, TSideFileState::Removed, Place, TSideFileState::Removed);
    }
    return;
  case Fs::TJournalFile::Read:
    Apply(Context, Journal, Place, Where);
    return;
  }
}

// The journal of the patches: the file's bytes from its start to the last
// one changed, before and after.
Fs::TJournal MakeJournal(Fs::IFileSystem& Fs, int Fd, std::uint64_t OldSize,
                         const std::vector<TPatch>& Patches)
{
  std::uint64_t End = 0;
  for (const TPatch& Patch : Patches) {
    End = std::max(End, Patch.Offset + Patch.Bytes.size());
  }
  Need(End <= OldSize, "changed while it was being saved");
  struct stat Info {};
  if (int Error = Fs.FStat(Fd, Info); Error != 0) {
    Fail("cannot be looked at", Error);
  }
  Need(static_cast<std::uint64_t>(Info.st_size) == OldSize, "changed while it was being saved");
  Fs::TJournal Journal;
  Journal.Device = static_cast<std::uint64_t>(Info.st_dev);
  Journal.Inode = static_cast<std::uint64_t>(Info.st_ino);
  Journal.OriginalSize = OldSize;
  Journal.OldHeader.resize(static_cast<std::size_t>(End));
  if (int Error = Fs::ReadExact(Fs, Fd, Journal.OldHeader.data(), Journal.OldHeader.size(), 0); Error != 0) {
    Fail("cannot be read", Error);
  }
  Journal.NewBytes = Journal.OldHeader;
  for (const TPatch& Patch : Patches) {
    std::copy(Patch.Bytes.begin(), Patch.Bytes.end(),
              Journal.NewBytes.begin() + static_cast<long>(Patch.Offset));
  }
  return Journal;
}

// The save failed after its journal was written: the old bytes go back,
// and only then the journal.
[[noreturn]] void Abandon(Fs::IFileSystem& Fs, int Fd, const Fs::TSaveNames& Names,
                          const Fs::TJournal& Journal, const char* What, int Error)
{
  if (Fs::RollBack(Fs, Fd, Journal) == 0) {
    Fs::RemoveJournal(Fs, Names.Journal);
  }
  Fail(What, Error);
}

// One write from the first changed byte to the last: two writes into one
// sector could leave it neither old nor new, which no check could tell
// from another program's bytes.
int WritePatches(Fs::IFileSystem& Fs, int Fd, const std::vector<TPatch>& Patches, const Fs::TJournal& Journal)
{
  std::uint64_t First = Journal.NewBytes.size();
  for (const TPatch& Patch : Patches) {
    First = std::min(First, Patch.Offset);
  }
  const std::size_t Count = Journal.NewBytes.size() - static_cast<std::size_t>(First);
  if (int Error = Fs::WriteExact(Fs, Fd, Journal.NewBytes.data() + First, Count, First); Error != 0) {
    return Error;
  }
  // Read back: a disk that took the bytes wrongly is found before the journal goes.
  std::vector<std::uint8_t> Written(Count);
  if (int Error = Fs::ReadExact(Fs, Fd, Written.data(), Written.size(), First); Error != 0) {
    return Error;
  }
  return std::equal(Written.begin(), Written.end(), Journal.NewBytes.begin() + static_cast<long>(First))
             ? 0
             : EIO;
}

} // namespace

void RecoverMatroska(Fs::IFileSystem& Fs, int Fd, const std::string& Path, bool MayWrite,
                     Fs::TSaveNames& Names, TSideFileReport& Report)
{
  Report = {};
  Names = {};
  TRecovery Context{Fs, Fd, MayWrite, {}, Report};
  if (int Error = Fs.FStat(Fd, Context.Info); Error != 0) {
    Fail("cannot be looked at", Error);
  }
  if (int Error = Fs::ResolveOpenSaveNames(Fs, Fd, Context.Info, Path, Names); Error != 0) {
    if (Error == ENOENT) {
      return;
    }
    Fail("its folder cannot be opened", Error);
  }
  Fs::AddPrivateJournal(Fs, Fd, Context.Info, Names);
  RecoverAt(Context, Names.Journal, Fs::TJournalWhere::Beside);
  const TSideFileState State = Report.State;
  Fs::TSideFile& Private = Names.PrivateJournal;
  if (State != TSideFileState::Found && State != TSideFileState::Pending && !Private.Name.empty() &&
      Fs::OpenPrivateJournalFolder(Fs, false, Private.Folder) == 0) {
    RecoverAt(Context, Private, Fs::TJournalWhere::Private);
  }
}

void SaveInPlace(Fs::IFileSystem& Fs, int Fd, Fs::TSaveNames& Names, std::uint64_t OldSize,
                 const std::vector<TPatch>& Patches)
{
  Need(Names.Folder != nullptr, "has no folder the save can act in");
  Need(!Fs::SideFileExists(Fs, Names.Journal) &&
           (Names.PrivateJournal.Name.empty() || !Names.PrivateJournal.Folder ||
            !Fs::SideFileExists(Fs, Names.PrivateJournal)),
       "has a side file of an interrupted save beside it; it is not saved while that is there");
  const Fs::TJournal Journal = MakeJournal(Fs, Fd, OldSize, Patches);
  if (Journal.NewBytes == Journal.OldHeader) {
    return; // the file holds these values already
  }
  if (int Error = Fs::WriteJournal(Fs, Names, Journal); Error != 0) {
    Fail("its journal cannot be written", Error);
  }
  if (int Error = WritePatches(Fs, Fd, Patches, Journal); Error != 0) {
    Abandon(Fs, Fd, Names, Journal, "cannot be written", Error);
  }
  if (int Error = Fs.FDataSync(Fd); Error != 0) {
    Abandon(Fs, Fd, Names, Journal, "cannot be written", Error);
  }
  // Synced, the overwrite has taken effect: a journal outliving a crash
  // from here finds the new bytes and is dropped.
  if (int Error = Fs::RemoveJournal(Fs, Names.Journal, false); Error != 0) {
    Abandon(Fs, Fd, Names, Journal, "its journal cannot be removed", Error);
  }
}

} // namespace Quillmark::Matroska
