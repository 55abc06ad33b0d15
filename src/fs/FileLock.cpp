#include "fs/FileLock.h"

#include "fs/FsError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quillmark::Fs {

namespace {

TFileIdentity IdentityOf(const struct stat& Status)
{
  TFileIdentity Identity;
  Identity.Device = Status.st_dev;
  Identity.Inode = Status.st_ino;
  Identity.Size = static_cast<std::uint64_t>(Status.st_size);
  Identity.ModifiedSeconds = Status.st_mtim.tv_sec;
  Identity.ModifiedNanoseconds = Status.st_mtim.tv_nsec;
  return Identity;
}

struct stat StatusOf(int Descriptor)
{
  struct stat Status {};
  if (fstat(Descriptor, &Status) != 0) {
    const int Error = errno;
    throw EFsError(TFsFailure::Other, Error, std::string("cannot query the file: ") + std::strerror(Error));
  }
  return Status;
}

void RequireRegular(const struct stat& Status)
{
  if (!S_ISREG(Status.st_mode)) {
    throw EFsError(TFsFailure::NotRegular, 0, "not a regular file");
  }
}

void Lock(int Descriptor, bool Exclusive)
{
  struct flock Request {};
  Request.l_type = static_cast<short>(Exclusive ? F_WRLCK : F_RDLCK);
  Request.l_whence = SEEK_SET;
  if (fcntl(Descriptor, F_OFD_SETLK, &Request) == 0) {
    return;
  }
  int Error = errno;
  if (Error == EAGAIN || Error == EACCES) {
    throw EFsError(TFsFailure::Locked, Error, "the file is in use by another program");
  }
  // File systems without record locks: the file opens unheld rather than not at all.
  if (Error == ENOLCK || Error == EOPNOTSUPP || Error == EINVAL) {
    return;
  }
  throw EFsError(TFsFailure::Other, Error, std::string("cannot lock the file: ") + std::strerror(Error));
}

} // namespace

TLockedFile::TLockedFile(const std::string& Path, bool Writable, bool FollowLinks)
    : FWritable(Writable), FPath(Path)
{
  // Non-blocking so that a FIFO or device cannot stall the open; it is refused below.
  int Flags =
      (Writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (FollowLinks ? 0 : O_NOFOLLOW);
  FDescriptor = open(Path.c_str(), Flags);
  if (FDescriptor < 0) {
    const int Error = errno;
    if (Error == ELOOP && !FollowLinks) {
      throw EFsError(TFsFailure::NotRegular, Error, "not a regular file");
    }
    throw EFsError(TFsFailure::Open, Error, std::string("cannot open the file: ") + std::strerror(Error));
  }
  try {
    // The status is taken once the lock is held, so that it is the file no
    // other save of ours is changing; a pipe or device is refused as such
    // even when somebody holds a lock on it.
    try {
      Lock(FDescriptor, Writable);
    } catch (const EFsError&) {
      RequireRegular(StatusOf(FDescriptor));
      throw;
    }
    FStatus = StatusOf(FDescriptor);
    RequireRegular(FStatus);
    FIdentity = IdentityOf(FStatus);
  } catch (...) {
    close(FDescriptor);
    throw;
  }
}

TLockedFile::~TLockedFile()
{
  // Closing the last descriptor of the open file description releases its lock.
  close(FDescriptor);
}

TFileIdentity TLockedFile::CurrentIdentity() const
{
  return IdentityOf(StatusOf(FDescriptor));
}

} // namespace Quillmark::Fs
