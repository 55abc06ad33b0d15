#include "metadata/asf/CopyFile.h"

#include "metadata/asf/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>

namespace Quillmark::Asf {

namespace {

// The kernel copies this much per call, so progress comes often enough.
constexpr std::uint64_t KernelChunk = 64 * 1024 * 1024;

bool KernelCopyUnavailable(int Error)
{
  return Error == EXDEV || Error == EINVAL || Error == ENOSYS || Error == EOPNOTSUPP || Error == ENOTSUP ||
         Error == EBADF;
}

// Writeback is started every this many bytes copied.
constexpr std::uint64_t WriteBehindChunk = 64 * 1024 * 1024;

struct TCopyState {
  IFileSystem& Fs;
  int From;
  int To;
  std::uint64_t FromOffset;
  std::uint64_t ToOffset;
  std::uint64_t Done;
  std::uint64_t Count;
  bool WriteBehind = true;
  std::uint64_t Started = 0; // writeback started up to here (of Done)
  std::uint64_t Awaited = 0; // and finished up to here
};

bool WriteBehindUnavailable(int Error)
{
  return Error == EINVAL || Error == ENOSYS || Error == ESPIPE || Error == EOPNOTSUPP || Error == ENOTSUP;
}

// Each stretch copied is sent to the disk at once and the one before it is
// waited for, so writing overlaps copying, the final fsync finds almost
// nothing left, and a copy of many gigabytes never piles up dirty memory.
int WriteBehind(TCopyState& State)
{
  bool Due = State.Done - State.Started >= WriteBehindChunk || State.Done == State.Count;
  if (!State.WriteBehind || !Due || State.Done == State.Started) {
    return 0;
  }
  auto At = [&State](std::uint64_t Offset) { return static_cast<off_t>(State.ToOffset + Offset); };
  int Error = State.Fs.SyncFileRange(State.To, At(State.Started), At(State.Done) - At(State.Started),
                                     SYNC_FILE_RANGE_WRITE);
  if (Error == 0 && State.Started > State.Awaited) {
    Error = State.Fs.SyncFileRange(State.To, At(State.Awaited), At(State.Started) - At(State.Awaited),
                                   SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                       SYNC_FILE_RANGE_WAIT_AFTER);
  }
  if (Error != 0) {
    State.WriteBehind = false;
    return WriteBehindUnavailable(Error) ? 0 : Error;
  }
  State.Awaited = State.Started;
  State.Started = State.Done;
  return 0;
}

// Counts a step done: writeback, then progress.
int Advance(TCopyState& State, std::uint64_t Step, const TProgressCallback& Progress)
{
  State.Done += Step;
  if (int Error = WriteBehind(State); Error != 0) {
    return Error;
  }
  if (Progress) {
    Progress(State.Done, State.Count);
  }
  return 0;
}

// Copies through the kernel until done; Fallback is set when it cannot.
int KernelCopy(TCopyState& State, const TProgressCallback& Progress, bool& Fallback)
{
  while (State.Done < State.Count) {
    auto FromAt = static_cast<off_t>(State.FromOffset + State.Done);
    auto ToAt = static_cast<off_t>(State.ToOffset + State.Done);
    std::size_t Step = 0;
    int Error = State.Fs.CopyFileRange(State.From, FromAt, State.To, ToAt,
                                       std::min(State.Count - State.Done, KernelChunk), Step);
    if (Error != 0) {
      Fallback = KernelCopyUnavailable(Error);
      return Fallback ? 0 : Error;
    }
    if (Step == 0) {
      return ENODATA;
    }
    if (int Failure = Advance(State, Step, Progress); Failure != 0) {
      return Failure;
    }
  }
  return 0;
}

int BufferedCopy(TCopyState& State, const TProgressCallback& Progress)
{
  std::unique_ptr<std::uint8_t[]> Buffer(new std::uint8_t[CopyBufferSize]);
  while (State.Done < State.Count) {
    auto Step = static_cast<std::size_t>(std::min<std::uint64_t>(State.Count - State.Done, CopyBufferSize));
    if (int Error = ReadExact(State.Fs, State.From, Buffer.get(), Step, State.FromOffset + State.Done)) {
      return Error;
    }
    if (int Error = WriteExact(State.Fs, State.To, Buffer.get(), Step, State.ToOffset + State.Done)) {
      return Error;
    }
    if (int Error = Advance(State, Step, Progress); Error != 0) {
      return Error;
    }
  }
  return 0;
}

} // namespace

int CopyRange(IFileSystem& Fs, int From, std::uint64_t FromOffset, int To, std::uint64_t ToOffset,
              std::uint64_t Count, const TProgressCallback& Progress)
{
  TCopyState State{Fs, From, To, FromOffset, ToOffset, 0, Count};
  if (Progress) {
    Progress(0, Count);
  }
  bool Fallback = false;
  if (int Error = KernelCopy(State, Progress, Fallback); Error != 0 || !Fallback) {
    return Error;
  }
  return BufferedCopy(State, Progress);
}

} // namespace Quillmark::Asf
