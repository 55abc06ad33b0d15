#include "metadata/asf/CommitImage.h"
#include "metadata/asf/CommitPaths.h"
#include "metadata/asf/CopyFile.h"
#include "metadata/asf/PaddingPolicy.h"

#include <cerrno>
#include <fcntl.h>

namespace Quillmark::Asf {

namespace {

// Reserving the whole length first makes a full disk fail at once rather
// than after gigabytes; file systems that cannot reserve just go on.
int Reserve(IFileSystem& Fs, int Fd, std::uint64_t Length)
{
  int Error = Fs.FAllocate(Fd, 0, 0, static_cast<off_t>(Length));
  return Error == EOPNOTSUPP || Error == ENOSYS || Error == EINVAL ? 0 : Error;
}

// Mode last: changing the owner clears set-user-ID and set-group-ID bits.
int CopyAttributes(const TCommitContext& Context, int To)
{
  const struct stat& Info = Context.Info;
  if (int Error = Context.Fs.CopyXattrs(Context.Request.Fd, To); Error != 0) {
    return Error;
  }
  if (int Error = Context.Fs.FChown(To, Info.st_uid, Info.st_gid); Error != 0 && Error != EPERM) {
    return Error;
  }
  return Context.Fs.FChmod(To, Info.st_mode & 07777);
}

HRESULT FillCopy(TCommitContext& Context, int To, const std::vector<std::uint8_t>& Header)
{
  IFileSystem& Fs = Context.Fs;
  std::uint64_t Old = Context.Request.OldHeaderSize;
  std::uint64_t Rest = Context.FileSize() - Old;
  if (int Error = Reserve(Fs, To, Header.size() + Rest); Error != 0) {
    return ErrnoResult(Error);
  }
  if (int Error = WriteExact(Fs, To, Header.data(), Header.size(), 0); Error != 0) {
    return ErrnoResult(Error);
  }
  if (int Error = CopyRange(Fs, Context.Request.Fd, Old, To, Header.size(), Rest, Context.Request.Progress)) {
    return Error == ENODATA ? E_FILE_CHANGED : ErrnoResult(Error);
  }
  if (int Error = CopyAttributes(Context, To); Error != 0) {
    return ErrnoResult(Error);
  }
  if (int Error = Fs.FSync(To); Error != 0) {
    return ErrnoResult(Error);
  }
  if (HRESULT Result = VerifyWritten(Context, To, Header); Result != S_OK) {
    return Result;
  }
  // The copy took a while; a writer that ignores our lock may have changed the video meanwhile.
  return CheckStamp(Context);
}

HRESULT DropCopy(TCommitContext& Context, TScopedFd& Copy, HRESULT Failure)
{
  Copy.Reset();
  Context.Fs.Unlink(Context.Names.Temp);
  return Failure;
}

} // namespace

HRESULT CommitByCopy(TCommitContext& Context)
{
  if (Context.Info.st_nlink > 1) {
    return E_FILE_HARD_LINKED;
  }
  IFileSystem& Fs = Context.Fs;
  std::uint64_t Total = Context.NewSize() + GrowthPadding(Context.FileSize());
  std::uint64_t FinalSize = Total + Context.FileSize() - Context.Request.OldHeaderSize;
  std::vector<std::uint8_t> Header =
      ComposeHeader(Context.Request.NewHeader, Total - Context.NewSize(), FinalSize);
  // A copy left by an earlier crash never took effect, so it can go.
  if (int Error = Fs.Unlink(Context.Names.Temp); Error != 0 && Error != ENOENT) {
    return ErrnoResult(Error);
  }
  TScopedFd Copy(Fs);
  if (int Error = Fs.Open(Context.Names.Temp, O_RDWR | O_CREAT | O_EXCL, 0600, Copy.Out()); Error != 0) {
    return ErrnoResult(Error);
  }
  if (HRESULT Result = FillCopy(Context, Copy.Get(), Header); Result != S_OK) {
    return DropCopy(Context, Copy, Result);
  }
  if (int Error = Fs.Rename(Context.Names.Temp, Context.Names.Target); Error != 0) {
    return DropCopy(Context, Copy, ErrnoResult(Error));
  }
  SyncFolder(Fs, Context.Names.Folder);
  return S_OK;
}

} // namespace Quillmark::Asf
