// Growing a header on a file system that can share blocks between files:
// the new file gets the header and a partial block written, and the media
// after it cloned at block-aligned offsets, so a save of a 600 MB video
// writes kilobytes.
#include "asf/CommitImage.h"
#include "asf/CommitPaths.h"
#include "asf/PaddingPolicy.h"
#include "fs/CopyFile.h"

#include <algorithm>
#include <cerrno>

namespace Quillmark::Asf {

namespace {

// Cloned in pieces of this size (a multiple of any block size), so the
// progress of a long video moves.
constexpr std::uint64_t ClonePiece = 256ULL << 20;

// What a file system that cannot clone (or not these files, or not at
// these offsets) answers.
bool CloneUnsupported(int Error)
{
  return Error == EOPNOTSUPP || Error == ENOTSUP || Error == EXDEV || Error == EINVAL || Error == ENOTTY ||
         Error == ENOSYS;
}

struct TClonePlan {
  std::uint64_t Growth = 0;   // whole blocks added in front of the Data Object
  std::uint64_t Boundary = 0; // the first block boundary at or after the old header
};

// False when the block size is unknown or nothing past the first boundary
// is left to clone.
bool PlanClone(const TCommitContext& Context, TClonePlan& Plan)
{
  struct statfs FsInfo {};
  if (Context.Fs.FStatFs(Context.Request.Fd, FsInfo) != 0 || FsInfo.f_bsize <= 0) {
    return false;
  }
  auto Block = static_cast<std::uint64_t>(FsInfo.f_bsize);
  std::uint64_t Old = Context.Request.OldHeaderSize;
  std::uint64_t Needed = Context.NewSize() + GrowthPadding(Context.FileSize()) - Old;
  Plan.Growth = (Needed + Block - 1) / Block * Block;
  Plan.Boundary = (Old + Block - 1) / Block * Block;
  return Plan.Boundary < Context.FileSize();
}

// Copies what is left when a file system stops cloning midway.
int CopyRest(TCommitContext& Context, int To, const TClonePlan& Plan, std::uint64_t Done, std::uint64_t Count)
{
  const TProgressCallback& Progress = Context.Request.Progress;
  TProgressCallback Shifted;
  if (Progress) {
    Shifted = [&](QWORD Part, QWORD) { Progress(Done + Part, Count); };
  }
  return CopyRange(Context.Fs, Context.Request.Fd, Plan.Boundary + Done, To,
                   Plan.Boundary + Plan.Growth + Done, Count - Done, Shifted);
}

// Clones the video from the boundary to its end into To, Growth further on.
// Unsupported is set, with nothing done (and no progress reported), when
// the first piece cannot be cloned. The new file is still empty then: the
// clone comes first, as the cheapest test of whether the file system can.
int CloneBody(TCommitContext& Context, int To, const TClonePlan& Plan, bool& Unsupported)
{
  const TProgressCallback& Progress = Context.Request.Progress;
  std::uint64_t Count = Context.FileSize() - Plan.Boundary;
  for (std::uint64_t Done = 0; Done < Count;) {
    std::uint64_t Step = std::min(Count - Done, ClonePiece);
    int Error = Context.Fs.CloneRange(Context.Request.Fd, static_cast<off_t>(Plan.Boundary + Done), To,
                                      static_cast<off_t>(Plan.Boundary + Plan.Growth + Done),
                                      static_cast<off_t>(Step));
    if (Error != 0 && CloneUnsupported(Error)) {
      Unsupported = Done == 0;
      return Unsupported ? 0 : CopyRest(Context, To, Plan, Done, Count);
    }
    if (Error != 0) {
      return Error;
    }
    Done += Step;
    if (Progress) {
      Progress(Done, Count);
    }
  }
  return 0;
}

// The header, then the old bytes from its end to the first block boundary.
int WriteHead(TCommitContext& Context, int To, const std::vector<std::uint8_t>& Header,
              const TClonePlan& Plan)
{
  if (int Error = WriteExact(Context.Fs, To, Header.data(), Header.size(), 0); Error != 0) {
    return Error;
  }
  std::uint64_t Old = Context.Request.OldHeaderSize;
  return CopyRange(Context.Fs, Context.Request.Fd, Old, To, Header.size(), Plan.Boundary - Old, {});
}

} // namespace

HRESULT WriteClone(TCommitContext& Context, TScopedFd& Copy, std::vector<std::uint8_t>& Header, bool& Settled)
{
  Settled = false;
  TClonePlan Plan;
  if (!PlanClone(Context, Plan)) {
    return S_OK;
  }
  std::uint64_t Old = Context.Request.OldHeaderSize;
  Header = ComposeHeader(Context.NewHeader(), Old + Plan.Growth - Context.NewSize(),
                         Context.FileSize() + Plan.Growth);
  Settled = true;
  if (HRESULT Result = OpenReplacement(Context, Copy); Result != S_OK) {
    return Result;
  }
  if (HRESULT Result = KeepOwner(Context, Copy.Get()); Result != S_OK) {
    return DropReplacement(Context, Copy, Result);
  }
  bool Unsupported = false;
  if (int Error = CloneBody(Context, Copy.Get(), Plan, Unsupported); Error != 0) {
    return DropReplacement(Context, Copy, Error == ENODATA ? E_FILE_CHANGED : ErrnoResult(Error));
  }
  if (Unsupported) {
    // Only a clean removal of the new file lets the copy go ahead.
    Copy.Reset();
    int Error = RemoveSideFile(Context.Fs, Context.Names.Temp);
    Context.Names.Temp.Own = {};
    Settled = Error != 0;
    return Error == 0 ? S_OK : ErrnoResult(Error);
  }
  if (int Error = WriteHead(Context, Copy.Get(), Header, Plan); Error != 0) {
    return DropReplacement(Context, Copy, Error == ENODATA ? E_FILE_CHANGED : ErrnoResult(Error));
  }
  Context.Way = TSaveWay::Clone;
  return CopyAttributes(Context, Copy);
}

HRESULT CommitByClone(TCommitContext& Context, bool& Settled)
{
  TScopedFd Copy(Context.Fs);
  std::vector<std::uint8_t> Header;
  if (HRESULT Result = WriteClone(Context, Copy, Header, Settled); Result != S_OK || !Settled) {
    return Result;
  }
  return FinishReplacement(Context, Copy, Header);
}

} // namespace Quillmark::Asf
