#include "fs/CopyFile.h"

#include "fs/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <memory>

namespace Quillmark::Fs {

namespace {

// The kernel copies this much per call, so progress comes often enough.
constexpr std::uint64_t KernelChunk = 64 * 1024 * 1024;

bool KernelCopyUnavailable(int Error)
{
  return Error == EXDEV || Error == EINVAL || Error == ENOSYS || Error == EOPNOTSUPP || Error == ENOTSUP ||
         Error == EBADF;
}

struct TCopyState {
  IFileSystem& Fs;
  int From;
  int To;
  std::uint64_t FromOffset;
  std::uint64_t ToOffset;
  std::uint64_t Done;
  std::uint64_t Count;
};

// Copies through the kernel until done; Fallback is set when it cannot.
int KernelCopy(TCopyState& State, const TCopyProgress& Progress, bool& Fallback)
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
    State.Done += Step;
    if (Progress) {
      Progress(State.Done, State.Count);
    }
  }
  return 0;
}

int BufferedCopy(TCopyState& State, const TCopyProgress& Progress)
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
    State.Done += Step;
    if (Progress) {
      Progress(State.Done, State.Count);
    }
  }
  return 0;
}

} // namespace

int CopyRange(IFileSystem& Fs, int From, std::uint64_t FromOffset, int To, std::uint64_t ToOffset,
              std::uint64_t Count, const TCopyProgress& Progress)
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

} // namespace Quillmark::Fs
