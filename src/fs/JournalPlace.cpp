#include "fs/JournalPlace.h"

#include "fs/Crc32.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace Quillmark::Fs {

namespace {

std::string& FolderOverride()
{
  static std::string Folder;
  return Folder;
}

// The last answer, kept while a memory lives; Scopes counts those alive.
struct TRemembered {
  std::mutex Guard;
  int Scopes = 0;
  bool Known = false;
  const IFileSystem* Fs = nullptr;
  std::chrono::steady_clock::time_point When;
  int Error = 0;
  TFolderRef Folder;
};

TRemembered& Remembered()
{
  static TRemembered Memory;
  return Memory;
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
  TRemembered& Memory = Remembered();
  std::lock_guard<std::mutex> Lock(Memory.Guard);
  Memory.Known = false;
  Memory.Folder.reset();
}

std::string PrivateJournalName(const std::string& Target, const struct stat& Video, std::uint64_t FileSystem)
{
  char Name[96];
  std::snprintf(Name, sizeof Name, "%llx-%llx-%llx-%08x.quillmark-journal",
                static_cast<unsigned long long>(Video.st_ino), static_cast<unsigned long long>(Video.st_dev),
                static_cast<unsigned long long>(FileSystem),
                Crc32(reinterpret_cast<const std::uint8_t*>(Target.data()), Target.size()));
  return Name;
}

namespace {

int MakeFolders(IFileSystem& Fs, const std::string& Folder)
{
  for (std::size_t Slash = Folder.find('/', 1);; Slash = Folder.find('/', Slash + 1)) {
    if (int Error = Fs.MakeFolder(Folder.substr(0, Slash), 0700); Error != 0 && Error != EEXIST) {
      return Error;
    }
    if (Slash == std::string::npos) {
      return 0;
    }
  }
}

int OpenCheckedFolder(IFileSystem& Fs, bool Create, TFolderRef& Folder)
{
  const std::string Path = PrivateJournalFolder();
  if (Path.empty()) {
    return ENOENT;
  }
  if (Create) {
    if (int Error = MakeFolders(Fs, Path); Error != 0) {
      return Error;
    }
  }
  TFolderRef Opened;
  if (int Error = OpenFolder(Fs, Path, Opened); Error != 0) {
    return Error;
  }
  struct stat Info {};
  if (int Error = Fs.FStat(Opened->Fd(), Info); Error != 0) {
    return Error;
  }
  // Anybody else who could write here could take a journal's place.
  if (Info.st_uid != geteuid() || (Info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return EACCES;
  }
  Folder = std::move(Opened);
  return 0;
}

} // namespace

TPrivateFolderMemory::TPrivateFolderMemory()
{
  TRemembered& Memory = Remembered();
  std::lock_guard<std::mutex> Lock(Memory.Guard);
  ++Memory.Scopes;
}

TPrivateFolderMemory::~TPrivateFolderMemory()
{
  TRemembered& Memory = Remembered();
  std::lock_guard<std::mutex> Lock(Memory.Guard);
  if (--Memory.Scopes == 0) {
    Memory.Known = false;
    Memory.Folder.reset();
  }
}

int OpenPrivateJournalFolder(IFileSystem& Fs, bool Create, TFolderRef& Folder)
{
  constexpr auto Lasting = std::chrono::seconds(1);
  TRemembered& Memory = Remembered();
  std::lock_guard<std::mutex> Lock(Memory.Guard);
  const auto Now = std::chrono::steady_clock::now();
  if (!Create && Memory.Scopes > 0 && Memory.Known && Memory.Fs == &Fs && Now - Memory.When < Lasting) {
    Folder = Memory.Folder;
    return Memory.Error;
  }
  const int Error = OpenCheckedFolder(Fs, Create, Folder);
  Memory.Known = Memory.Scopes > 0 && !Create;
  if (Memory.Known) {
    Memory.Fs = &Fs;
    Memory.When = Now;
    Memory.Error = Error;
    Memory.Folder = Error == 0 ? Folder : nullptr;
  }
  return Error;
}

} // namespace Quillmark::Fs
