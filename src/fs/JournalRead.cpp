#include "fs/Journal.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Quillmark::Fs {

namespace {

// The tests a file at a journal's name must pass before a byte of it is
// read; its number of names is checked against its records once read.
bool Trusted(const struct stat& Info, uid_t VideoOwner)
{
  return S_ISREG(Info.st_mode) && (Info.st_uid == VideoOwner || Info.st_uid == geteuid()) &&
         (Info.st_mode & (S_IWGRP | S_IWOTH)) == 0 && Info.st_nlink >= 1 &&
         Info.st_nlink <= MaxJournalNames && static_cast<std::uint64_t>(Info.st_size) <= MaxJournalSize();
}

// The record of the video's inode; without one, the first, which no check
// will find to be this video's.
TJournal& RecordOf(std::vector<TJournal>& Records, const struct stat& Video)
{
  for (TJournal& Record : Records) {
    if (Record.Inode == static_cast<std::uint64_t>(Video.st_ino)) {
      return Record;
    }
  }
  return Records.front();
}

} // namespace

int ReadJournal(IFileSystem& Fs, TSideFile& Side, const struct stat& Video, TJournalFile& Found,
                TJournal& Journal)
{
  Found = TJournalFile::Absent;
  Side.Own = {};
  TScopedFd File(Fs);
  int Error =
      Fs.OpenAt(Side.Folder->Fd(), Side.Name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0, File.Out());
  if (Error == ENOENT || Error == ENOTDIR) {
    return 0;
  }
  Found = TJournalFile::Untrusted;
  if (Error != 0) {
    return 0; // a link (ELOOP), or a file we may not read: something is there
  }
  struct stat Info {};
  if (Error = Fs.FStat(File.Get(), Info); Error != 0) {
    return Error;
  }
  // A file mounted over the name is not one of the folder's own.
  if (!Trusted(Info, Video.st_uid) || Info.st_dev != Side.Folder->Id().Device) {
    return 0;
  }
  Side.Own = TFileId::Of(Info);
  Found = TJournalFile::Incomplete;
  auto Size = static_cast<std::uint64_t>(Info.st_size);
  if (Size < JournalFixedSize + 4) {
    return 0;
  }
  std::vector<std::uint8_t> Bytes(Size);
  if (Error = ReadExact(Fs, File.Get(), Bytes.data(), Bytes.size(), 0); Error != 0) {
    return Error == ENODATA ? 0 : Error;
  }
  std::optional<std::vector<TJournal>> Records = DecodeJournalSet(Bytes);
  if (!Records) {
    return 0;
  }
  // A name more than the records means a link that none of our saves made.
  if (Info.st_nlink > Records->size()) {
    Found = TJournalFile::Untrusted;
    return 0;
  }
  Journal = std::move(RecordOf(*Records, Video));
  Found = TJournalFile::Read;
  return 0;
}

bool SideFileExists(IFileSystem& Fs, const TSideFile& File)
{
  struct stat Info {};
  int Error = Fs.StatAt(File.Folder->Fd(), File.Name, Info);
  return Error != ENOENT && Error != ENOTDIR;
}

} // namespace Quillmark::Fs
