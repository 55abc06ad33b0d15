#pragma once
// Writing a new Header Object to a video without ever losing a byte.
//
// The engine renders the edited header (THeaderImage); CommitHeader puts it
// in front of the unchanged Data Object by the cheapest safe way:
//
// - In place, when the new header is as long as the old one or at least 24
//   bytes shorter: one pwrite of the header region, the difference taken up
//   by one Padding Object. The old header is kept in a rollback journal
//   beside the video until the new one is synced (see Journal.h). Nothing
//   but the header and the first 24 bytes of the Data Object is read.
//   Padding anywhere counts as room: top-level Padding Objects are never in
//   the new header, and when it does not fit as it is, the Padding Objects
//   inside its Header Extension are taken out too (Windows leaves a few
//   kilobytes there) before anything grows.
// - By inserting room, when it must grow and the file system can insert
//   whole blocks into a file (ext4, XFS): fallocate(FALLOC_FL_INSERT_RANGE)
//   at the last block boundary at or before the Data Object, then the same
//   journalled overwrite. The journal records the insert, so a rollback
//   collapses the room again.
// - By sharing blocks, when it must grow, cannot insert and the file system
//   can clone ranges (btrfs, XFS with reflinks): the header grows by whole
//   blocks, so the media keeps its offset within a block. A new hidden file
//   beside the video gets the new header and the old bytes up to the first
//   block boundary after the old header; the rest is cloned (FICLONERANGE)
//   at block-aligned offsets and shares the video's blocks. Then as a copy.
// - By copying, when it must grow and neither is possible (for any reason
//   but a full disk, which ends the save): a new hidden file beside the
//   video gets the new header and then the Data Object and everything after
//   it, unchanged (copy_file_range, or 4 MiB buffers); it is synced,
//   checked, given the video's mode, owner (where permitted) and extended
//   attributes, and renamed over the video.
//
// A compacting save (TCommitRequest::CompactPadding) makes the header
// shorter, which moves the video:
// - By collapsing a range, where the file system can take whole blocks out
//   of a file (ext4, XFS) and the old header's room holds some: the journal
//   records the old header up to its last byte that is not zero and the
//   range, fallocate(FALLOC_FL_COLLAPSE_RANGE) takes out the whole blocks
//   of zeros after both headers' objects, and the new header, the rest of
//   the room its padding, is written over the front. A rollback inserts
//   the range again (it held zeros) and writes the old bytes back.
// - Elsewhere, or when the file system refuses, by copying.
//
// A growing save leaves padding for the next ones (PaddingPolicy.h), more
// of it when only a copy could grow the header. A header shorter than the
// old by 1 to 23 bytes cannot be padded to fit, so it is saved as a growing
// one.
//
// Every save reads the written header back and checks it, and the engine's
// Verify with it, before the save takes effect; a failed check puts the old
// header back (journal) or drops the copy, and CommitHeader fails.
//
// Policies:
// - A symbolic link stays a link: the file it leads to is the one saved,
//   and the side files sit beside that file.
// - A file with other hard links is saved in place or by inserting as any
//   file; but if only a copy would do, CommitHeader refuses with
//   E_FILE_HARD_LINKED, since the rename would leave the other names on the
//   old contents.
// - A full disk fails with E_DISK_FULL, other I/O errors with E_IO_FAILURE;
//   either way the video is as it was and no side file of ours remains.
// - Side files: ".<name>.quillmark-journal" and ".<name>.quillmark-new" in
//   the video's folder (a very long name is shortened and tagged with a
//   checksum); when that folder takes no new files from the saver, the
//   journal goes to the saver's own journal folder (JournalPlace.h). A crash
//   may leave either. The folder is held from the open (SaveNames.h): every
//   side file is created exclusively, renamed and removed through it, and
//   removed only while its name still leads to the file the save made.
// - A copy or clone takes the video's place by exchanging the two names
//   (RENAME_EXCHANGE) once the folder is checked to still hold the video
//   under its name; if the name turns out to have led to another file by
//   then, the exchange is undone and the save fails with E_FILE_CHANGED.
//   On a file system that cannot exchange, it is renamed over the name
//   just checked. RecoverJournal, which the editor calls before it reads
//   a file, acts on a journal only when it is provably this video's own
//   (Journal.h, JournalCheck.h) and the open may write; it removes a left
//   copy the saver could have made.
// - While anything is at either journal name, a save is refused with
//   E_SIDE_FILE_FOUND: a side file of ours is never replaced or removed
//   unless it was proved to be ours.
// - A copying save gives the copy the video's owner and group before it
//   copies a byte; when it may not (a group member saving another's file),
//   the save is refused with E_OWNER_NOT_KEPT rather than hand the file to
//   the saver.
// - Once the journal is removed (or the copy renamed), the save has taken
//   effect. A failure to sync the folder after that is not reported: the
//   new contents are already synced, and at worst a power cut brings back the
//   journal, which would restore the old header.
#include "asf/FileSystemNames.h"
#include "asf/HeaderImage.h"
#include "metadata/MetadataEditor.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Quillmark::Asf {

