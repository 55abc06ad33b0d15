#include "matroska/MatroskaSave.h"

#include "fs/FileIo.h"
#include "fs/JournalPlace.h"
#include "matroska/MatroskaJournal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace Quillmark::Matroska {

namespace {

[[noreturn]] void Fail(const char* What, int Error)
{
  throw EMatroskaError(SaveFailure(What, Error));
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
  const TVerdict Verdict = CheckJournal(Context.Fs, Context.Fd, Journal, Where);
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

[[noreturn]] void Abandon(Fs::IFileSystem& Fs, int Fd, const Fs::TSaveNames& Names,
                          const Fs::TJournal& Journal, const char* What, int Error)
{
  UndoSave(Fs, Fd, Names, Journal);
  Fail(What, Error);
}

// The bytes of one sector need no journal file: whatever reached the disk,
// the sector holds the old bytes or the new.
void SaveOneSector(Fs::IFileSystem& Fs, int Fd, const Fs::TJournal& Journal)
{
  int Error = WriteNewBytes(Fs, Fd, Journal);
  if (Error == 0) {
    Error = Fs.FDataSync(Fd);
  }
  if (Error != 0) {
    Fs::RollBack(Fs, Fd, Journal);
    Fail("cannot be written", Error);
  }
}

} // namespace

void UndoSave(Fs::IFileSystem& Fs, int Fd, const Fs::TSaveNames& Names, const Fs::TJournal& Journal)
{
  if (Fs::RollBack(Fs, Fd, Journal) == 0) {
    Fs::RemoveJournal(Fs, Names.Journal);
  }
}

std::string SaveFailure(const char* What, int Error)
{
  return std::string(What) + ": " + std::strerror(Error);
}

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

Fs::TJournal PrepareSave(Fs::IFileSystem& Fs, int Fd, const Fs::TSaveNames& Names, std::uint64_t OldSize,
                         const TSavePlan& Plan)
{
  Need(Names.Folder != nullptr, "has no folder the save can act in");
  Need(!Fs::SideFileExists(Fs, Names.Journal) &&
           (Names.PrivateJournal.Name.empty() || !Names.PrivateJournal.Folder ||
            !Fs::SideFileExists(Fs, Names.PrivateJournal)),
       "has a side file of an interrupted save beside it; it is not saved while that is there");
  return MakeJournal(Fs, Fd, OldSize, Plan);
}

void SaveInPlace(Fs::IFileSystem& Fs, int Fd, Fs::TSaveNames& Names, std::uint64_t OldSize,
                 const TSavePlan& Plan)
{
  SaveJournaled(Fs, Fd, Names, PrepareSave(Fs, Fd, Names, OldSize, Plan));
}

void SaveJournaled(Fs::IFileSystem& Fs, int Fd, Fs::TSaveNames& Names, const Fs::TJournal& Journal)
{
  if (ChangesNothing(Journal)) {
    return; // the file holds these values already
  }
  if (WithinOneSector(Journal)) {
    SaveOneSector(Fs, Fd, Journal);
    return;
  }
  if (int Error = Fs::WriteJournal(Fs, Names, Journal); Error != 0) {
    Fail("its journal cannot be written", Error);
  }
  if (int Error = WriteNewBytes(Fs, Fd, Journal); Error != 0) {
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
