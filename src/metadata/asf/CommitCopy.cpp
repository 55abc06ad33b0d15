#include "metadata/asf/CommitImage.h"
#include "metadata/asf/CommitPaths.h"
#include "metadata/asf/PaddingPolicy.h"
#include "metadata/fs/CopyFile.h"

#include <cerrno>
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

// The owner and group come first, before a byte is copied: a saver who may
// not give them (a group member saving another's file) must not hand the
// file to himself, and learns so at once rather than after gigabytes.
HRESULT KeepOwner(const TCommitContext& Context, int To)
{
  int Error = Context.Fs.FChown(To, Context.Info.st_uid, Context.Info.st_gid);
  return Error == 0 ? S_OK : Error == EPERM ? E_OWNER_NOT_KEPT : ErrnoResult(Error);
}

// Mode last: changing the owner clears set-user-ID and set-group-ID bits.
int CopyAttributes(const TCommitContext& Context, int To)
{
  if (int Error = Context.Fs.CopyXattrs(Context.Request.Fd, To); Error != 0) {
    return Error;
  }
  return Context.Fs.FChmod(To, Context.Info.st_mode & 07777);
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

HRESULT OpenReplacement(TCommitContext& Context, TScopedFd& Copy)
{
  if (Context.Info.st_nlink > 1) {
    return E_FILE_HARD_LINKED;
  }
  // A copy left by an earlier crash never took effect, so it can go.
  if (int Error = Context.Fs.Unlink(Context.Names.Temp); Error != 0 && Error != ENOENT) {
    return ErrnoResult(Error);
  }
  int Error = Context.Fs.Open(Context.Names.Temp, O_RDWR | O_CREAT | O_EXCL, 0600, Copy.Out());
  return Error == 0 ? S_OK : ErrnoResult(Error);
}

HRESULT FinishReplacement(TCommitContext& Context, TScopedFd& Copy, const std::vector<std::uint8_t>& Header)
{
  IFileSystem& Fs = Context.Fs;
  if (int Error = CopyAttributes(Context, Copy.Get()); Error != 0) {
    return DropReplacement(Context, Copy, ErrnoResult(Error));
  }
  if (int Error = Fs.FSync(Copy.Get()); Error != 0) {
    return DropReplacement(Context, Copy, ErrnoResult(Error));
  }
  if (HRESULT Result = VerifyWritten(Context, Copy.Get(), Header); Result != S_OK) {
    return DropReplacement(Context, Copy, Result);
  }
  // The copy took a while; a writer that ignores our lock may have changed the video meanwhile.
  if (HRESULT Result = CheckStamp(Context); Result != S_OK) {
    return DropReplacement(Context, Copy, Result);
  }
  if (int Error = Fs.Rename(Context.Names.Temp, Context.Names.Target); Error != 0) {
    return DropReplacement(Context, Copy, ErrnoResult(Error));
  }
  SyncFolder(Fs, Context.Names.Folder);
  return S_OK;
}

HRESULT DropReplacement(TCommitContext& Context, TScopedFd& Copy, HRESULT Failure)
{
  Copy.Reset();
  Context.Fs.Unlink(Context.Names.Temp);
  return Failure;
}

HRESULT CommitByCopy(TCommitContext& Context)
{
  std::uint64_t Total = Context.NewSize() + CopyGrowthPadding(Context.FileSize());
  std::uint64_t FinalSize = Total + Context.FileSize() - Context.Request.OldHeaderSize;
  std::vector<std::uint8_t> Header = ComposeHeader(Context.NewHeader(), Total - Context.NewSize(), FinalSize);
  TScopedFd Copy(Context.Fs);
  if (HRESULT Result = OpenReplacement(Context, Copy); Result != S_OK) {
    return Result;
  }
  if (HRESULT Result = FillCopy(Context, Copy.Get(), Header); Result != S_OK) {
    return DropReplacement(Context, Copy, Result);
  }
  Context.Way = TSaveWay::Copy;
  return FinishReplacement(Context, Copy, Header);
}

} // namespace Quillmark::Asf