// How a save was written. ExtensionPadding is a save in place that fits
// only once the padding inside the Header Extension is taken out; Collapse
// a compacting save in place.
enum class TSaveWay { InPlace, ExtensionPadding, Insert, Clone, Copy, Collapse };
const char* SaveWayName(TSaveWay Way);

// What the file was when the editor opened it.
struct TFileStamp {
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  timespec ModTime{};
};

struct TCommitRequest {
  std::string Path; // the path as opened (may be a symlink, relative...)
  // The folder and names found when the file was opened (RecoverJournal's
  // Names), or none (no Folder). When set the save acts through that
  // folder and never looks at Path again; else it resolves Path now.
  TSaveNames Names;
  int Fd = -1; // the editor's descriptor: O_RDWR, holding the write lock
  TFileStamp StampAtOpen;
  std::uint64_t OldHeaderSize = 0; // Header Object size on disk = offset of the Data Object
  // How much of the old header the editor read (0: all of it). The rest is
  // the payload of its final top-level Padding Object, left unread; a save
  // in place leaves it as it is.
  std::uint64_t OldHeaderRead = 0;
  THeaderImage NewHeader;
  TProgressCallback Progress; // bytes copied (or cloned) of bytes to copy; those saves only; may be empty
  // The engine's check of the whole header as read back from disk, padding
  // included; may be empty.
  std::function<HRESULT(const std::vector<std::uint8_t>& WrittenHeader)> Verify;
  bool AllowInsertRange = true;   // false: a growing save never inserts room
  bool AllowClone = true;         // false: a growing save never shares blocks
  bool AllowCollapseRange = true; // false: a compacting save always copies
  TSaveWay* Way = nullptr;        // when set, receives how a successful save was written
  // A compacting save (HeaderCompact.h): the header is written with only
  // this much padding (0, or at least 24), by collapsing a range (keeping
  // less than a block more padding) or by a copy, since a shorter header
  // moves the video. None: an ordinary save.
  std::optional<std::uint64_t> CompactPadding;
  IFileSystem* Fs = nullptr; // nullptr: the real file system
};

// Fd must hold the editor's write lock for the whole call: RecoverJournal
// relies on it. After success the video holds the new header and the caller
// closes Fd. After a copying save Fd (and its lock) refers to the old, now
// unlinked, file.
// E_FILE_CHANGED when the file or its path changed since StampAtOpen (size,
// modification time, device, inode), E_INVALID_ARGUMENT for a request that
// does not describe a Header Object, E_CORRUPT_HEADER when no Header Object
// and Data Object are where the request says or Verify refuses,
// E_SIDE_FILE_FOUND when something is at a journal's name, and
// E_OWNER_NOT_KEPT as above.
HRESULT CommitHeader(const TCommitRequest& Request);

// How many bytes a compacting save of Request would give back by
// collapsing a range: 0 where it would copy. Reads the file, never writes.
HRESULT CollapsibleRoom(const TCommitRequest& Request, std::uint64_t& Length);

struct TRecoveryRequest {
  std::string Path;      // the path as opened
  int Fd = -1;           // the editor's descriptor, holding its lock (read or write)
  bool MayWrite = false; // Fd is open for writing: a trusted journal may be acted on
  IFileSystem* Fs = nullptr;
  TSaveNames* Names = nullptr;         // when set, receives the folder held and the names (none when unknown)
  const struct stat* Status = nullptr; // Fd's status taken under its lock, when the caller has it
};

// Deals with what an interrupted save of the file left, and says in Report
// what it found. Call it before reading the file, while holding the
// editor's lock on it: a save in progress holds the write lock for its
// whole length, so the lock proves no save is under way whose journal and
// copy these are. Only an open for writing changes anything: it rolls back
// (or, for a save that had finished, keeps) a journal that is provably
// this file's, and removes a journal cut short while being written and a
// left copy of the saver's. A journal that is not provably this file's
// own is never applied nor removed: the file stays as it is (Found). The
// result is S_OK but for a failure to read, roll back or remove.
HRESULT RecoverJournal(const TRecoveryRequest& Request, TSideFileReport& Report);

// The stamp of an open file, for TCommitRequest::StampAtOpen.
HRESULT StampOf(int Fd, TFileStamp& Stamp, IFileSystem* Fs = nullptr);

} // namespace Quillmark::Asf
