#include "fs/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace Quillmark::Fs {

namespace {

int Errno(int Result)
{
  return Result == 0 ? 0 : errno;
}

// Reads a list or a value whose size the first call reports; the size may
// change between the two calls, so it is asked again until the read fits.
template <class TRead> int ReadSized(TRead Read, std::vector<char>& Buffer)
{
  for (int Attempt = 0; Attempt < 8; ++Attempt) {
    ssize_t Size = Read(nullptr, 0);
    if (Size < 0) {
      return errno;
    }
    Buffer.resize(static_cast<std::size_t>(Size));
    Size = Read(Buffer.data(), Buffer.size());
    if (Size >= 0) {
      Buffer.resize(static_cast<std::size_t>(Size));
      return 0;
    }
    if (errno != ERANGE) {
      return errno;
    }
  }
  return ERANGE;
}

bool IgnorableXattrError(int Error)
{
  // Namespaces the caller may not write (trusted, security) or a target that
  // keeps no attributes: the copy goes on without them.
  return Error == ENOTSUP || Error == EPERM || Error == EACCES;
}

int CopyOneXattr(int From, int To, const char* Name)
{
  std::vector<char> Value;
  int Error =
      ReadSized([&](void* Data, std::size_t Size) { return fgetxattr(From, Name, Data, Size); }, Value);
  if (Error != 0) {
    return IgnorableXattrError(Error) || Error == ENODATA ? 0 : Error;
  }
  if (fsetxattr(To, Name, Value.data(), Value.size(), 0) != 0) {
    return IgnorableXattrError(errno) ? 0 : errno;
  }
  return 0;
}

class TPosixFileSystem : public IFileSystem {
public:
  int Open(const std::string& Path, int Flags, mode_t Mode, int& Fd) override
  {
    do {
      Fd = ::open(Path.c_str(), Flags | O_CLOEXEC, Mode);
    } while (Fd < 0 && errno == EINTR);
    return Fd < 0 ? errno : 0;
  }

  // The descriptor is gone whatever close reports, so EINTR is not retried.
  int Close(int Fd) override { return Errno(::close(Fd)); }

  int PRead(int Fd, void* Buffer, std::size_t Count, off_t Offset, std::size_t& Done) override
  {
    ssize_t Result = 0;
    do {
      Result = ::pread(Fd, Buffer, Count, Offset);
    } while (Result < 0 && errno == EINTR);
    Done = Result < 0 ? 0 : static_cast<std::size_t>(Result);
    return Result < 0 ? errno : 0;
  }

  int PWrite(int Fd, const void* Buffer, std::size_t Count, off_t Offset, std::size_t& Done) override
  {
    ssize_t Result = 0;
    do {
      Result = ::pwrite(Fd, Buffer, Count, Offset);
    } while (Result < 0 && errno == EINTR);
    Done = Result < 0 ? 0 : static_cast<std::size_t>(Result);
    return Result < 0 ? errno : 0;
  }

  int FSync(int Fd) override { return Errno(::fsync(Fd)); }
  int FDataSync(int Fd) override { return Errno(::fdatasync(Fd)); }

  int FAllocate(int Fd, int Mode, off_t Offset, off_t Length) override
  {
    int Result = 0;
    do {
      Result = ::fallocate(Fd, Mode, Offset, Length);
    } while (Result != 0 && errno == EINTR);
    return Errno(Result);
  }

  int FTruncate(int Fd, off_t Length) override
  {
    int Result = 0;
    do {
      Result = ::ftruncate(Fd, Length);
    } while (Result != 0 && errno == EINTR);
    return Errno(Result);
  }

  int OpenAt(int Dir, const std::string& Name, int Flags, mode_t Mode, int& Fd) override
  {
    do {
      Fd = ::openat(Dir, Name.c_str(), Flags | O_CLOEXEC, Mode);
    } while (Fd < 0 && errno == EINTR);
    return Fd < 0 ? errno : 0;
  }
  int Rename(int FromDir, const std::string& From, int ToDir, const std::string& To, unsigned Flags) override
  {
    return Errno(::renameat2(FromDir, From.c_str(), ToDir, To.c_str(), Flags));
  }
  int Unlink(int Dir, const std::string& Name) override { return Errno(::unlinkat(Dir, Name.c_str(), 0)); }
  int StatAt(int Dir, const std::string& Name, struct stat& Info) override
  {
    return Errno(::fstatat(Dir, Name.c_str(), &Info, AT_SYMLINK_NOFOLLOW));
  }
  int Stat(const std::string& Path, struct stat& Info) override { return Errno(::stat(Path.c_str(), &Info)); }
  int LStat(const std::string& Path, struct stat& Info) override
  {
    return Errno(::lstat(Path.c_str(), &Info));
  }
  int FStat(int Fd, struct stat& Info) override { return Errno(::fstat(Fd, &Info)); }
  int FStatFs(int Fd, struct statfs& Info) override { return Errno(::fstatfs(Fd, &Info)); }

