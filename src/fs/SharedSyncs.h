#pragma once
// Whether the saves of a batch on one file system may share their syncs:
// one syncfs then stands for the fsync of each file it wrote, which holds
// only where syncfs writes back every dirty file and its metadata and waits
// for the disk (ext2/3/4, XFS, Btrfs, F2FS, tmpfs). Elsewhere (FUSE, network
// file systems) it may only start the writes, so each save syncs its own.
#include "fs/FileSystem.h"

#include <map>
#include <sys/types.h>

namespace Quillmark::Fs {

// For the file system of the open file Fd; false when it cannot be told.
bool SharesSyncs(IFileSystem& Fs, int Fd);

// The same, asked once per device (Device: the file's st_dev).
class TSharedSyncs {
public:
  explicit TSharedSyncs(IFileSystem& Fs) : FFs(Fs) {}
  bool On(dev_t Device, int Fd);

private:
  IFileSystem& FFs;
  std::map<dev_t, bool> FKnown;
};

} // namespace Quillmark::Fs
