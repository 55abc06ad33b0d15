#include "metadata/asf/HeaderCommit.h"
#include "metadata/asf/JournalCheck.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace Quillmark::Asf {

namespace {

struct TRecovery {
  const TRecoveryRequest& Request;
  IFileSystem& Fs;
  TSaveNames Names;
  struct stat Info {};
  TSideFileReport& Report;
};

// A copy beside the video never took effect unless it was renamed over it,
// so one left by a crash can go; but only one the saver could have made.
void RemoveLeftCopy(TRecovery& Context)
{
  TScopedFd Copy(Context.Fs);
  if (Context.Fs.Open(Context.Names.Temp, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0, Copy.Out()) !=
      0) {
    return;
  }
  struct stat Info {};
  if (Context.Fs.FStat(Copy.Get(), Info) == 0 && S_ISREG(Info.st_mode) && Info.st_nlink == 1 &&
      (Info.st_uid == Context.Info.st_uid || Info.st_uid == geteuid())) {
    Context.Fs.Unlink(Context.Names.Temp);
  }
}

// Editing: what an open for editing does, or would do, with the side file.
HRESULT Report(TRecovery& Context, TSideFileState State, const TSaveNames& Place, TSideFileState Editing)
{
  Context.Report = {State, Place.Journal, Editing};
  return S_OK;
}

HRESULT Report(TRecovery& Context, TSideFileState State, const TSaveNames& Place)
{
  return Report(Context, State, Place, State);
}

HRESULT Apply(TRecovery& Context, const TJournal& Journal, const TSaveNames& Place)
{
  TJournalVerdict Verdict = TJournalVerdict::NotThisFile;
  int Fd = Context.Request.Fd;
  if (int Error = CheckJournal(Context.Fs, Fd, Journal, Verdict); Error != 0) {
    return ErrnoResult(Error);
  }
  if (Verdict == TJournalVerdict::NotThisFile) {
    return Report(Context, TSideFileState::Found, Place);
  }
  bool Completed = Verdict == TJournalVerdict::Completed;
  if (!Context.Request.MayWrite) {
    return Report(Context, TSideFileState::Pending, Place,
                  Completed ? TSideFileState::Completed : TSideFileState::RolledBack);
  }
  int Error = Completed ? Context.Fs.FDataSync(Fd) : RollBack(Context.Fs, Fd, Journal);
  if (Error == 0) {
    Error = RemoveJournal(Context.Fs, Place);
  }
  if (Error != 0) {
    return ErrnoResult(Error);
  }
  return Report(Context, Completed ? TSideFileState::Completed : TSideFileState::RolledBack, Place);
}

HRESULT RecoverAt(TRecovery& Context, const TSaveNames& Place)
{
  TJournalFile Found = TJournalFile::Absent;
  TJournal Journal;
  if (int Error = ReadJournal(Context.Fs, Place.Journal, Context.Info, Found, Journal); Error != 0) {
    return ErrnoResult(Error);
  }
  switch (Found) {
  case TJournalFile::Absent:
    return S_OK;
  case TJournalFile::Untrusted:
    return Report(Context, TSideFileState::Found, Place);
  case TJournalFile::Incomplete:
    // Cut short while being written: the overwrite it guards never began.
    if (!Context.Request.MayWrite) {
      return Report(Context, TSideFileState::Found, Place, TSideFileState::Removed);
    }
    if (RemoveJournal(Context.Fs, Place) != 0) {
      return Report(Context, TSideFileState::Found, Place);
    }
    return Report(Context, TSideFileState::Removed, Place);
  case TJournalFile::Read:
    return Apply(Context, Journal, Place);
  }
  return S_OK;
}

// The journal's place in the saver's own folder.
TSaveNames PrivatePlace(const TSaveNames& Names)
{
  TSaveNames Private = Names;
  Private.Journal = Names.PrivateJournal;
  Private.JournalFolder = Names.PrivateJournal.substr(0, Names.PrivateJournal.rfind('/'));
  return Private;
}

// A side file not used stays, and so the file stays exactly as it is.
bool Kept(const TRecovery& Context)
{
  const TSideFileState State = Context.Report.State;
  return State == TSideFileState::Found || State == TSideFileState::Pending;
}

HRESULT Recover(TRecovery& Context)
{
  if (int Error = Context.Fs.FStat(Context.Request.Fd, Context.Info); Error != 0) {
    return ErrnoResult(Error);
  }
  if (int Error = ResolveOpenSaveNames(Context.Fs, Context.Request.Fd, Context.Info, Context.Request.Path,
                                       Context.Names);
      Error != 0) {
    return Error == ENOENT ? S_OK : ErrnoResult(Error);
  }
  if (Context.Request.Target != nullptr) {
    *Context.Request.Target = Context.Names.Target;
  }
  AddPrivateJournal(Context.Names, static_cast<std::uint64_t>(Context.Info.st_ino));
  if (Context.Request.MayWrite) {
    RemoveLeftCopy(Context);
  }
  // Beside the video first, then the saver's own folder.
  if (HRESULT Result = RecoverAt(Context, Context.Names); Result != S_OK || Kept(Context)) {
    return Result;
  }
  return Context.Names.PrivateJournal.empty() ? S_OK : RecoverAt(Context, PrivatePlace(Context.Names));
}

} // namespace

HRESULT RecoverJournal(const TRecoveryRequest& Request, TSideFileReport& Report)
{
  Report = {};
  if (Request.Target != nullptr) {
    Request.Target->clear();
  }
  try {
    TRecovery Context{Request, Request.Fs != nullptr ? *Request.Fs : PosixFileSystem(), {}, {}, Report};
    return Recover(Context);
  } catch (const std::bad_alloc&) {
    return E_OUT_OF_MEMORY;
  }
}

} // namespace Quillmark::Asf