  int CopyFileRange(int From, off_t& FromOffset, int To, off_t& ToOffset, std::size_t Count,
                    std::size_t& Done) override
  {
    ssize_t Result = 0;
    do {
      Result = ::copy_file_range(From, &FromOffset, To, &ToOffset, Count, 0);
    } while (Result < 0 && errno == EINTR);
    Done = Result < 0 ? 0 : static_cast<std::size_t>(Result);
    return Result < 0 ? errno : 0;
  }

  int FChmod(int Fd, mode_t Mode) override { return Errno(::fchmod(Fd, Mode)); }
  int FChown(int Fd, uid_t Owner, gid_t Group) override { return Errno(::fchown(Fd, Owner, Group)); }

  int CopyXattrs(int From, int To) override
  {
    std::vector<char> Names;
    int Error = ReadSized(
        [&](void* Data, std::size_t Size) { return flistxattr(From, static_cast<char*>(Data), Size); },
        Names);
    if (Error != 0) {
      return Error == ENOTSUP ? 0 : Error;
    }
    for (std::size_t At = 0; At < Names.size();) {
      const char* Name = Names.data() + At;
      std::size_t Length = strnlen(Name, Names.size() - At);
      if ((Error = CopyOneXattr(From, To, Name)) != 0) {
        return Error;
      }
      At += Length + 1;
    }
    return 0;
  }

  int RealPath(const std::string& Path, std::string& Resolved) override
  {
    std::unique_ptr<char, decltype(&std::free)> Result(::realpath(Path.c_str(), nullptr), &std::free);
    if (!Result) {
      return errno;
    }
    Resolved = Result.get();
    return 0;
  }

  int FilePath(int Fd, std::string& Path) override
  {
    char Link[32];
    std::snprintf(Link, sizeof Link, "/proc/self/fd/%d", Fd);
    std::vector<char> Buffer(PATH_MAX);
    ssize_t Length = ::readlink(Link, Buffer.data(), Buffer.size());
    if (Length < 0) {
      return errno;
    }
    // Cut short: not a name to use.
    if (static_cast<std::size_t>(Length) >= Buffer.size()) {
      return ENAMETOOLONG;
    }
    Path.assign(Buffer.data(), static_cast<std::size_t>(Length));
    return 0;
  }

  int MakeFolder(const std::string& Path, mode_t Mode) override { return Errno(::mkdir(Path.c_str(), Mode)); }

  int CloneRange(int From, off_t FromOffset, int To, off_t ToOffset, off_t Length) override
  {
    file_clone_range Range{};
    Range.src_fd = From;
    Range.src_offset = static_cast<__u64>(FromOffset);
    Range.src_length = static_cast<__u64>(Length);
    Range.dest_offset = static_cast<__u64>(ToOffset);
    int Result = 0;
    do {
      Result = ::ioctl(To, FICLONERANGE, &Range);
    } while (Result != 0 && errno == EINTR);
    return Errno(Result);
  }

  int SyncFs(int Fd) override { return Errno(::syncfs(Fd)); }

  // Through /proc, which links the descriptor's file itself without the
  // privilege that AT_EMPTY_PATH needs.
  int LinkFile(int Fd, int Dir, const std::string& To) override
  {
    const std::string From = "/proc/self/fd/" + std::to_string(Fd);
    return Errno(::linkat(AT_FDCWD, From.c_str(), Dir, To.c_str(), AT_SYMLINK_FOLLOW));
  }
};

} // namespace

const char* FsCallName(TFsCall Call)
{
  static const char* const Names[FsCallKinds] = {
      "open",   "close",  "pread",    "pwrite", "fsync",    "fdatasync",       "fallocate",
      "rename", "unlink", "stat",     "fstat",  "fstatfs",  "copy_file_range", "fchmod",
      "fchown", "xattrs", "realpath", "mkdir",  "clone",    "syncfs",          "fdpath",
      "link",   "lstat",  "openat",   "statat", "ftruncate"};
  return Names[static_cast<int>(Call)];
}

IFileSystem& PosixFileSystem()
{
  static TPosixFileSystem Instance;
  return Instance;
}

} // namespace Quillmark::Fs
