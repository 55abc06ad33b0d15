#include "asf/CommitImage.h"
#include "asf/CommitPaths.h"
#include "asf/PaddingPolicy.h"
#include "fs/CopyFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace Quillmark::Asf {

namespace {

// A copy that cannot fit fails at once rather than after gigabytes. Space
// kept for the superuser is not counted, so a save never fills the disk to
// the last block; a disk that fills up meanwhile fails the copy later.
HRESULT CheckSpace(IFileSystem& Fs, int Fd, std::uint64_t Length)
{
  struct statfs Info {};
  if (Fs.FStatFs(Fd, Info) != 0 || Info.f_frsize <= 0) {
    return S_OK;
  }
  std::uint64_t Free = static_cast<std::uint64_t>(Info.f_bavail) * static_cast<std::uint64_t>(Info.f_frsize);
  constexpr std::uint64_t Slack = 1024 * 1024; // the file system's own blocks for the new extents
  return Free < Length + Slack ? E_DISK_FULL : S_OK;
}

HRESULT FillCopy(TCommitContext& Context, int To, const std::vector<std::uint8_t>& Header)
{
  IFileSystem& Fs = Context.Fs;
  std::uint64_t Old = Context.Request.OldHeaderSize;
  std::uint64_t Rest = Context.FileSize() - Old;
  if (HRESULT Result = KeepOwner(Context, To); Result != S_OK) {
    return Result;
  }
  if (HRESULT Result = CheckSpace(Fs, To, Header.size() + Rest); Result != S_OK) {
    return Result;
  }
  if (int Error = WriteExact(Fs, To, Header.data(), Header.size(), 0); Error != 0) {
    return ErrnoResult(Error);
  }
  if (int Error = CopyRange(Fs, Context.Request.Fd, Old, To, Header.size(), Rest, Context.Request.Progress)) {
    return Error == ENODATA ? E_FILE_CHANGED : ErrnoResult(Error);
  }
  return S_OK;
}

} // namespace

// The owner and group come first, before a byte is copied: a saver who may
// not give them (a group member saving another's file) must not hand the
// file to himself, and learns so at once rather than after gigabytes.
HRESULT KeepOwner(const TCommitContext& Context, int To)
{
  int Error = Context.Fs.FChown(To, Context.Info.st_uid, Context.Info.st_gid);
  return Error == 0 ? S_OK : Error == EPERM ? E_OWNER_NOT_KEPT : ErrnoResult(Error);
}

HRESULT OpenReplacement(TCommitContext& Context, TScopedFd& Copy)
{
  if (Context.Info.st_nlink > 1) {
    return E_FILE_HARD_LINKED;
  }
  // Made exclusively: whatever is at the name is not this save's to replace
  // (a copy left by a crash of ours went when the video was opened).
  TSideFile& Temp = Context.Names.Temp;
  int Error = Context.Fs.OpenAt(Temp.Folder->Fd(), Temp.Name,
                                O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY, 0600, Copy.Out());
  if (Error != 0) {
    return Error == EEXIST ? E_SIDE_FILE_FOUND : ErrnoResult(Error);
  }
  struct stat Made {};
  if (Error = Context.Fs.FStat(Copy.Get(), Made); Error != 0) {
    // Not known to be ours, the name is left alone.
    Copy.Reset();
    return ErrnoResult(Error);
  }
  Temp.Own = TFileId::Of(Made);
  return S_OK;
}

