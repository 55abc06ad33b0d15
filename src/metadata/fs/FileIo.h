#pragma once
// Small helpers of the save code over the file-system seam: whole reads and
// writes, folder syncs, result mapping, the names of our side files and a
// descriptor that closes itself.
#include "metadata/MetadataEditor.h"
#include "metadata/fs/FileSystem.h"

#include <cstdint>
#include <string>

namespace Quillmark::Asf {

// E_DISK_FULL for a full disk or quota, E_ACCESS_DENIED for an access the
// system refuses, E_IO_FAILURE for anything else.
HRESULT ErrnoResult(int Error);

// Reads exactly Count bytes; ENODATA when the file ends first.
int ReadExact(IFileSystem& Fs, int Fd, void* Buffer, std::size_t Count, std::uint64_t Offset);
int WriteExact(IFileSystem& Fs, int Fd, const void* Buffer, std::size_t Count, std::uint64_t Offset);

// Makes the creation, removal or renaming of a folder's entries durable.
int SyncFolder(IFileSystem& Fs, const std::string& Folder);

// A video's real location and the hidden files that sit beside it while it
// is saved: ".<name>.quillmark-journal" (the rollback journal of an in-place
// save) and ".<name>.quillmark-new" (the copy a rewriting save builds).
struct TSaveNames {
  std::string Target;
  std::string Folder;
  std::string Journal;        // where this save's journal is (beside, until WriteJournal moves it)
  std::string JournalFolder;  // the folder that holds Journal
  std::string PrivateJournal; // the place in the saver's own folder; empty when none
  std::string Temp;
};

// Resolves symbolic links and relative parts of Path first, so the names
// belong to the file itself, not to a link.
int ResolveSaveNames(IFileSystem& Fs, const std::string& Path, TSaveNames& Names);
// The names beside Target, a path resolved already (absolute, no links).
int SaveNamesOf(const std::string& Target, TSaveNames& Names);
// The names beside the open file Fd (Info: its status), opened as Path:
// taken from where the kernel says the file is when that place holds this
// very file (two calls, whatever the depth of the path), or, for the next
// file named in the same folder, from that folder when the name there is
// the file itself and no link (one call); else as ResolveSaveNames.
int ResolveOpenSaveNames(IFileSystem& Fs, int Fd, const struct stat& Info, const std::string& Path,
                         TSaveNames& Names);
// Adds the name the video's journal has in the saver's own folder.
void AddPrivateJournal(TSaveNames& Names, std::uint64_t Inode);

class TScopedFd {
public:
  explicit TScopedFd(IFileSystem& Fs, int Fd = -1) : FFs(Fs), FFd(Fd) {}
  ~TScopedFd() { Reset(); }
  TScopedFd(const TScopedFd&) = delete;
  TScopedFd& operator=(const TScopedFd&) = delete;

  int Get() const { return FFd; }
  int& Out() { return FFd; }
  // Closes now; the result matters only where data was written unsynced.
  int Reset();

private:
  IFileSystem& FFs;
  int FFd;
};

} // namespace Quillmark::Asf
