#pragma once
// The ways a header is written, behind CommitHeader. Internal to the
// save code.
#include "asf/HeaderCommit.h"
#include "fs/FileIo.h"
#include "fs/Journal.h"

#include <cstdint>
#include <optional>
#include <sys/statfs.h>
#include <vector>

namespace Quillmark::Asf {

struct TCommitContext {
  const TCommitRequest& Request;
  IFileSystem& Fs;
  TSaveNames Names;
  struct stat Info {}; // the video, as found when the save began
  // The file from offset 0 up to the Data Object, or only up to the payload
  // of the old header's final Padding Object when the editor did not read it.
  std::vector<std::uint8_t> OldHeader;
  std::vector<std::uint8_t> DataHead; // the Data Object's GUID and size
  // The new header without the padding of its Header Extension, when it
  // does not fit the old one as it is.
  std::optional<THeaderImage> Compacted;
  TSaveWay Way = TSaveWay::InPlace;
  // A batch syncs the folders of its replacing saves together, once all
  // are in place; a save alone syncs its own.
  bool FolderSyncedLater = false;

  // The header to write: the request's, or its compacted form.
  const THeaderImage& NewHeader() const { return Compacted ? *Compacted : Request.NewHeader; }
  std::uint64_t FileSize() const { return static_cast<std::uint64_t>(Info.st_size); }
  std::uint64_t NewSize() const { return NewHeader().Bytes.size(); }
};

// Checks the request against the file (stamp, old header, Data Object) and
// clears a stale journal at the journal's name; nothing is written to the video.
HRESULT PrepareCommit(TCommitContext& Context);

// Whether the new header takes the old one's place: the same size, or short
// enough by at least a Padding Object's head to be padded to it.
bool FitsInPlace(const TCommitContext& Context);

// Reads more of the old header into OldHeader, up to Length bytes from
// offset 0 (at most the whole old header).
HRESULT ReadMoreOldHeader(TCommitContext& Context, std::uint64_t Length);

HRESULT CommitInPlace(TCommitContext& Context);

// What a save in place writes: its journal, the new header (the old one's
// bytes past Changed, which the file holds already, included), and how many
// leading bytes differ; 0 when the file holds this header already. Takes the
// old header out of Context.
struct TInPlacePlan {
  TJournal Journal;
  std::vector<std::uint8_t> Header;
  std::size_t Changed = 0;
  // Every changed byte lies in one 512-byte sector of the file. A disk
  // writes a sector whole or not at all (the journal's own check rests on
  // that), so a crash leaves the old header or the new: no journal file is
  // written, and Journal only keeps the old bytes in memory for a rollback.
  bool OneSector = false;
  // Inserting room: the file system's block, the unit the room comes in.
  std::uint64_t Block = 0;
};
HRESULT PlanInPlace(TCommitContext& Context, TInPlacePlan& Plan);

// Writes the changed sector of a OneSector plan, checks the header in the
// file and syncs it; on failure puts the old bytes back.
HRESULT OverwriteSector(TCommitContext& Context, const TInPlacePlan& Plan);

// The rest of a save in place once the journal is on disk: writes the
// header but its unchanged tail, reads it back and checks it.
int WriteHeaderRegion(IFileSystem& Fs, int Fd, const std::vector<std::uint8_t>& Header, std::size_t Changed);

// Settled is false when the file system could not insert room; the video
// and the folder are then as they were, and the caller copies instead.
HRESULT CommitByInsert(TCommitContext& Context, bool& Settled);

// The steps of a save that inserts room. PlanInsertSave plans its journal
// (of kind InsertRange) and the whole new header (Changed is its size);
// Possible is false when the file system is not one that inserts ranges
// (ext4, XFS), with nothing read or planned. Once the journal is on disk,
// WriteInsertedHeader inserts the room and writes and checks the header,
// unsynced. Refused is set when the file system would not insert: the file
// is unchanged and the journal removed, and the result is S_OK unless the
// save must end there (a full disk, a journal that would not go). On any
// other failure the old header is back and the journal removed.
HRESULT PlanInsertSave(TCommitContext& Context, TInPlacePlan& Plan, bool& Possible);
HRESULT WriteInsertedHeader(TCommitContext& Context, const TInPlacePlan& Plan, bool& Refused);

// A journal of the video as the save found it, keeping the first Length
// bytes of the old header.
TJournal MakeJournal(const TCommitContext& Context, std::size_t Length);

// Moves the room the journal records (kind InsertRange or CollapseRange)
// with the journal on disk; false when it did not move. A failed call that
// still changed the size is rolled back through the journal (Result then
// says why); after a clean refusal the journal is removed and Result stays
// S_OK unless the save must end there (a full disk, a journal that would
// not go).
bool MoveRoom(TCommitContext& Context, const TJournal& Journal, HRESULT& Result);

// Whether the file system inserts and collapses ranges of a file
// (fallocate's FALLOC_FL_INSERT_RANGE and FALLOC_FL_COLLAPSE_RANGE): ext4
// and XFS.
bool MovesRanges(const struct statfs& Info);

// The save failed after the journal was written: puts the old header back
// and removes the journal; if even that fails the journal stays, and the
// next open rolls back. Returns Failure.
HRESULT Abandon(TCommitContext& Context, const TJournal& Journal, HRESULT Failure);

// A compacting save in place (kind CollapseRange; see HeaderCommit.h).
// Settled is false when the way is not open: not a file system that
// collapses ranges, no whole block of zeros to take out, or a clean refusal
// of the collapse; the video and the folder are then as they were, and the
// caller copies.
HRESULT CommitByCollapse(TCommitContext& Context, bool& Settled);

// What CommitByCollapse would take out: Possible is false when it would
// not, with nothing journaled or written.
struct TCollapsePlan {
  std::uint64_t Offset = 0;
  std::uint64_t Length = 0;
  std::uint64_t OldEnd = 0;         // the old header's last byte that is not zero, plus one
  std::vector<std::uint8_t> Header; // the whole new header
  std::size_t Objects = 0;          // its bytes up to its Padding Object's size field
};
HRESULT PlanCollapse(TCommitContext& Context, TCollapsePlan& Plan, bool& Possible);

// Settled is false when the file system cannot clone ranges (or there is
// nothing to clone); no side file is left then, and the caller copies.
HRESULT CommitByClone(TCommitContext& Context, bool& Settled);

HRESULT CommitByCopy(TCommitContext& Context);

// The first step of a save by clone or by copy: the hidden new file made
// whole (Header, then the media) with the video's owner, attributes and
// mode, unsynced. For a clone Settled is as for CommitByClone; when it is
// false nothing is left beside the video. On failure the new file is gone.
HRESULT WriteClone(TCommitContext& Context, TScopedFd& Copy, std::vector<std::uint8_t>& Header,
                   bool& Settled);
HRESULT WriteCopy(TCommitContext& Context, TScopedFd& Copy, std::vector<std::uint8_t>& Header);

// The pieces a copy and a clone share. OpenReplacement creates the hidden
// new file; FinishReplacement syncs it and places it; PlaceReplacement,
// once it is on disk, checks Header in it and the video unchanged and puts
// it in the video's place (the folder synced unless FolderSyncedLater);
// DropReplacement closes and removes it and returns Failure.
HRESULT OpenReplacement(TCommitContext& Context, TScopedFd& Copy);
HRESULT FinishReplacement(TCommitContext& Context, TScopedFd& Copy, const std::vector<std::uint8_t>& Header);
HRESULT PlaceReplacement(TCommitContext& Context, TScopedFd& Copy, const std::vector<std::uint8_t>& Header);
HRESULT DropReplacement(TCommitContext& Context, TScopedFd& Copy, HRESULT Failure);
// Gives the new file the video's owner and group (E_OWNER_NOT_KEPT when
// the saver may not), first, before any of its bytes.
HRESULT KeepOwner(const TCommitContext& Context, int To);
// Gives the new file the video's extended attributes and mode; on failure
// drops it.
HRESULT CopyAttributes(TCommitContext& Context, TScopedFd& Copy);

// A stretch of a new header that was not written because the file already
// holds those bytes: the unchanged end of a header rewritten in place, or
// zeros of room just allocated; empty when From >= To.
struct THeaderGap {
  std::uint64_t From = 0;
  std::uint64_t To = 0;
  bool Empty() const { return From >= To; }
};

// Writes, checks and syncs Header but the gap (empty: all of it) with the
// journal already in place; removing the journal is the moment the save
// takes effect. On failure the old header goes back.
HRESULT OverwriteHeader(TCommitContext& Context, const TJournal& Journal,
                        const std::vector<std::uint8_t>& Header, THeaderGap Gap = {});

// Reads Header back from offset 0 of Fd, then the Data Object's head where
// the header's size field says it ends, checks they are what was written,
// and asks the engine. The gap is not read back: those bytes were not
// written. Header may stop short inside its final Padding Object's payload.
HRESULT VerifyWritten(const TCommitContext& Context, int Fd, const std::vector<std::uint8_t>& Header,
                      THeaderGap Gap = {});

// Whether the video is still the file opened, unchanged, at its path.
HRESULT CheckStamp(const TCommitContext& Context);
// The same with the video's status just taken (Now, from its descriptor).
HRESULT CheckStampOf(const TCommitContext& Context, const struct stat& Now);

} // namespace Quillmark::Asf
