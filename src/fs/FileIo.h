#pragma once
// Small helpers of the save code over the file-system seam: whole reads and
// writes, folder syncs and a descriptor that closes itself.
#include "fs/FileSystem.h"
#include "fs/SaveNames.h"

#include <cstdint>
#include <string>

namespace Quillmark::Fs {

// Reads exactly Count bytes; ENODATA when the file ends first.
int ReadExact(IFileSystem& Fs, int Fd, void* Buffer, std::size_t Count, std::uint64_t Offset);
int WriteExact(IFileSystem& Fs, int Fd, const void* Buffer, std::size_t Count, std::uint64_t Offset);

// Makes the creation, removal or renaming of a held folder's entries durable.
int SyncFolder(IFileSystem& Fs, const TFolder& Folder);

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

} // namespace Quillmark::Fs
