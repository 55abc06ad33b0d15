#include "metadata/fs/FileIo.h"

#include "metadata/fs/Crc32.h"
#include "metadata/fs/JournalPlace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace Quillmark::Asf {

HRESULT ErrnoResult(int Error)
{
  return Error == ENOSPC || Error == EDQUOT ? E_DISK_FULL : E_IO_FAILURE;
}

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

int SyncFolder(IFileSystem& Fs, const std::string& Folder)
{
  TScopedFd Dir(Fs);
  if (int Error = Fs.Open(Folder, O_RDONLY | O_DIRECTORY, 0, Dir.Out()); Error != 0) {
    return Error;
  }
  return Fs.FSync(Dir.Get());
}

namespace {

// A name near the 255-byte limit leaves no room for our suffixes, so a long
// one is cut and made unique again by the checksum of the whole name.
std::string SideName(const std::string& Name)
{
  constexpr std::size_t Longest = 200;
  if (Name.size() <= Longest) {
    return Name;
  }
  char Tag[16];
  std::snprintf(Tag, sizeof Tag, "~%08x",
                Crc32(reinterpret_cast<const std::uint8_t*>(Name.data()), Name.size()));
  return Name.substr(0, Longest - 9) + Tag;
}

} // namespace

int ResolveSaveNames(IFileSystem& Fs, const std::string& Path, TSaveNames& Names)
{
  std::string Target;
  if (int Error = Fs.RealPath(Path, Target); Error != 0) {
    return Error;
  }
  return SaveNamesOf(Target, Names);
}

int SaveNamesOf(const std::string& Target, TSaveNames& Names)
{
  if (Target.empty() || Target.front() != '/') {
    return EINVAL;
  }
  Names.Target = Target;
  std::size_t Slash = Names.Target.rfind('/');
  if (Slash == std::string::npos || Slash + 1 == Names.Target.size()) {
    return EINVAL;
  }
  Names.Folder = Slash == 0 ? "/" : Names.Target.substr(0, Slash);
  std::string Hidden = Names.Target.substr(0, Slash + 1) + "." + SideName(Names.Target.substr(Slash + 1));
  Names.Journal = Hidden + ".quillmark-journal";
  Names.JournalFolder = Names.Folder;
  Names.Temp = Hidden + ".quillmark-new";
  return 0;
}

int ResolveOpenSaveNames(IFileSystem& Fs, int Fd, const struct stat& Info, const std::string& Path,
                         TSaveNames& Names)
{
  std::string Where;
  struct stat There {};
  if (Fs.FilePath(Fd, Where) == 0 && Fs.Stat(Where, There) == 0 && There.st_dev == Info.st_dev &&
      There.st_ino == Info.st_ino && SaveNamesOf(Where, Names) == 0) {
    return 0;
  }
  return ResolveSaveNames(Fs, Path, Names);
}

void AddPrivateJournal(TSaveNames& Names, std::uint64_t Inode)
{
  Names.PrivateJournal = PrivateJournalPath(Names.Target, Inode);
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

} // namespace Quillmark::Asf