namespace {

bool CannotExchange(int Error)
{
  return Error == EINVAL || Error == ENOSYS || Error == EOPNOTSUPP || Error == ENOTSUP;
}

// Undoes the exchange of the copy's name and the video's: the copy goes
// back to its name and is dropped.
HRESULT UndoExchange(TCommitContext& Context, TScopedFd& Copy, HRESULT Failure)
{
  const int Dir = Context.Names.Folder->Fd();
  if (Context.Fs.Rename(Dir, Context.Names.Temp.Name, Dir, Context.Names.Name, RENAME_EXCHANGE) != 0) {
    return Failure;
  }
  return DropReplacement(Context, Copy, Failure);
}

// After the exchange: the video's name must lead to the copy and the copy's
// to the old video, which then goes. When another file took the video's
// name in the instant before, the exchange is undone, which gives it back;
// when the copy no longer holds the video's name, another program has moved
// things since, and nothing more is touched. A name that cannot be looked
// at undoes the exchange too.
HRESULT SettleExchange(TCommitContext& Context, TScopedFd& Copy)
{
  IFileSystem& Fs = Context.Fs;
  const TFolder& Folder = *Context.Names.Folder;
  TSideFile& Temp = Context.Names.Temp;
  struct stat AtName {};
  struct stat AtTemp {};
  if (int Error = Fs.StatAt(Folder.Fd(), Context.Names.Name, AtName); Error != 0) {
    return UndoExchange(Context, Copy, ErrnoResult(Error));
  }
  if (!Temp.Own.Is(AtName)) {
    return E_FILE_CHANGED;
  }
  if (int Error = Fs.StatAt(Folder.Fd(), Temp.Name, AtTemp); Error != 0) {
    return UndoExchange(Context, Copy, ErrnoResult(Error));
  }
  if (!TFileId::Of(Context.Info).Is(AtTemp)) {
    return UndoExchange(Context, Copy, E_FILE_CHANGED);
  }
  Temp.Own = TFileId::Of(Context.Info);
  RemoveSideFile(Fs, Temp);
  Temp.Own = {};
  if (!Context.FolderSyncedLater) {
    SyncFolder(Fs, Folder);
  }
  return S_OK;
}

// Puts the finished copy in the video's place by exchanging the two names
// in one step, so that whatever either led to an instant before is still
// there afterwards.
HRESULT ReplaceVideo(TCommitContext& Context, TScopedFd& Copy)
{
  IFileSystem& Fs = Context.Fs;
  const int Dir = Context.Names.Folder->Fd();
  const std::string& From = Context.Names.Temp.Name;
  int Error = Fs.Rename(Dir, From, Dir, Context.Names.Name, RENAME_EXCHANGE);
  if (Error == 0) {
    return SettleExchange(Context, Copy);
  }
  if (CannotExchange(Error)) {
    // Such file systems only rename over: the name was checked just now.
    Error = Fs.Rename(Dir, From, Dir, Context.Names.Name, 0);
  }
  if (Error != 0) {
    return DropReplacement(Context, Copy, ErrnoResult(Error));
  }
  if (!Context.FolderSyncedLater) {
    SyncFolder(Fs, *Context.Names.Folder);
  }
  return S_OK;
}

} // namespace

// Mode last: changing the owner clears set-user-ID and set-group-ID bits.
HRESULT CopyAttributes(TCommitContext& Context, TScopedFd& Copy)
{
  int Error = Context.Fs.CopyXattrs(Context.Request.Fd, Copy.Get());
  if (Error == 0) {
    Error = Context.Fs.FChmod(Copy.Get(), Context.Info.st_mode & 07777);
  }
  return Error == 0 ? S_OK : DropReplacement(Context, Copy, ErrnoResult(Error));
}

HRESULT FinishReplacement(TCommitContext& Context, TScopedFd& Copy, const std::vector<std::uint8_t>& Header)
{
  if (int Error = Context.Fs.FSync(Copy.Get()); Error != 0) {
    return DropReplacement(Context, Copy, ErrnoResult(Error));
  }
  return PlaceReplacement(Context, Copy, Header);
}

HRESULT PlaceReplacement(TCommitContext& Context, TScopedFd& Copy, const std::vector<std::uint8_t>& Header)
{
  if (HRESULT Result = VerifyWritten(Context, Copy.Get(), Header); Result != S_OK) {
    return DropReplacement(Context, Copy, Result);
  }
  // The copy took a while; a writer that ignores our lock may have changed
  // the video meanwhile, or another program its name or its folder.
  if (HRESULT Result = CheckStamp(Context); Result != S_OK) {
    return DropReplacement(Context, Copy, Result);
  }
  return ReplaceVideo(Context, Copy);
}

HRESULT DropReplacement(TCommitContext& Context, TScopedFd& Copy, HRESULT Failure)
{
  Copy.Reset();
  RemoveSideFile(Context.Fs, Context.Names.Temp);
  Context.Names.Temp.Own = {};
  return Failure;
}

HRESULT WriteCopy(TCommitContext& Context, TScopedFd& Copy, std::vector<std::uint8_t>& Header)
{
  const std::optional<std::uint64_t>& Compact = Context.Request.CompactPadding;
  std::uint64_t Total = Context.NewSize() + (Compact ? *Compact : CopyGrowthPadding(Context.FileSize()));
  std::uint64_t FinalSize = Total + Context.FileSize() - Context.Request.OldHeaderSize;
  Header = ComposeHeader(Context.NewHeader(), Total - Context.NewSize(), FinalSize);
  if (HRESULT Result = OpenReplacement(Context, Copy); Result != S_OK) {
    return Result;
  }
  if (HRESULT Result = FillCopy(Context, Copy.Get(), Header); Result != S_OK) {
    return DropReplacement(Context, Copy, Result);
  }
  Context.Way = TSaveWay::Copy;
  return CopyAttributes(Context, Copy);
}

HRESULT CommitByCopy(TCommitContext& Context)
{
  TScopedFd Copy(Context.Fs);
  std::vector<std::uint8_t> Header;
  if (HRESULT Result = WriteCopy(Context, Copy, Header); Result != S_OK) {
    return Result;
  }
  return FinishReplacement(Context, Copy, Header);
}

} // namespace Quillmark::Asf
