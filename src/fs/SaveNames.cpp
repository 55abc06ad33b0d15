#include "fs/SaveNames.h"

#include "fs/Crc32.h"
#include "fs/JournalPlace.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/statfs.h>

namespace Quillmark::Fs {

TFolder::~TFolder()
{
  FFs.Close(FFd);
}

std::string TFolder::PathOf(const std::string& Name) const
{
  return FPath == "/" ? "/" + Name : FPath + "/" + Name;
}

int TFolder::Check() const
{
  struct stat Now {};
  if (int Error = FFs.FStat(FFd, Now); Error != 0) {
    return Error;
  }
  // A folder removed meanwhile has no links left: nothing may be put in it.
  return FId.Is(Now) && S_ISDIR(Now.st_mode) && Now.st_nlink > 0 ? 0 : ESTALE;
}

int OpenFolder(IFileSystem& Fs, const std::string& Path, TFolderRef& Folder)
{
  int Fd = -1;
  if (int Error = Fs.Open(Path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NOCTTY, 0, Fd); Error != 0) {
    return Error;
  }
  struct stat Info {};
  if (int Error = Fs.FStat(Fd, Info); Error != 0) {
    Fs.Close(Fd);
    return Error;
  }
  Folder = std::make_shared<const TFolder>(Fs, Fd, Info, Path);
  return 0;
}

bool NameLeadsTo(IFileSystem& Fs, const TFolder& Folder, const std::string& Name, TFileId Id)
{
  struct stat There {};
  return Fs.StatAt(Folder.Fd(), Name, There) == 0 && Id.Is(There);
}

int RemoveSideFile(IFileSystem& Fs, const TSideFile& File)
{
  if (File.Empty()) {
    return ENOENT;
  }
  struct stat There {};
  if (int Error = Fs.StatAt(File.Folder->Fd(), File.Name, There); Error != 0) {
    return Error;
  }
  if (!File.Own.Is(There) || !S_ISREG(There.st_mode)) {
    return ESTALE;
  }
  return Fs.Unlink(File.Folder->Fd(), File.Name);
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

// The folder last held. The files of a group of saves in one folder, all
// open at once, share one descriptor of it rather than take one each.
struct TFolderCache {
  const IFileSystem* Fs = nullptr;
  std::weak_ptr<const TFolder> Folder;
};

// The folder at Path, held already or opened now, when its entry Name is
// the file Video (no link).
int FolderHolding(IFileSystem& Fs, const std::string& Path, const std::string& Name, const struct stat& Video,
                  TFolderRef& Folder)
{
  thread_local TFolderCache Cache;
  const auto Holds = [&](const TFolder& Held, int& Error) {
    struct stat There {};
    Error = Fs.StatAt(Held.Fd(), Name, There);
    return Error == 0 && S_ISREG(There.st_mode) && TFileId::Of(Video).Is(There);
  };
  int Error = 0;
  Folder = Cache.Fs == &Fs ? Cache.Folder.lock() : nullptr;
  // The folder held may have been renamed since: then the file is not in it.
  if (Folder && Folder->Path() == Path && Holds(*Folder, Error)) {
    return 0;
  }
  if (Error = OpenFolder(Fs, Path, Folder); Error != 0) {
    return Error;
  }
  Cache = {&Fs, Folder};
  if (Holds(*Folder, Error)) {
    return 0;
  }
  return Error != 0 ? Error : ENOENT;
}

// The names beside Target, a path resolved already (absolute, no links),
// once its folder is open and holds the file Video under its name.
int NamesIn(IFileSystem& Fs, const std::string& Target, const struct stat& Video, TSaveNames& Names)
{
  const std::size_t Slash = Target.rfind('/');
  if (Target.empty() || Target.front() != '/' || Slash + 1 == Target.size()) {
    return EINVAL;
  }
  const std::string Name = Target.substr(Slash + 1);
  TFolderRef Folder;
  if (int Error = FolderHolding(Fs, Slash == 0 ? "/" : Target.substr(0, Slash), Name, Video, Folder);
      Error != 0) {
    return Error;
  }
  const std::string Hidden = "." + SideName(Name);
  Names.Target = Target;
  Names.Folder = Folder;
  Names.Name = Name;
  Names.Journal = {Folder, Hidden + ".quillmark-journal", {}};
  Names.Temp = {Folder, Hidden + ".quillmark-new", {}};
  Names.PrivateJournal = {};
  return 0;
}

// The folder the last file was opened from, as the caller named it and as
// the kernel named it. A batch opens its files one folder at a time, and
// asking the kernel through /proc for each one costs more than the rest of
// the file's lookups together; a name is taken from here only when that
// folder holds the open file itself.
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

} // namespace

int ResolveSaveNames(IFileSystem& Fs, const std::string& Path, const struct stat& Video, TSaveNames& Names)
{
  std::string Target;
  if (int Error = Fs.RealPath(Path, Target); Error != 0) {
    return Error;
  }
  return NamesIn(Fs, Target, Video, Names);
}

int ResolveOpenSaveNames(IFileSystem& Fs, int Fd, const struct stat& Info, const std::string& Path,
                         TSaveNames& Names)
{
  TFolderMemo& Memo = LastFolder();
  std::string Given;
  std::string Name;
  SplitPath(Path, Given, Name);
  const bool PlainName = !Name.empty() && Name != "." && Name != "..";
  if (PlainName && !Memo.Real.empty() && Memo.Given == Given &&
      NamesIn(Fs, Memo.Real == "/" ? "/" + Name : Memo.Real + "/" + Name, Info, Names) == 0) {
    return 0;
  }
  std::string Where;
  if (Fs.FilePath(Fd, Where) == 0 && NamesIn(Fs, Where, Info, Names) == 0) {
    // Only a folder reached without a link at the file's own name says
    // where the caller's other names in it lead.
    if (PlainName && Names.Name == Name) {
      Memo = {Given, Names.Folder->Path()};
    }
    return 0;
  }
  return ResolveSaveNames(Fs, Path, Info, Names);
}

void AddPrivateJournal(IFileSystem& Fs, int Fd, const struct stat& Video, TSaveNames& Names)
{
  struct statfs Info {};
  std::uint64_t FileSystem = 0;
  if (Fs.FStatFs(Fd, Info) == 0) {
    std::memcpy(&FileSystem, &Info.f_fsid, std::min(sizeof FileSystem, sizeof Info.f_fsid));
  }
  Names.PrivateJournal = {nullptr, PrivateJournalName(Names.Target, Video, FileSystem), {}};
}

} // namespace Quillmark::Fs
