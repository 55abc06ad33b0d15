#include "tag/FileArguments.h"

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

// A link to a folder is not a subfolder: it may lead back up, or anywhere.
bool IsLink(const std::string& Path)
{
  struct stat Info {};
  return lstat(Path.c_str(), &Info) == 0 && S_ISLNK(Info.st_mode);
}

// The entries of a folder but "." and "..", sorted bytewise; errno on failure.
int ListFolder(const std::string& Folder, std::vector<std::string>& Names)
{
  std::unique_ptr<DIR, TDirCloser> Dir(opendir(Folder.c_str()));
  if (!Dir) {
    return errno;
  }
  errno = 0;
  while (const dirent* Entry = readdir(Dir.get())) {
    if (std::strcmp(Entry->d_name, ".") != 0 && std::strcmp(Entry->d_name, "..") != 0) {
      Names.emplace_back(Entry->d_name);
    }
    errno = 0;
  }
  if (errno != 0) {
    return errno;
  }
  std::sort(Names.begin(), Names.end());
  return 0;
}

void WalkFolder(TWalk& Walk, const std::string& Folder, const struct stat& Info)
{
  if (!Walk.Visited.insert({Info.st_dev, Info.st_ino}).second) {
    return;
  }
  std::vector<std::string> Names;
  if (int Error = ListFolder(Folder, Names); Error != 0) {
    Walk.Err << Folder << ": cannot be read: " << std::strerror(Error) << '\n';
    Walk.Ok = false;
    return;
  }
  std::vector<std::pair<std::string, struct stat>> Subfolders;
  for (const std::string& Name : Names) {
    const std::string Path = Join(Folder, Name);
    // Only regular files are taken: a pipe, device or broken link that
    // happens to bear such a name is passed over like any other file.
    struct stat Entry {};
    if (stat(Path.c_str(), &Entry) != 0) {
      continue;
    }
    if (S_ISDIR(Entry.st_mode)) {
      if (!IsLink(Path)) {
        Subfolders.emplace_back(Path, Entry);
      }
    } else if (S_ISREG(Entry.st_mode) && HasAsfExtension(Name)) {
      Walk.Files.push_back(Path);
    }
  }
  if (Walk.Recursive) {
    for (const auto& [Path, Entry] : Subfolders) {
      WalkFolder(Walk, Path, Entry);
    }
  }
}

} // namespace

bool HasAsfExtension(const std::string& Name)
{
  if (Name.size() < 4 || Name[Name.size() - 4] != '.') {
    return false;
  }
  std::string Extension = Name.substr(Name.size() - 3);
  for (char& C : Extension) {
    C = static_cast<char>(C >= 'A' && C <= 'Z' ? C - 'A' + 'a' : C);
  }
  return Extension == "wmv" || Extension == "wma" || Extension == "asf";
}

bool ExpandFileArguments(const std::vector<std::string>& Arguments, bool Recursive,
                         std::vector<std::string>& Files, std::ostream& Err)
{
  TWalk Walk{Recursive, {}, Files, Err};
  for (const std::string& Argument : Arguments) {
    struct stat Info {};
    if (!IsFolder(Argument, Info)) {
      Files.push_back(Argument);
      continue;
    }
    if (Walk.Visited.count({Info.st_dev, Info.st_ino}) != 0) {
      continue; // named twice, or already inside a folder walked
    }
    const std::size_t Before = Files.size();
    const bool OkBefore = Walk.Ok;
    WalkFolder(Walk, Argument, Info);
    if (Files.size() == Before && Walk.Ok == OkBefore) {
      Err << Argument << ": holds no .wmv, .wma or .asf file"
          << (Recursive ? "" : " (-r descends into subfolders)") << '\n';
      Walk.Ok = false;
    }
  }
  return Walk.Ok;
}

} // namespace Quillmark
