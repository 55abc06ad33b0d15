#include "fs/CommitFaultFileSystem.h"

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace QuillmarkTest {

using Quillmark::Fs::TFsCall;

void TFaultFileSystem::FailNth(int Nth, int Errno, std::optional<TFsCall> Kind)
{
  FFaults.push_back({Kind, Nth, Errno, false});
}

void TFaultFileSystem::FailEvery(TFsCall Kind, int Errno)
{
  FFaults.push_back({Kind, 0, Errno, false});
}

void TFaultFileSystem::CrashAtNth(int Nth, std::optional<TFsCall> Kind)
{
  FFaults.push_back({Kind, Nth, 0, true});
}

void TFaultFileSystem::BeforeNth(int Nth, std::function<void()> Event)
{
  FEvents.push_back({Nth, std::move(Event)});
}

void TFaultFileSystem::Reset()
{
  FFaults.clear();
  FEvents.clear();
  FLog.clear();
  FCalls = 0;
  FBytesWritten = 0;
  FBytesRead = 0;
  FBytesCloned = 0;
  std::fill(std::begin(FCallsOf), std::end(FCallsOf), 0);
  FCrashed = false;
  FCrashPending = false;
}

void TFaultFileSystem::CloseLeftovers()
{
  for (int Fd : FOpen) {
    ::close(Fd);
  }
  FOpen.clear();
}

bool TFaultFileSystem::Matches(const TFault& Fault, TFsCall Kind) const
{
  if (Fault.Kind && *Fault.Kind != Kind) {
    return false;
  }
  int Count = Fault.Kind ? FCallsOf[static_cast<int>(Kind)] : FCalls;
  return Fault.Nth == 0 || Fault.Nth == Count;
}

// Close runs in destructors, where a throw would end the program, so a crash
// at a close happens after it, at the next call.
int TFaultFileSystem::Enter(TFsCall Kind)
{
  if (FCrashed) {
    return EIO;
  }
  if (FCrashPending && Kind != TFsCall::Close) {
    FCrashed = true;
    throw ESimulatedCrash();
  }
  ++FCalls;
  ++FCallsOf[static_cast<int>(Kind)];
  FLog.push_back(Kind);
  for (TEvent& Event : FEvents) {
    if (Event.Nth == FCalls && Event.Run) {
      std::exchange(Event.Run, nullptr)();
    }
  }
  for (const TFault& Fault : FFaults) {
    if (!Matches(Fault, Kind)) {
      continue;
    }
    if (Fault.Crash && Kind == TFsCall::Close) {
      FCrashPending = true;
      return 0;
    }
    if (Fault.Crash) {
      FCrashed = true;
      throw ESimulatedCrash();
    }
    return Fault.Errno;
  }
  return 0;
}

int TFaultFileSystem::Open(const std::string& Path, int Flags, mode_t Mode, int& Fd)
{
  Fd = -1;
  if (int Error = Enter(TFsCall::Open)) {
    return Error;
  }
  int Error = FReal.Open(Path, Flags, Mode, Fd);
  if (Error == 0) {
    FOpen.insert(Fd);
  }
  return Error;
}

int TFaultFileSystem::OpenAt(int Dir, const std::string& Name, int Flags, mode_t Mode, int& Fd)
{
  Fd = -1;
  if (int Error = Enter(TFsCall::OpenAt)) {
    return Error;
  }
  int Error = FReal.OpenAt(Dir, Name, Flags, Mode, Fd);
  if (Error == 0) {
    FOpen.insert(Fd);
  }
  return Error;
}

// A descriptor is gone after close whatever it reports, so a failed close
// still closes, and close goes on working after a crash.
int TFaultFileSystem::Close(int Fd)
{
  int Error = FCrashed ? 0 : Enter(TFsCall::Close);
  FOpen.erase(Fd);
  int RealError = FReal.Close(Fd);
  return Error != 0 ? Error : RealError;
}

#define QUILLMARK_FORWARD(KIND, CALL)                                                                        \
  if (int Error = Enter(TFsCall::KIND)) {                                                                    \
    return Error;                                                                                            \
  }                                                                                                          \
  return FReal.CALL

int TFaultFileSystem::PRead(int Fd, void* Buffer, std::size_t Count, off_t Offset, std::size_t& Done)
{
  Done = 0;
  if (int Error = Enter(TFsCall::PRead)) {
    return Error;
  }
  int Error = FReal.PRead(Fd, Buffer, Count, Offset, Done);
  FBytesRead += Done;
  return Error;
}

int TFaultFileSystem::PWrite(int Fd, const void* Buffer, std::size_t Count, off_t Offset, std::size_t& Done)
{
  Done = 0;
  if (int Error = Enter(TFsCall::PWrite)) {
    return Error;
  }
  int Error = FReal.PWrite(Fd, Buffer, Count, Offset, Done);
  FBytesWritten += Done;
  return Error;
}

int TFaultFileSystem::FSync(int Fd)
{
  QUILLMARK_FORWARD(FSync, FSync(Fd));
}
int TFaultFileSystem::FDataSync(int Fd)
{
  QUILLMARK_FORWARD(FDataSync, FDataSync(Fd));
}

int TFaultFileSystem::FAllocate(int Fd, int Mode, off_t Offset, off_t Length)
{
  QUILLMARK_FORWARD(FAllocate, FAllocate(Fd, Mode, Offset, Length));
}

int TFaultFileSystem::FTruncate(int Fd, off_t Length)
{
  QUILLMARK_FORWARD(FTruncate, FTruncate(Fd, Length));
}

int TFaultFileSystem::Rename(int FromDir, const std::string& From, int ToDir, const std::string& To,
                             unsigned Flags)
{
  QUILLMARK_FORWARD(Rename, Rename(FromDir, From, ToDir, To, Flags));
}

int TFaultFileSystem::Unlink(int Dir, const std::string& Name)
{
  QUILLMARK_FORWARD(Unlink, Unlink(Dir, Name));
}
int TFaultFileSystem::StatAt(int Dir, const std::string& Name, struct stat& Info)
{
  QUILLMARK_FORWARD(StatAt, StatAt(Dir, Name, Info));
}
int TFaultFileSystem::Stat(const std::string& Path, struct stat& Info)
{
  QUILLMARK_FORWARD(Stat, Stat(Path, Info));
}
int TFaultFileSystem::LStat(const std::string& Path, struct stat& Info)
{
  QUILLMARK_FORWARD(LStat, LStat(Path, Info));
}
int TFaultFileSystem::FStat(int Fd, struct stat& Info)
{
  QUILLMARK_FORWARD(FStat, FStat(Fd, Info));
}
int TFaultFileSystem::FStatFs(int Fd, struct statfs& Info)
{
  if (int Error = Enter(TFsCall::FStatFs)) {
    return Error;
  }
  int Error = FReal.FStatFs(Fd, Info);
  if (Error == 0 && FFreeBlocks) {
    Info.f_bavail = Info.f_bfree = *FFreeBlocks;
  }
  if (Error == 0 && FCloneBlock != 0) {
    Info.f_bsize = static_cast<decltype(Info.f_bsize)>(FCloneBlock);
  }
  return Error;
}

int TFaultFileSystem::CopyFileRange(int From, off_t& FromOffset, int To, off_t& ToOffset, std::size_t Count,
                                    std::size_t& Done)
{
  Done = 0;
  QUILLMARK_FORWARD(CopyFileRange, CopyFileRange(From, FromOffset, To, ToOffset, Count, Done));
}

int TFaultFileSystem::FChmod(int Fd, mode_t Mode)
{
  QUILLMARK_FORWARD(FChmod, FChmod(Fd, Mode));
}
int TFaultFileSystem::FChown(int Fd, uid_t Owner, gid_t Group)
{
  QUILLMARK_FORWARD(FChown, FChown(Fd, Owner, Group));
}
int TFaultFileSystem::CopyXattrs(int From, int To)
{
  QUILLMARK_FORWARD(CopyXattrs, CopyXattrs(From, To));
}

int TFaultFileSystem::RealPath(const std::string& Path, std::string& Resolved)
{
  QUILLMARK_FORWARD(RealPath, RealPath(Path, Resolved));
}

int TFaultFileSystem::FilePath(int Fd, std::string& Path)
{
  QUILLMARK_FORWARD(FilePath, FilePath(Fd, Path));
}

int TFaultFileSystem::MakeFolder(const std::string& Path, mode_t Mode)
{
  QUILLMARK_FORWARD(MakeFolder, MakeFolder(Path, Mode));
}

int TFaultFileSystem::CloneRange(int From, off_t FromOffset, int To, off_t ToOffset, off_t Length)
{
  if (FCloneBlock == 0) {
    QUILLMARK_FORWARD(CloneRange, CloneRange(From, FromOffset, To, ToOffset, Length));
  }
  if (int Error = Enter(TFsCall::CloneRange)) {
    return Error;
  }
  return EmulatedClone(From, FromOffset, To, ToOffset, Length);
}

int TFaultFileSystem::SyncFs(int Fd)
{
  QUILLMARK_FORWARD(SyncFs, SyncFs(Fd));
}
int TFaultFileSystem::LinkFile(int Fd, int Dir, const std::string& To)
{
  QUILLMARK_FORWARD(LinkFile, LinkFile(Fd, Dir, To));
}

#undef QUILLMARK_FORWARD

// As btrfs and XFS check a clone: both offsets on block boundaries, and the
// length too unless the range ends at the end of the source.
int TFaultFileSystem::EmulatedClone(int From, off_t FromOffset, int To, off_t ToOffset, off_t Length)
{
  struct stat Info {};
  if (FReal.FStat(From, Info) != 0 || Length <= 0 || FromOffset + Length > Info.st_size) {
    return EINVAL;
  }
  auto Block = static_cast<off_t>(FCloneBlock);
  bool EndsAtEof = FromOffset + Length == Info.st_size;
  if (FromOffset % Block != 0 || ToOffset % Block != 0 || (!EndsAtEof && Length % Block != 0)) {
    return EINVAL;
  }
  std::vector<std::uint8_t> Bytes(static_cast<std::size_t>(Length));
  std::size_t Done = 0;
  if (FReal.PRead(From, Bytes.data(), Bytes.size(), FromOffset, Done) != 0 || Done != Bytes.size()) {
    return EIO;
  }
  if (FReal.PWrite(To, Bytes.data(), Bytes.size(), ToOffset, Done) != 0 || Done != Bytes.size()) {
    return EIO;
  }
  FBytesCloned += Bytes.size();
  return 0;
}

} // namespace QuillmarkTest
