#include "metadata/asf/HeaderCommit.h"
#include "metadata/fs/Journal.h"

#include <cerrno>
#include <fcntl.h>
#include <new>

namespace Quillmark::Asf {

namespace {

HRESULT RollBackIfOurs(IFileSystem& Fs, const TSaveNames& Names, const TJournal& Journal)
{
  TScopedFd Video(Fs);
  if (int Error = Fs.Open(Names.Target, O_RDWR, 0, Video.Out()); Error != 0) {
    return ErrnoResult(Error);
  }
  struct stat Info {};
  if (int Error = Fs.FStat(Video.Get(), Info); Error != 0) {
    return ErrnoResult(Error);
  }
  if (!JournalBelongsTo(Journal, Info)) {
    return S_OK;
  }
  if (SaveCompleted(Fs, Video.Get(), Journal)) {
    return RemoveJournal(Fs, Names) == 0 ? S_OK : E_IO_FAILURE;
  }
  if (int Error = RollBack(Fs, Video.Get(), Journal); Error != 0) {
    return ErrnoResult(Error);
  }
  if (int Error = RemoveJournal(Fs, Names); Error != 0) {
    return ErrnoResult(Error);
  }
  return S_OK;
}

HRESULT Recover(IFileSystem& Fs, const std::string& Path)
{
  TSaveNames Names;
  if (int Error = ResolveSaveNames(Fs, Path, Names); Error != 0) {
    return Error == ENOENT ? S_OK : ErrnoResult(Error);
  }
  // A copy beside the video never took effect unless it was renamed over it.
  Fs.Unlink(Names.Temp);
  TJournal Journal;
  int Error = ReadJournal(Fs, Names.Journal, Journal);
  if (Error == ENOENT) {
    return S_OK;
  }
  if (Error == EBADMSG) {
    return RemoveJournal(Fs, Names) == 0 ? S_OK : E_IO_FAILURE;
  }
  if (Error != 0) {
    return ErrnoResult(Error);
  }
  return RollBackIfOurs(Fs, Names, Journal);
}

} // namespace

HRESULT RecoverJournal(const std::string& Path, IFileSystem* Fs)
{
  try {
    return Recover(Fs != nullptr ? *Fs : PosixFileSystem(), Path);
  } catch (const std::bad_alloc&) {
    return E_OUT_OF_MEMORY;
  }
}

} // namespace Quillmark::Asf
