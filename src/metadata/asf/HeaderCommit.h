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
//   checksum). A crash may leave either. RecoverJournal, which the editor
//   calls before it reads a file, rolls a left journal back and removes a
//   left copy (the copy never took effect: the rename is its last step).
// - A journal left by a crash is this video's when its inode matches and
//   the size is the one the journal expects; any other journal at that name
//   is left alone by RecoverJournal, and replaced by the next save.
// - Once the journal is removed (or the copy renamed), the save has taken
//   effect. A failure to sync the folder after that is not reported: the
//   new contents are already synced, and at worst a power cut brings back the
//   journal, which would restore the old header.
#include "metadata/MetadataEditor.h"
#include "metadata/asf/FileSystem.h"
#include "metadata/asf/HeaderImage.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Quillmark::Asf {

// How a save was written.
enum class TSaveWay { InPlace, Insert, Clone, Copy };
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
  int Fd = -1;      // the editor's descriptor: O_RDWR, holding the write lock
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
  bool AllowInsertRange = true; // false: a growing save never inserts room
  bool AllowClone = true;       // false: a growing save never shares blocks
  TSaveWay* Way = nullptr;      // when set, receives how a successful save was written
  IFileSystem* Fs = nullptr;    // nullptr: the real file system
};

// Fd must hold the editor's write lock for the whole call: RecoverJournal
// relies on it. After success the video holds the new header and the caller
// closes Fd. After a copying save Fd (and its lock) refers to the old, now
// unlinked, file.
// E_FILE_CHANGED when the file or its path changed since StampAtOpen (size,
// modification time, device, inode), E_INVALID_ARGUMENT for a request that
// does not describe a Header Object, E_CORRUPT_HEADER when no Header Object
// and Data Object are where the request says or Verify refuses, and
// E_INVALID_STATE when the video still has a journal of its own (it was
// opened without RecoverJournal).
HRESULT CommitHeader(const TCommitRequest& Request);

// Rolls back a journal left by an interrupted save of the file at Path, and
// removes a left copy. S_OK also when there is nothing to do. Call it before
// reading the file, while holding the editor's lock on it (read or write):
// a save in progress holds the write lock for its whole length, so the lock
// proves no save is under way whose journal and copy these are. Rolling back
// needs write access to the file; without it the result is E_IO_FAILURE and
// the file should not be read.
HRESULT RecoverJournal(const std::string& Path, IFileSystem* Fs = nullptr);

// The stamp of an open file, for TCommitRequest::StampAtOpen.
HRESULT StampOf(int Fd, TFileStamp& Stamp, IFileSystem* Fs = nullptr);

} // namespace Quillmark::Asf
