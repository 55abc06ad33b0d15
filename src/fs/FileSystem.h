#pragma once
// The file-system seam of the save code. Every call the save makes on a
// file or folder goes through IFileSystem, so tests can fail any one of them
// or stop dead at it as a crash would. Each method returns 0 on success or
// the errno value of the failure; nothing else is reported.
#include <cstddef>
#include <string>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>

namespace Quillmark::Fs {

// The kinds of call, for fault injection and counting.
enum class TFsCall {
  Open,
  Close,
  PRead,
  PWrite,
  FSync,
  FDataSync,
  FAllocate,
  Rename,
  Unlink,
  Stat,
  FStat,
  FStatFs,
  CopyFileRange,
  FChmod,
  FChown,
  CopyXattrs,
  RealPath,
  MakeFolder,
  CloneRange,
  SyncFs,
  FilePath,
  LinkFile,
  LStat,
  OpenAt,
  StatAt,
  FTruncate,
};
constexpr int FsCallKinds = static_cast<int>(TFsCall::FTruncate) + 1;

const char* FsCallName(TFsCall Call);

class IFileSystem {
public:
  virtual ~IFileSystem() = default;
  virtual int Open(const std::string& Path, int Flags, mode_t Mode, int& Fd) = 0;
  virtual int Close(int Fd) = 0;
  // One pread/pwrite; Done may be short. A pread at or past the end is 0 with Done 0.
  virtual int PRead(int Fd, void* Buffer, std::size_t Count, off_t Offset, std::size_t& Done) = 0;
  virtual int PWrite(int Fd, const void* Buffer, std::size_t Count, off_t Offset, std::size_t& Done) = 0;
  virtual int FSync(int Fd) = 0;
  virtual int FDataSync(int Fd) = 0;
  virtual int FAllocate(int Fd, int Mode, off_t Offset, off_t Length) = 0;
  // Sets the file's length: cuts it, or adds a hole that reads as zeros.
  virtual int FTruncate(int Fd, off_t Length) = 0;
  // The calls on a name take the folder it is in as a descriptor (Dir), so
  // that what happens to the folder's own name meanwhile does not matter.
  // Opens Name in the folder Dir.
  virtual int OpenAt(int Dir, const std::string& Name, int Flags, mode_t Mode, int& Fd) = 0;
  // renameat2: Flags 0, RENAME_NOREPLACE or RENAME_EXCHANGE.
  virtual int Rename(int FromDir, const std::string& From, int ToDir, const std::string& To,
                     unsigned Flags) = 0;
  // Removes the file Name of the folder Dir (never a folder).
  virtual int Unlink(int Dir, const std::string& Name) = 0;
  // The status of Name in the folder Dir, not following a link.
  virtual int StatAt(int Dir, const std::string& Name, struct stat& Info) = 0;
  // Follows symbolic links.
  virtual int Stat(const std::string& Path, struct stat& Info) = 0;
  // Does not follow a link in the last part of Path.
  virtual int LStat(const std::string& Path, struct stat& Info) = 0;
  virtual int FStat(int Fd, struct stat& Info) = 0;
  virtual int FStatFs(int Fd, struct statfs& Info) = 0;
  // One copy_file_range call from and to explicit offsets, which it advances.
  virtual int CopyFileRange(int From, off_t& FromOffset, int To, off_t& ToOffset, std::size_t Count,
                            std::size_t& Done) = 0;
  virtual int FChmod(int Fd, mode_t Mode) = 0;
  virtual int FChown(int Fd, uid_t Owner, gid_t Group) = 0;
  // Copies every extended attribute the caller may read and write.
  virtual int CopyXattrs(int From, int To) = 0;
  virtual int RealPath(const std::string& Path, std::string& Resolved) = 0;
  // Where the open file Fd is, as the kernel names it (absolute, no links);
  // only a hint, to be checked against the file: the name may be stale or
  // from another mount namespace. ENOENT when the kernel does not say.
  virtual int FilePath(int Fd, std::string& Path) = 0;
  // One mkdir; EEXIST when something is there already.
  virtual int MakeFolder(const std::string& Path, mode_t Mode) = 0;
  // Makes Length bytes of To at ToOffset share the blocks of From at
  // FromOffset (FICLONERANGE): nothing is copied, or the call fails
  // (EOPNOTSUPP, EXDEV, EINVAL where the file system cannot, for instance
  // at offsets that are not block aligned). Length may end unaligned only
  // at the end of From.
  virtual int CloneRange(int From, off_t FromOffset, int To, off_t ToOffset, off_t Length) = 0;
  // Writes back everything of the file system Fd is on, data and metadata,
  // and waits for it: one call makes the writes of many files durable.
  virtual int SyncFs(int Fd) = 0;
  // Gives the open file Fd one more name, To in the folder Dir (which must
  // not exist): the file itself, whatever its first name has become since
  // it was opened.
  virtual int LinkFile(int Fd, int Dir, const std::string& To) = 0;
};

// The real POSIX implementation (one shared instance, no state).
IFileSystem& PosixFileSystem();

} // namespace Quillmark::Fs
