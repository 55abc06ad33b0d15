#include "matroska/MatroskaSave.h"

#include "matroska/MatroskaJournal.h"
#include "metadata/fs/FileIo.h"
#include "metadata/fs/JournalPlace.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace Quillmark::Matroska {

namespace {

[[noreturn]] void Fail(const char* What, int Error)
{
  throw EMatroskaError(std::string(What) + ": " + std::strerror(Error));
}

struct TRecovery {
  Asf::IFileSystem& Fs;
  int Fd;
  bool MayWrite;
  struct stat Info;
  TSideFileReport& Report;
};

void Tell(TRecovery& Context, TSideFileState State, const Asf::TSideFile& Place, TSideFileState Editing)
{
  Context.Report = {State, Place.Path(), Editing};
}

void Apply(TRecovery& Context, const Asf::TJournal& Journal, const Asf::TSideFile& Place,
           Asf::TJournalWhere Where)
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
  int Error = Completed ? Context.Fs.FDataSync(Context.Fd) : Asf::RollBack(Context.Fs, Context.Fd, Journal);
  if (Error == 0) {
    Error = Asf::RemoveJournal(Context.Fs, Place);
  }
  if (Error != 0) {
    Fail("an interrupted save could not be finished", Error);
  }
  Tell(Context, Done, Place, Done);
}

void RecoverAt(TRecovery& Context, Asf::TSideFile& Place, Asf::TJournalWhere Where)
{
  Asf::TJournalFile Found = Asf::TJournalFile::Absent;
  Asf::TJournal Journal;
  if (int Error = Asf::ReadJournal(Context.Fs, Place, Context.Info, Found, Journal); Error != 0) {
    Fail("its journal cannot be read", Error);
  }
  switch (Found) {
  case Asf::TJournalFile::Absent:
    return;
  case Asf::TJournalFile::Untrusted:
    Tell(Context, TSideFileState::Found, Place, TSideFileState::Found);
    return;
  case Asf::TJournalFile::Incomplete:
    // Cut short while being written: the overwrite it guards never began.
    if (!Context.MayWrite) {
      Tell(Context, TSideFileState::Found, Place, TSideFileState::Removed);
    } else if (Asf::RemoveJournal(Context.Fs, Place) != 0) {
      Tell(Context, TSideFileState::Found, Place, TSideFileState::Found);
    } else {
      Tell(Context, TSideFileState::Removed, Place, TSideFileState::Removed);
    }
    return;
  case Asf::TJournalFile::Read:
    Apply(Context, Journal, Place, Where);
    return;
  }
}

// The save failed after its journal was written: the old bytes go back,
// and only then the journal.
[[noreturn]] void Abandon(Asf::IFileSystem& Fs, int Fd, const Asf::TSaveNames& Names,
                          const Asf::TJournal& Journal, const char* What, int Error)
{
  if (Asf::RollBack(Fs, Fd, Journal) == 0) {
    Asf::RemoveJournal(Fs, Names.Journal);
  }
  Fail(What, Error);
}

} // namespace

void RecoverMatroska(Asf::IFileSystem& Fs, int Fd, const std::string& Path, bool MayWrite,
                     Asf::TSaveNames& Names, TSideFileReport& Report)
{
  Report = {};
  Names = {};
  TRecovery Context{Fs, Fd, MayWrite, {}, Report};
  if (int Error = Fs.FStat(Fd, Context.Info); Error != 0) {
    Fail("cannot be looked at", Error);
  }
  if (int Error = Asf::ResolveOpenSaveNames(Fs, Fd, Context.Info, Path, Names); Error != 0) {
    if (Error == ENOENT) {
      return;
    }
    Fail("its folder cannot be opened", Error);
  }
  Asf::AddPrivateJournal(Fs, Fd, Context.Info, Names);
  RecoverAt(Context, Names.Journal, Asf::TJournalWhere::Beside);
  const TSideFileState State = Report.State;
  Asf::TSideFile& Private = Names.PrivateJournal;
  if (State != TSideFileState::Found && State != TSideFileState::Pending && !Private.Name.empty() &&
      Asf::OpenPrivateJournalFolder(Fs, false, Private.Folder) == 0) {
    RecoverAt(Context, Private, Asf::TJournalWhere::Private);
  }
}

void SaveInPlace(Asf::IFileSystem& Fs, int Fd, Asf::TSaveNames& Names, std::uint64_t OldSize,
                 const TSavePlan& Plan)
{
  Need(Names.Folder != nullptr, "has no folder the save can act in");
  Need(!Asf::SideFileExists(Fs, Names.Journal) &&
           (Names.PrivateJournal.Name.empty() || !Names.PrivateJournal.Folder ||
            !Asf::SideFileExists(Fs, Names.PrivateJournal)),
       "has a side file of an interrupted save beside it; it is not saved while that is there");
  const Asf::TJournal Journal = MakeJournal(Fs, Fd, OldSize, Plan);
  if (ChangesNothing(Journal)) {
    return; // the file holds these values already
  }
  if (int Error = Asf::WriteJournal(Fs, Names, Journal); Error != 0) {
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
  if (int Error = Asf::RemoveJournal(Fs, Names.Journal, false); Error != 0) {
    Abandon(Fs, Fd, Names, Journal, "its journal cannot be removed", Error);
  }
}

} // namespace Quillmark::Matroska
