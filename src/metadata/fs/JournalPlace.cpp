#include "metadata/fs/JournalPlace.h"

#include "metadata/fs/Crc32.h"
#include "metadata/fs/FileIo.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace Quillmark::Asf {

namespace {

std::string& FolderOverride()
{
  static std::string Folder;
  return Folder;
}

std::string LookUpHomeFolder(uid_t User)
{
  long Suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> Buffer(Suggested > 0 ? static_cast<std::size_t>(Suggested) : 16384);
  passwd Entry{};
  passwd* Found = nullptr;
  if (getpwuid_r(User, &Entry, Buffer.data(), Buffer.size(), &Found) != 0 || Found == nullptr ||
      Found->pw_dir == nullptr || Found->pw_dir[0] != '/') {
    return {};
  }
  return Found->pw_dir;
}

// A batch asks for every file it opens and saves: the user database is
// read once per user the process runs as. A failed lookup is not kept, so
// the next open looks again rather than skip the folder for good.
std::string HomeFolder()
{
  static std::mutex Guard;
  static std::optional<std::pair<uid_t, std::string>> Known;
  const uid_t User = geteuid();
  std::lock_guard<std::mutex> Lock(Guard);
  if (!Known || Known->first != User) {
    std::string Home = LookUpHomeFolder(User);
    if (Home.empty()) {
      return Home;
    }
    Known.emplace(User, std::move(Home));
  }
  return Known->second;
}

} // namespace

std::string PrivateJournalFolder()
{
  if (!FolderOverride().empty()) {
    return FolderOverride();
  }
  std::string Home = HomeFolder();
  return Home.empty() ? Home : Home + "/.local/state/quillmark/journals";
}

void SetPrivateJournalFolder(const std::string& Folder)
{
  FolderOverride() = Folder;
}

std::string PrivateJournalPath(const std::string& Target, std::uint64_t Inode)
{
  std::string Folder = PrivateJournalFolder();
  if (Folder.empty()) {
    return Folder;
  }
  char Name[64];
  std::snprintf(Name, sizeof Name, "/%llx-%08x.quillmark-journal", static_cast<unsigned long long>(Inode),
                Crc32(reinterpret_cast<const std::uint8_t*>(Target.data()), Target.size()));
  return Folder + Name;
}

int PreparePrivateJournalFolder(IFileSystem& Fs, std::string& Folder)
{
  Folder = PrivateJournalFolder();
  if (Folder.empty()) {
    return ENOENT;
  }
  for (std::size_t Slash = Folder.find('/', 1);; Slash = Folder.find('/', Slash + 1)) {
    std::string Part = Folder.substr(0, Slash);
    if (int Error = Fs.MakeFolder(Part, 0700); Error != 0 && Error != EEXIST) {
      return Error;
    }
    if (Slash == std::string::npos) {
      break;
    }
  }
  TScopedFd Dir(Fs);
  if (int Error = Fs.Open(Folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW, 0, Dir.Out()); Error != 0) {
    return Error;
  }
  struct stat Info {};
  if (int Error = Fs.FStat(Dir.Get(), Info); Error != 0) {
    return Error;
  }
  // Anybody else who could write here could take a journal's place.
  return Info.st_uid == geteuid() && (Info.st_mode & (S_IWGRP | S_IWOTH)) == 0 ? 0 : EACCES;
}

} // namespace Quillmark::Asf
