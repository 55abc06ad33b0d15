#include "asf/CommitImage.h"
#include "asf/CommitPaths.h"
#include "asf/JournalCheck.h"
#include "asf/PaddingPolicy.h"
#include "fs/Journal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/falloc.h>
#include <linux/magic.h>

namespace Quillmark::Asf {

TJournal MakeJournal(const TCommitContext& Context, std::size_t Length)
{
  TJournal Journal;
  Journal.Device = static_cast<std::uint64_t>(Context.Info.st_dev);
  Journal.Inode = static_cast<std::uint64_t>(Context.Info.st_ino);
  Journal.OriginalSize = Context.FileSize();
  Journal.OldHeader.assign(Context.OldHeader.begin(), Context.OldHeader.begin() + static_cast<long>(Length));
  return Journal;
}

namespace {

// How many leading bytes of the old header a new one of the same size
// changes: Head, then zeros to the old header's end. Past the last change
// the file holds the new header already. An edit of a header with a
// megabyte of padding changes its first kilobytes; the zeros after them are
// neither journaled nor written.
std::size_t ChangedPrefix(const std::vector<std::uint8_t>& Old, const std::vector<std::uint8_t>& Head)
{
  constexpr std::size_t Block = 4096;
  static const std::uint8_t Zeros[Block] = {};
  std::size_t End = Old.size();
  while (End >= Head.size() + Block && std::memcmp(Old.data() + End - Block, Zeros, Block) == 0) {
    End -= Block;
  }
  while (End > Head.size() && Old[End - 1] == 0) {
    --End;
  }
  if (End > Head.size()) {
    return End;
  }
  while (End > 0 && Old[End - 1] == Head[End - 1]) {
    --End;
  }
  return End;
}

// Turns the old header in memory into the new one; only its first Changed
// bytes differ. A header with a megabyte of padding is not copied again.
void BecomeNewHeader(std::vector<std::uint8_t>& Old, const std::vector<std::uint8_t>& Head,
                     std::size_t Changed)
{
  std::copy(Head.begin(), Head.begin() + static_cast<long>(std::min(Changed, Head.size())), Old.begin());
  if (Changed > Head.size()) {
    std::fill(Old.begin() + static_cast<long>(Head.size()), Old.begin() + static_cast<long>(Changed), 0);
  }
}

// Where the sector holding every changed byte starts; Changed when the
// changes span more than one sector.
std::size_t ChangedSector(const TJournal& Journal, std::size_t Changed)
{
  const auto First = static_cast<std::size_t>(
      std::mismatch(Journal.OldHeader.begin(), Journal.OldHeader.end(), Journal.NewBytes.begin()).first -
      Journal.OldHeader.begin());
  const std::size_t Start = First / JournalSectorSize * JournalSectorSize;
  return First < Changed && (Changed - 1) / JournalSectorSize == First / JournalSectorSize ? Start : Changed;
}

// Writes Header but the gap; an empty gap writes it whole.
// After: bytes that follow the header in the file, written with its last part.
int WriteHeader(IFileSystem& Fs, int Fd, const std::vector<std::uint8_t>& Header, THeaderGap Gap,
                const std::vector<std::uint8_t>& After = {})
{
  if (Gap.Empty()) {
    Gap = {Header.size(), Header.size()};
  }
  if (int Error = WriteExact(Fs, Fd, Header.data(), Gap.From, 0); Error != 0) {
    return Error;
  }
  if (After.empty()) {
    return WriteExact(Fs, Fd, Header.data() + Gap.To, Header.size() - Gap.To, Gap.To);
  }
  std::vector<std::uint8_t> Last(Header.begin() + static_cast<std::ptrdiff_t>(Gap.To), Header.end());
  Last.insert(Last.end(), After.begin(), After.end());
  return WriteExact(Fs, Fd, Last.data(), Last.size(), Gap.To);
}

// Writes and checks the new header with the journal already in place; on
// failure the old header goes back.
HRESULT WriteChecked(TCommitContext& Context, const TJournal& Journal,
                     const std::vector<std::uint8_t>& Header, THeaderGap Gap,
                     const std::vector<std::uint8_t>& After = {})
{
  int Fd = Context.Request.Fd;
  if (int Error = WriteHeader(Context.Fs, Fd, Header, Gap, After); Error != 0) {
    return Abandon(Context, Journal, ErrnoResult(Error));
  }
  if (HRESULT Result = VerifyWritten(Context, Fd, Header, Gap); Result != S_OK) {
    return Abandon(Context, Journal, Result);
  }
  return S_OK;
}

} // namespace

HRESULT OverwriteHeader(TCommitContext& Context, const TJournal& Journal,
                        const std::vector<std::uint8_t>& Header, THeaderGap Gap)
{
  if (HRESULT Result = WriteChecked(Context, Journal, Header, Gap); Result != S_OK) {
    return Result;
  }
  if (int Error = Context.Fs.FDataSync(Context.Request.Fd); Error != 0) {
    return Abandon(Context, Journal, ErrnoResult(Error));
  }
  // Synced, an overwrite has taken effect: a journal that outlives a crash
  // finds its new bytes in the file and is dropped. Room inserted or
  // collapsed is only ours once the journal's removal is on disk.
  bool Moved = Journal.Kind != TJournalKind::Overwrite;
  if (int Error = RemoveJournal(Context.Fs, Context.Names.Journal, Moved); Error != 0) {
    return Abandon(Context, Journal, ErrnoResult(Error));
  }
  return S_OK;
}

namespace {

struct TInsertPlan {
  std::uint64_t Offset = 0;
  std::uint64_t Length = 0;
  std::uint64_t Block = 0;
};

// Only ext4 and XFS insert a range into a file; elsewhere nothing is
// journaled for a way the file system cannot take.
bool PlanInsert(const TCommitContext& Context, TInsertPlan& Plan)
{
  struct statfs FsInfo {};
  if (Context.Fs.FStatFs(Context.Request.Fd, FsInfo) != 0 || FsInfo.f_bsize <= 0 || !MovesRanges(FsInfo)) {
    return false;
  }
  auto Block = static_cast<std::uint64_t>(FsInfo.f_bsize);
  std::uint64_t Old = Context.Request.OldHeaderSize;
  std::uint64_t Needed = Context.NewSize() + GrowthPadding(Context.FileSize()) - Old;
  Plan.Offset = Old / Block * Block;
  Plan.Length = (Needed + Block - 1) / Block * Block;
  Plan.Block = Block;
  return true;
}

} // namespace

bool MoveRoom(TCommitContext& Context, const TJournal& Journal, HRESULT& Result)
{
  int Fd = Context.Request.Fd;
  int Mode = Journal.Kind == TJournalKind::InsertRange ? FALLOC_FL_INSERT_RANGE : FALLOC_FL_COLLAPSE_RANGE;
  int Error = Context.Fs.FAllocate(Fd, Mode, static_cast<off_t>(Journal.InsertOffset),
                                   static_cast<off_t>(Journal.InsertLength));
  if (Error == 0) {
    return true;
  }
  struct stat Info {};
  if (Context.Fs.FStat(Fd, Info) != 0 || static_cast<std::uint64_t>(Info.st_size) != Journal.OriginalSize) {
    Result = Abandon(Context, Journal, ErrnoResult(Error));
    return false;
  }
  int Cleanup = RemoveJournal(Context.Fs, Context.Names.Journal);
  // A full disk ends the save here: a copy would need far more room.
  if (Cleanup != 0 || ErrnoResult(Error) == E_DISK_FULL) {
    Result = ErrnoResult(Cleanup != 0 ? Cleanup : Error);
  }
  return false;
}

namespace {

// The inserted range is a hole. Allocated as unwritten extents it reads as
// zeros and later saves can write into it without finding the disk full, so
// the zeros of the new padding that fall in it need not be written: for a
// big video that is most of a megabyte not written and not synced. Without
// the allocation everything is written.
THeaderGap AllocateInsertedRoom(TCommitContext& Context, const TJournal& Journal, std::uint64_t HeaderSize)
{
  std::uint64_t ZerosFrom = Context.NewSize() + PaddingObjectHeaderSize;
  std::uint64_t RoomEnd = Journal.InsertOffset + Journal.InsertLength;
  THeaderGap Gap{std::max(ZerosFrom, Journal.InsertOffset), std::min(RoomEnd, HeaderSize)};
  if (Gap.Empty() || Context.Fs.FAllocate(Context.Request.Fd, 0, static_cast<off_t>(Journal.InsertOffset),
                                          static_cast<off_t>(Journal.InsertLength)) != 0) {
    return {};
  }
  return Gap;
}

} // namespace

HRESULT Abandon(TCommitContext& Context, const TJournal& Journal, HRESULT Failure)
{
  if (RollBack(Context.Fs, Context.Request.Fd, Journal) == 0) {
    RemoveJournal(Context.Fs, Context.Names.Journal);
  }
  return Failure;
}

bool MovesRanges(const struct statfs& Info)
{
  const auto Type = static_cast<unsigned long>(Info.f_type);
  return Type == EXT4_SUPER_MAGIC || Type == XFS_SUPER_MAGIC;
}

HRESULT PlanInPlace(TCommitContext& Context, TInPlacePlan& Plan)
{
  std::uint64_t Old = Context.Request.OldHeaderSize;
  std::vector<std::uint8_t> Head =
      ComposeHeaderHead(Context.NewHeader(), Old - Context.NewSize(), Context.FileSize());
  // The new objects may reach into old padding the editor did not read.
  if (HRESULT Result = ReadMoreOldHeader(Context, Head.size()); Result != S_OK) {
    return Result;
  }
  Plan.Changed = ChangedPrefix(Context.OldHeader, Head);
  if (Plan.Changed == 0) {
    return S_OK;
  }
  Plan.Journal = MakeJournal(Context, Plan.Changed);
  Plan.Header = std::move(Context.OldHeader);
  BecomeNewHeader(Plan.Header, Head, Plan.Changed);
  Plan.Journal.NewBytes.assign(Plan.Header.begin(), Plan.Header.begin() + static_cast<long>(Plan.Changed));
  Plan.OneSector = ChangedSector(Plan.Journal, Plan.Changed) < Plan.Changed;
  return S_OK;
}

HRESULT OverwriteSector(TCommitContext& Context, const TInPlacePlan& Plan)
{
  const int Fd = Context.Request.Fd;
  const std::size_t From = ChangedSector(Plan.Journal, Plan.Changed);
  HRESULT Result = S_OK;
  if (int Error = WriteExact(Context.Fs, Fd, Plan.Header.data() + From, Plan.Changed - From, From);
      Error != 0) {
    Result = ErrnoResult(Error);
  }
  if (Result == S_OK) {
    Result = VerifyWritten(Context, Fd, Plan.Header, THeaderGap{Plan.Changed, Plan.Header.size()});
  }
  if (Result == S_OK) {
    if (int Error = Context.Fs.FDataSync(Fd); Error != 0) {
      Result = ErrnoResult(Error);
    }
  }
  // Whatever reached the disk, the sector holds the old bytes or the new.
  if (Result != S_OK) {
    RollBack(Context.Fs, Fd, Plan.Journal);
  }
  return Result;
}

int WriteHeaderRegion(IFileSystem& Fs, int Fd, const std::vector<std::uint8_t>& Header, std::size_t Changed)
{
  return WriteHeader(Fs, Fd, Header, THeaderGap{Changed, Header.size()});
}

HRESULT CommitInPlace(TCommitContext& Context)
{
  TInPlacePlan Plan;
  if (HRESULT Result = PlanInPlace(Context, Plan); Result != S_OK || Plan.Changed == 0) {
    return Result; // with nothing changed the file holds this header already
  }
  if (Plan.OneSector) {
    return OverwriteSector(Context, Plan);
  }
  if (int Error = WriteJournal(Context.Fs, Context.Names, Plan.Journal); Error != 0) {
    return ErrnoResult(Error);
  }
  return OverwriteHeader(Context, Plan.Journal, Plan.Header, THeaderGap{Plan.Changed, Plan.Header.size()});
}

HRESULT PlanInsertSave(TCommitContext& Context, TInPlacePlan& Plan, bool& Possible)
{
  TInsertPlan Room;
  Possible = PlanInsert(Context, Room);
  if (!Possible) {
    return S_OK;
  }
  // A rollback collapses the room and must find the whole old header, padding included.
  if (HRESULT Result = ReadMoreOldHeader(Context, Context.Request.OldHeaderSize); Result != S_OK) {
    return Result;
  }
  Plan.Journal = MakeJournal(Context, Context.OldHeader.size());
  Plan.Journal.Kind = TJournalKind::InsertRange;
  Plan.Journal.InsertOffset = Room.Offset;
  Plan.Journal.InsertLength = Room.Length;
  Plan.Block = Room.Block;
  std::uint64_t NewTotal = Context.Request.OldHeaderSize + Room.Length;
  Plan.Header =
      ComposeHeader(Context.NewHeader(), NewTotal - Context.NewSize(), Context.FileSize() + Room.Length);
  Plan.Changed = Plan.Header.size();
  // The new header without the zeros of its padding, so that recovery can
  // tell what this save may have left in the file.
  auto LastByte =
      std::find_if(Plan.Header.rbegin(), Plan.Header.rend(), [](std::uint8_t Byte) { return Byte != 0; });
  Plan.Journal.NewBytes.assign(Plan.Header.begin(), LastByte.base());
  return S_OK;
}

namespace {

// The block the old header ends in moves with the room, and the insert
// drops it from the page cache: written in part, it would first be read
// back from the disk, a wait on every save. So the rest of that block (the
// Data Object's first bytes, read before the insert under the save's lock)
// is written back with the header's last part, making the write whole.
// Rest stays empty when the header ends on a block's edge.
int ReadBlockRest(const TCommitContext& Context, const TInPlacePlan& Plan, std::vector<std::uint8_t>& Rest)
{
  const std::uint64_t Old = Context.Request.OldHeaderSize;
  const std::uint64_t Block = Plan.Block;
  if (Block == 0 || Old % Block == 0 || Old >= Context.FileSize()) {
    return 0;
  }
  const std::uint64_t End = std::min(Old / Block * Block + Block, Context.FileSize());
  Rest.resize(End - Old);
  return ReadExact(Context.Fs, Context.Request.Fd, Rest.data(), Rest.size(), Old);
}

} // namespace

HRESULT WriteInsertedHeader(TCommitContext& Context, const TInPlacePlan& Plan, bool& Refused)
{
  Refused = false;
  std::vector<std::uint8_t> Rest;
  // Unread, the block is only written in part.
  if (ReadBlockRest(Context, Plan, Rest) != 0) {
    Rest.clear();
  }
  HRESULT Result = S_OK;
  Refused = !MoveRoom(Context, Plan.Journal, Result);
  if (Refused) {
    return Result;
  }
  Context.Way = TSaveWay::Insert;
  return WriteChecked(Context, Plan.Journal, Plan.Header,
                      AllocateInsertedRoom(Context, Plan.Journal, Plan.Header.size()), Rest);
}

HRESULT CommitByInsert(TCommitContext& Context, bool& Settled)
{
  Settled = true;
  TInPlacePlan Plan;
  bool Possible = false;
  if (HRESULT Result = PlanInsertSave(Context, Plan, Possible); Result != S_OK || !Possible) {
    Settled = Result != S_OK;
    return Result;
  }
  if (int Error = WriteJournal(Context.Fs, Context.Names, Plan.Journal); Error != 0) {
    return ErrnoResult(Error);
  }
  bool Refused = false;
  if (HRESULT Result = WriteInsertedHeader(Context, Plan, Refused); Result != S_OK || Refused) {
    // Only a clean refusal lets the next way go ahead; a failed cleanup ends the save.
    Settled = Result != S_OK;
    return Result;
  }
  if (int Error = Context.Fs.FDataSync(Context.Request.Fd); Error != 0) {
    return Abandon(Context, Plan.Journal, ErrnoResult(Error));
  }
  if (int Error = RemoveJournal(Context.Fs, Context.Names.Journal, true); Error != 0) {
    return Abandon(Context, Plan.Journal, ErrnoResult(Error));
  }
  return S_OK;
}

} // namespace Quillmark::Asf
