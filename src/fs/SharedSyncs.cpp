#include "fs/SharedSyncs.h"

#include <linux/magic.h>
#include <sys/statfs.h>

namespace Quillmark::Fs {

bool SharesSyncs(IFileSystem& Fs, int Fd)
{
  struct statfs Info {};
  if (Fs.FStatFs(Fd, Info) != 0) {
    return false;
  }
  switch (static_cast<unsigned long>(Info.f_type)) {
  case EXT4_SUPER_MAGIC:
  case XFS_SUPER_MAGIC:
  case BTRFS_SUPER_MAGIC:
  case F2FS_SUPER_MAGIC:
  case TMPFS_MAGIC:
    return true;
  default:
    return false;
  }
}

bool TSharedSyncs::On(dev_t Device, int Fd)
{
  auto Known = FKnown.find(Device);
  if (Known == FKnown.end()) {
    Known = FKnown.emplace(Device, SharesSyncs(FFs, Fd)).first;
  }
  return Known->second;
}

} // namespace Quillmark::Fs
