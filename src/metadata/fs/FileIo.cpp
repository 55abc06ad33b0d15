#include "metadata/fs/FileIo.h"

#include "metadata/fs/Crc32.h"
#include "metadata/fs/JournalPlace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace Quillmark::Asf {

HRESULT ErrnoResult(int Error)
{
  if (Error == ENOSPC || Error == EDQUOT) {
    return E_DISK_FULL;
  }
  return Error == EACCES || Error == EPERM || Error == EROFS ? E_ACCESS_DENIED : E_IO_FAILURE;
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

namespace {

// The folder the last file was opened from, as the caller named it and as
// the kernel named it. A batch opens its files one folder at a time, and
// asking the kernel through /proc for each one costs more than the rest of
// the file's lookups together; a name is taken from here only when that
// place holds the open file itself.
struct TFolderMemo {
  std::string Given;
  std::string Real;
};

TFolderMemo& LastFolder()
{
  thread_local TFolderMemo Memo;
  return Memo;
}

// Path split at its last slash; Given is empty for a name in the working folder.
void SplitPath(const std::string& Path, std::string& Given, std::string& Name)
{
  const std::size_t Slash = Path.rfind('/');
  Given = Slash == std::string::npos ? std::string() : Path.substr(0, Slash + 1);
  Name = Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

// A name is a file's real path when the place it names, not followed
// through a link, is that very file.
bool IsPathOf(IFileSystem& Fs, const std::string& Where, const struct stat& Info, bool FollowLink)
{
  struct stat There {};
  const int Error = FollowLink ? Fs.Stat(Where, There) : Fs.LStat(Where, There);
  return Error == 0 && S_ISREG(There.st_mode) && There.st_dev == Info.st_dev && There.st_ino == Info.st_ino;
}

} // namespace

int ResolveOpenSaveNames(IFileSystem& Fs, int Fd, const struct stat& Info, const std::string& Path,
                         TSaveNames& Names)
{
  TFolderMemo& Memo = LastFolder();
  std::string Given;
  std::string Name;
  SplitPath(Path, Given, Name);
  const bool PlainName = !Name.empty() && Name != "." && Name != "..";
  if (PlainName && !Memo.Real.empty() && Memo.Given == Given) {
    std::string Where = Memo.Real == "/" ? "/" + Name : Memo.Real + "/" + Name;
    if (IsPathOf(Fs, Where, Info, false) && SaveNamesOf(Where, Names) == 0) {
      return 0;
    }
  }
  // The kernel's name has no links in it, so following one cannot matter.
  std::string Where;
  if (Fs.FilePath(Fd, Where) == 0 && IsPathOf(Fs, Where, Info, true) && SaveNamesOf(Where, Names) == 0) {
    // Only a folder reached without a link at the file's own name says
    // where the caller's other names in it lead.
    if (PlainName && Where.size() > Name.size() &&
        Where.compare(Where.size() - Name.size(), Name.size(), Name) == 0 &&
        Where[Where.size() - Name.size() - 1] == '/') {
      Memo = {Given, Names.Folder};
    }
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
