#include "asf/CommitImage.h"
#include "asf/CommitPaths.h"
#include "asf/PaddingPolicy.h"
#include "fs/Journal.h"

#include <algorithm>
#include <new>

namespace Quillmark::Asf {

namespace {

// Where the bytes that are not zero end.
std::size_t EndOfBytes(const std::vector<std::uint8_t>& Bytes)
{
  auto Last = std::find_if(Bytes.rbegin(), Bytes.rend(), [](std::uint8_t Byte) { return Byte != 0; });
  return static_cast<std::size_t>(Bytes.rend() - Last);
}

std::uint64_t RoundUp(std::uint64_t Value, std::uint64_t Block)
{
  return (Value + Block - 1) / Block * Block;
}

// The journal of a collapse: the old header up to its last byte that is
// not zero, the new one up to its Padding Object's size field, and the
// range; both headers hold nothing but zeros from the range on.
TJournal MakeCollapseJournal(const TCommitContext& Context, const TCollapsePlan& Plan)
{
  TJournal Journal = MakeJournal(Context, static_cast<std::size_t>(Plan.OldEnd));
  Journal.Kind = TJournalKind::CollapseRange;
  Journal.InsertOffset = Plan.Offset;
  Journal.InsertLength = Plan.Length;
  Journal.NewBytes.assign(Plan.Header.begin(), Plan.Header.begin() + static_cast<long>(Plan.Objects));
  return Journal;
}

} // namespace

HRESULT PlanCollapse(TCommitContext& Context, TCollapsePlan& Plan, bool& Possible)
{
  Possible = false;
  struct statfs FsInfo {};
  if (Context.Fs.FStatFs(Context.Request.Fd, FsInfo) != 0 || FsInfo.f_bsize <= 0 || !MovesRanges(FsInfo)) {
    return S_OK;
  }
  const auto Block = static_cast<std::uint64_t>(FsInfo.f_bsize);
  const std::uint64_t Old = Context.Request.OldHeaderSize;
  // Only zeros may be taken out, so the whole old header is looked at.
  if (HRESULT Result = ReadMoreOldHeader(Context, Old); Result != S_OK) {
    return Result;
  }
  const std::uint64_t Objects = Context.NewSize() + PaddingObjectHeaderSize;
  const std::uint64_t Keep = Context.NewSize() + Context.Request.CompactPadding.value_or(0);
  Plan.OldEnd = std::max<std::uint64_t>(EndOfBytes(Context.OldHeader), HeaderObjectFixedSize);
  // The range starts on the first block boundary after both headers' objects
  // and leaves the new header at least its margin of padding.
  Plan.Offset = RoundUp(std::max(Plan.OldEnd, Objects), Block);
  const std::uint64_t Least = std::max(Plan.Offset, Keep);
  Plan.Length = Old > Least ? (Old - Least) / Block * Block : 0;
  if (Plan.Length == 0) {
    return S_OK;
  }
  const std::uint64_t NewSize = Old - Plan.Length;
  Plan.Header =
      ComposeHeader(Context.NewHeader(), NewSize - Context.NewSize(), Context.FileSize() - Plan.Length);
  Plan.Objects = static_cast<std::size_t>(Objects);
  Possible = true;
  return S_OK;
}

HRESULT CommitByCollapse(TCommitContext& Context, bool& Settled)
{
  Settled = true;
  TCollapsePlan Plan;
  bool Possible = false;
  if (HRESULT Result = PlanCollapse(Context, Plan, Possible); Result != S_OK || !Possible) {
    Settled = Result != S_OK;
    return Result;
  }
  const TJournal Journal = MakeCollapseJournal(Context, Plan);
  if (int Error = WriteJournal(Context.Fs, Context.Names, Journal); Error != 0) {
    return ErrnoResult(Error);
  }
  HRESULT Result = S_OK;
  if (!MoveRoom(Context, Journal, Result)) {
    // Only a clean refusal lets the copy go ahead.
    Settled = Result != S_OK;
    return Result;
  }
  Context.Way = TSaveWay::Collapse;
  // The new header is a few kilobytes: the range took the rest.
  return OverwriteHeader(Context, Journal, Plan.Header);
}

HRESULT CollapsibleRoom(const TCommitRequest& Request, std::uint64_t& Length)
{
  Length = 0;
  TCommitContext Context{
      Request,          Request.Fs != nullptr ? *Request.Fs : PosixFileSystem(), {}, {}, {}, {}, {},
      TSaveWay::InPlace};
  try {
    if (HRESULT Result = PrepareCommit(Context); Result != S_OK) {
      return Result;
    }
    Context.Compacted = WithoutExtensionPadding(Request.NewHeader);
    TCollapsePlan Plan;
    bool Possible = false;
    if (HRESULT Result = PlanCollapse(Context, Plan, Possible); Result != S_OK) {
      return Result;
    }
    Length = Possible ? Plan.Length : 0;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUT_OF_MEMORY;
  }
}

} // namespace Quillmark::Asf
