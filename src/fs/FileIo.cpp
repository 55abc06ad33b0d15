#include "fs/FileIo.h"

#include <cerrno>
#include <fcntl.h>

namespace Quillmark::Fs {

int ReadExact(IFileSystem& Fs, int Fd, void* Buffer, std::size_t Count, std::uint64_t Offset)
{
  auto* Bytes = static_cast<std::uint8_t*>(Buffer);
  while (Count > 0) {
    std::size_t Done = 0;
    if (int Error = Fs.PRead(Fd, Bytes, Count, static_cast<off_t>(Offset), Done); Error != 0) {
      return Error;
    }
    if (Done == 0) {
      return ENODATA;
    }
    Bytes += Done;
    Count -= Done;
    Offset += Done;
  }
  return 0;
}

int WriteExact(IFileSystem& Fs, int Fd, const void* Buffer, std::size_t Count, std::uint64_t Offset)
{
  const auto* Bytes = static_cast<const std::uint8_t*>(Buffer);
  while (Count > 0) {
    std::size_t Done = 0;
    if (int Error = Fs.PWrite(Fd, Bytes, Count, static_cast<off_t>(Offset), Done); Error != 0) {
      return Error;
    }
    if (Done == 0) {
      return EIO;
    }
    Bytes += Done;
    Count -= Done;
    Offset += Done;
  }
  return 0;
}

int SyncFolder(IFileSystem& Fs, const TFolder& Folder)
{
  return Fs.FSync(Folder.Fd());
}

int TScopedFd::Reset()
{
  int Error = 0;
  if (FFd >= 0) {
    Error = FFs.Close(FFd);
    FFd = -1;
  }
  return Error;
}

} // namespace Quillmark::Fs
