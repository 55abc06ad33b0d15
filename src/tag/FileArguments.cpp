#include "tag/FileArguments.h"

#include "tag/ToolLines.h"
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <ostream>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace Quillmark {

namespace {

using TFolderId = std::pair<dev_t, ino_t>;

struct TWalk {
  bool Recursive = false;
  std::set<TFolderId> Visited;
  std::vector<std::string>& Files;
  std::ostream& Err;
  bool Ok = true;
};

struct TDirCloser {
  void operator()(DIR* Dir) const { closedir(Dir); }
};

std::string Join(const std::string& Folder, const std::string& Name)
{
  return !Folder.empty() && Folder.back() == '/' ? Folder + Name : Folder + '/' + Name;
}

bool IsFolder(const std::string& Path, struct stat& Info)
{
  return stat(Path.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode);
}

// An entry of a folder, with the type the folder records for it
// (DT_UNKNOWN where the file system records none).
struct TEntry {
  std::string Name;
  unsigned char Type = DT_UNKNOWN;
  bool operator<(const TEntry& Other) const { return Name < Other.Name; }
};

// The entries of a folder but "." and "..", sorted bytewise; errno on failure.
int ListFolder(const std::string& Folder, std::vector<TEntry>& Entries)
{
  std::unique_ptr<DIR, TDirCloser> Dir(opendir(Folder.c_str()));
  if (!Dir) {
    return errno;
  }
  errno = 0;
  while (const dirent* Entry = readdir(Dir.get())) {
    if (std::strcmp(Entry->d_name, ".") != 0 && std::strcmp(Entry->d_name, "..") != 0) {
      Entries.push_back({Entry->d_name, Entry->d_type});
    }
    errno = 0;
  }
  if (errno != 0) {
    return errno;
  }
  std::sort(Entries.begin(), Entries.end());
  return 0;
}

// Where the folder records what an entry is, a regular file or a folder
// needs no status call of its own: a collection of hundreds of videos is
// listed in one pass. An entry of unrecorded type is looked at without
// following it. A link is never followed, to a file or to a folder: in a
// folder others may write, a link planted there would have the batch
// rewrite whatever file it leads to, one its owner never named; and a
// link to a folder may lead back up, or anywhere.
void SortEntry(TWalk& Walk, const std::string& Path, const TEntry& Entry,
               std::vector<std::pair<std::string, struct stat>>& Subfolders)
{
  const bool Asf = HasAsfExtension(Entry.Name) || HasMatroskaExtension(Entry.Name);
  struct stat Info {};
  switch (Entry.Type) {
  case DT_REG:
    if (Asf) {
      Walk.Files.push_back(Path);
    }
    return;
  case DT_DIR:
  case DT_UNKNOWN:
    break;
  default:
    return; // a link, pipe, device or socket, whatever its name
  }
  if (lstat(Path.c_str(), &Info) != 0) {
    return;
  }
  if (S_ISDIR(Info.st_mode)) {
    if (Walk.Recursive) {
      Subfolders.emplace_back(Path, Info);
    }
  } else if (S_ISREG(Info.st_mode) && Asf) {
    Walk.Files.push_back(Path);
  }
}

void WalkFolder(TWalk& Walk, const std::string& Folder, const struct stat& Info)
{
  if (!Walk.Visited.insert({Info.st_dev, Info.st_ino}).second) {
    return;
  }
  std::vector<TEntry> Entries;
  if (int Error = ListFolder(Folder, Entries); Error != 0) {
    Walk.Err << FileLine(Folder, std::string("cannot be read: ") + std::strerror(Error));
    Walk.Ok = false;
    return;
  }
  std::vector<std::pair<std::string, struct stat>> Subfolders;
  for (const TEntry& Entry : Entries) {
    SortEntry(Walk, Join(Folder, Entry.Name), Entry, Subfolders);
  }
  if (Walk.Recursive) {
    for (const auto& [Path, Entry] : Subfolders) {
      WalkFolder(Walk, Path, Entry);
    }
  }
}

} // namespace

namespace {

// The name's extension after its last dot, in lower case; empty for none.
std::string Extension(const std::string& Name)
{
  const std::size_t Dot = Name.rfind('.');
  if (Dot == std::string::npos || Name.find('/', Dot) != std::string::npos) {
    return {};
  }
  std::string Result = Name.substr(Dot + 1);
  for (char& C : Result) {
    C = static_cast<char>(C >= 'A' && C <= 'Z' ? C - 'A' + 'a' : C);
  }
  return Result;
}

} // namespace

bool HasAsfExtension(const std::string& Name)
{
  const std::string Kind = Extension(Name);
  return Kind == "wmv" || Kind == "wma" || Kind == "asf";
}

bool HasMatroskaExtension(const std::string& Name)
{
  const std::string Kind = Extension(Name);
  return Kind == "mkv" || Kind == "webm";
}

bool ExpandFileArguments(const std::vector<std::string>& Arguments, bool Recursive,
                         std::vector<std::string>& Files, std::ostream& Err, std::vector<bool>* Listed)
{
  TWalk Walk{Recursive, {}, Files, Err};
  for (const std::string& Argument : Arguments) {
    struct stat Info {};
    if (!IsFolder(Argument, Info)) {
      Files.push_back(Argument);
      if (Listed != nullptr) {
        Listed->resize(Files.size(), false);
      }
      continue;
    }
    if (Walk.Visited.count({Info.st_dev, Info.st_ino}) != 0) {
      continue; // named twice, or already inside a folder walked
    }
    const std::size_t Before = Files.size();
    const bool OkBefore = Walk.Ok;
    WalkFolder(Walk, Argument, Info);
    if (Listed != nullptr) {
      Listed->resize(Files.size(), true);
    }
    if (Files.size() == Before && Walk.Ok == OkBefore) {
      Err << FileLine(Argument, std::string("holds no .wmv, .wma, .asf, .mkv or .webm file") +
                                    (Recursive ? "" : " (-r descends into subfolders)"));
      Walk.Ok = false;
    }
  }
  return Walk.Ok;
}

} // namespace Quillmark
