#include "asf/HeaderCommit.h"
#include "asf/JournalCheck.h"
#include "fs/JournalPlace.h"

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
  TSideFile& Temp = Context.Names.Temp;
  TScopedFd Copy(Context.Fs);
  if (Context.Fs.OpenAt(Temp.Folder->Fd(), Temp.Name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0,
                        Copy.Out()) != 0) {
    return;
  }
  struct stat Info {};
  if (Context.Fs.FStat(Copy.Get(), Info) == 0 && S_ISREG(Info.st_mode) && Info.st_nlink == 1 &&
      (Info.st_uid == Context.Info.st_uid || Info.st_uid == geteuid())) {
    Temp.Own = TFileId::Of(Info);
    RemoveSideFile(Context.Fs, Temp);
  }
  Temp.Own = {};
}

// Editing: what an open for editing does, or would do, with the side file.
HRESULT Report(TRecovery& Context, TSideFileState State, const TSideFile& Place, TSideFileState Editing)
{
  Context.Report = {State, Place.Path(), Editing};
  return S_OK;
}

HRESULT Report(TRecovery& Context, TSideFileState State, const TSideFile& Place)
{
  return Report(Context, State, Place, State);
}

HRESULT Apply(TRecovery& Context, const TJournal& Journal, const TSideFile& Place, TJournalWhere Where)
{
  TJournalVerdict Verdict = TJournalVerdict::NotThisFile;
  int Fd = Context.Request.Fd;
  if (int Error = CheckJournal(Context.Fs, Fd, Journal, Where, Verdict); Error != 0) {
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

HRESULT RecoverAt(TRecovery& Context, TSideFile& Place, TJournalWhere Where)
{
  TJournalFile Found = TJournalFile::Absent;
  TJournal Journal;
  if (int Error = ReadJournal(Context.Fs, Place, Context.Info, Found, Journal); Error != 0) {
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
    return Apply(Context, Journal, Place, Where);
  }
  return S_OK;
}

// A side file not used stays, and so the file stays exactly as it is.
bool Kept(const TRecovery& Context)
{
  const TSideFileState State = Context.Report.State;
  return State == TSideFileState::Found || State == TSideFileState::Pending;
}

HRESULT Recover(TRecovery& Context)
{
  if (Context.Request.Status != nullptr) {
    Context.Info = *Context.Request.Status;
  } else if (int Error = Context.Fs.FStat(Context.Request.Fd, Context.Info); Error != 0) {
    return ErrnoResult(Error);
  }
  if (int Error = ResolveOpenSaveNames(Context.Fs, Context.Request.Fd, Context.Info, Context.Request.Path,
                                       Context.Names);
      Error != 0) {
    return Error == ENOENT ? S_OK : ErrnoResult(Error);
  }
  AddPrivateJournal(Context.Fs, Context.Request.Fd, Context.Info, Context.Names);
  if (Context.Request.MayWrite) {
    RemoveLeftCopy(Context);
  }
  // Beside the video first, then the saver's own folder, when there is one.
  HRESULT Result = RecoverAt(Context, Context.Names.Journal, TJournalWhere::Beside);
  TSideFile& Private = Context.Names.PrivateJournal;
  if (Result == S_OK && !Kept(Context) && !Private.Name.empty() &&
      OpenPrivateJournalFolder(Context.Fs, false, Private.Folder) == 0) {
    Result = RecoverAt(Context, Private, TJournalWhere::Private);
  }
  if (Context.Request.Names != nullptr) {
    *Context.Request.Names = Context.Names;
  }
  return Result;
}

} // namespace

HRESULT RecoverJournal(const TRecoveryRequest& Request, TSideFileReport& Report)
{
  Report = {};
  if (Request.Names != nullptr) {
    *Request.Names = {};
  }
  try {
    TRecovery Context{Request, Request.Fs != nullptr ? *Request.Fs : PosixFileSystem(), {}, {}, Report};
    return Recover(Context);
  } catch (const std::bad_alloc&) {
    return E_OUT_OF_MEMORY;
  }
}

} // namespace Quillmark::Asf
