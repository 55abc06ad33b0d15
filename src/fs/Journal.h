#pragma once
// The rollback journal of an in-place header save (one whose changes all lie
// in one sector needs none: see TInPlacePlan).
//
// Before the header region of a video is overwritten (and, when it grows,
// before room is inserted in front of the Data Object), the old header bytes
// go to ".<name>.quillmark-journal" beside the video, synced together with
// the folder; when the folder takes no new files from the saver, to the
// saver's own journal folder instead (JournalPlace.h). A journal still
// present when the file is next opened means the save was cut off. Only a
// journal that passes every test of its format's check (for ASF,
// asf/JournalCheck.h) is acted on: the old header is put back, unless the
// journal of an overwrite finds every new byte it records already in the
// file: that save had reached its end, and it stands.
//
// An overwrite in place takes effect once the new header is synced, so its
// journal is then removed without waiting for the folder. A save that
// inserted room takes effect when its journal's removal reaches the disk.
//
// Layout, little-endian:
//   0   8  magic "QMKJRNL" 0x1A
//   8   4  version (1; 2 with the new bytes of an overwrite; 3 with the new
//          bytes of an insert too)
//   12  4  kind: 1 overwrite in place, 2 room inserted, then overwrite,
//          3 room collapsed, then overwrite (version 3 only), 4 overwrite
//          at the start and of one range further on, which may end the
//          file anew (version 3 only; see TJournalRanges)
//   16  8  device of the video (st_dev); compared for a journal of the
//          saver's own folder only (JournalBelongsTo)
//   24  8  inode of the video
//   32  8  size of the video before the save
//   40  8  offset of the inserted or collapsed room (kinds 2, 3), of the
//          far range (kind 4); else 0
//   48  8  length of the inserted or collapsed room (kinds 2, 3), of the
//          far range after the save (kind 4); else 0
//   56  8  N, length of the old header
//   64  N  the old header bytes: the file from offset 0 to the Data Object;
//          kind 3: up to its last byte that is not zero, the rest of it
//          (the collapsed room among them) being zeros
//   then, from version 2 on:
//       8  M, length of the new bytes
//       M  kind 1: the N bytes the overwrite puts at offset 0; kind 2
//          (version 3): the new header up to its last byte that is not
//          zero, the rest of it (to N + the inserted length) being zeros;
//          kind 3: the new header up to its Padding Object's size field,
//          the rest of it being zeros, all of it before the collapsed room
//   end 4  CRC-32 of every byte before it
// A journal shorter or longer than that, or with a wrong magic, version or
// checksum, was cut short while being written, so the overwrite it guards
// never began.
//
// A batch of saves in place writes one shared journal for the videos of a
// folder: a single file under each video's journal name (hard links), so
// that each video's next open finds it where it always looks. Its layout:
//   0   8  magic, as above
//   8   4  version 4
//   12  4  R, the number of records (1 to MaxJournalNames)
//   then R times:
//       8  L, length of the record
//       L  one complete journal as above (versions 1 to 3), for one video
//   end 4  CRC-32 of every byte before it
// An open uses the record of its own video's inode. Since each name is a
// record's, such a file may have as many names as records, and no more.
#include "fs/FileIo.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Quillmark::Fs {

enum class TJournalKind : std::uint32_t { Overwrite = 1, InsertRange = 2, CollapseRange = 3, Relocate = 4 };

struct TJournal {
  TJournalKind Kind = TJournalKind::Overwrite;
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  std::uint64_t OriginalSize = 0;
  // The room inserted (InsertRange) or taken out (CollapseRange).
  std::uint64_t InsertOffset = 0;
  std::uint64_t InsertLength = 0;
  // The old bytes from offset 0 that the save overwrites: the whole old
  // header, or for an overwrite in place only its part up to the last byte
  // that changes, or for a collapse its part up to the last byte that is
  // not zero.
  std::vector<std::uint8_t> OldHeader;
  // What an overwrite in place puts over OldHeader; empty when unknown
  // (room inserted, or a journal of the first version).
  std::vector<std::uint8_t> NewBytes;
};

constexpr std::size_t JournalFixedSize = 64;

// Where a Relocate journal's bytes go. Its OldHeader holds the file's first
// Head bytes, then FarOld bytes from FarOffset on; its NewBytes the same
// first Head bytes as saved, then FarNew bytes from FarOffset on. A far
// range that changes length reaches the end of the file, which then has
// NewSize bytes (else the size it had). The range lies after the first
// Head bytes and, before the save, within the file.
struct TJournalRanges {
  std::uint64_t Head = 0;
  std::uint64_t FarOffset = 0;
  std::uint64_t FarOld = 0;
  std::uint64_t FarNew = 0;
  std::uint64_t NewSize = 0;
};

// The ranges of a Relocate journal; nullopt for another kind, or for one
// whose lengths do not agree with each other and the file's size.
std::optional<TJournalRanges> RelocateRanges(const TJournal& Journal);
// The most old header bytes a journal keeps (256 MiB), and the most room a
// save may insert or collapse (as much again, with 2 MiB for the padding
// that comes with it): a format whose saves need more cannot use the journal.
constexpr std::uint64_t MaxJournalHeader = 256ULL << 20;
constexpr std::uint64_t MaxJournalRoom = MaxJournalHeader + (2ULL << 20);

// No journal of ours is larger: the largest header twice (old and new) with
// the most room a save inserts, and the bookkeeping.
constexpr std::uint64_t MaxJournalSize()
{
  return JournalFixedSize + 8 + 4 + MaxJournalHeader + MaxJournalRoom;
}

// A change within one sector of this size reaches the disk whole or not at
// all, so it needs no journal; a journal's comparisons go by such sectors.
constexpr std::uint64_t JournalSectorSize = 512;

// The most names, and so records, of one shared journal, and the most bytes
// a batch puts in one: a larger batch writes several.
constexpr std::size_t MaxJournalNames = 1024;
constexpr std::uint64_t MaxSharedJournalBytes = 16 * 1024 * 1024;

std::vector<std::uint8_t> EncodeJournal(const TJournal& Journal);
// nullopt when the bytes are not one complete journal of one video.
std::optional<TJournal> DecodeJournal(const std::vector<std::uint8_t>& Bytes);

// A shared journal holding Journals, in that order.
std::vector<std::uint8_t> EncodeJournalSet(const std::vector<const TJournal*>& Journals);
// The records of a journal of any version (one for versions 1 to 3);
// nullopt when the bytes are not one complete journal.
std::optional<std::vector<TJournal>> DecodeJournalSet(const std::vector<std::uint8_t>& Bytes);

// Where a journal was found: beside the video, on the video's own file
// system, or in the saver's own folder, which may hold journals of videos
// of any disk.
enum class TJournalWhere { Beside, Private };

// Whether a file of Size bytes shows the room the journal records inserted
// or collapsed, or the new end of a relocation; false for an overwrite.
bool JournalRoomMoved(const TJournal& Journal, std::uint64_t Size);

// The journal is this video's when the inode matches and the size is the one
// before the save, or after the insert or collapse it records. Beside the video the
// journal sits on the video's file system, and that is checked as it is
// read; the device it records is not compared there, since a removable disk
// may come back under another device number after the very crash the
// journal is for. A journal of the private folder must also name the
// video's device (and by its name the file system's identity): another
// disk mounted at the same place may hold another file at the same inode.
bool JournalBelongsTo(const TJournal& Journal, const struct stat& Info, TJournalWhere Where);

// Now: the journal and its folder are synced before the call returns. Later:
// the caller syncs the video's file system once for a whole batch of
// journals (a journal that had to go to the private folder is synced now).
enum class TJournalSync { Now, Later };

// Creates the journal (it must not exist) in its held folder, syncs it and
// the folder. When the video's folder refuses the saver, the journal goes to
// the private journal folder, and Names.Journal says so afterwards. The
// journal's name then leads to the file made (Names.Journal.Own).
int WriteJournal(IFileSystem& Fs, TSaveNames& Names, const TJournal& Journal,
                 TJournalSync Sync = TJournalSync::Now);

// Writes Bytes (EncodeJournalSet's) under each of Files, all in one held
// folder: creates the file at the first (which must not exist) and links it
// at the others; with Sync Now, then syncs it and the folder, else the
// caller syncs the file system. Holds[i] tells whether Files[i] names it
// (and its Own is then set); a name that could not be linked is the
// caller's to give a journal of its own. On failure to create, write or
// sync it, no name holds it.
int WriteSharedJournal(IFileSystem& Fs, const std::vector<TSideFile*>& Files,
                       const std::vector<std::uint8_t>& Bytes, std::vector<bool>& Holds, TJournalSync Sync);

// What is found at a journal's name.
enum class TJournalFile {
  Absent,
  // Something that may not be trusted: not a regular file (a link, a FIFO,
  // a device...), owned by neither the video's owner nor the running user,
  // writable by others, with more hard links than records, or larger than
  // any journal.
  Untrusted,
  // A trusted file that does not hold one complete journal.
  Incomplete,
  Read,
};

// Reads the journal file File without following a link or blocking, and
// only when it may be trusted: owned by the video's owner or the running
// user, writable by nobody else, with no more names than records, at most
// MaxJournalSize bytes, and, beside the video, on the video's file system.
// Journal is the record of the video's inode (of a shared journal without
// one, its first, which is no video's). File.Own is set to the file read,
// so only it is ever removed. The result is an errno for a failure to read
// a trusted file.
int ReadJournal(IFileSystem& Fs, TSideFile& File, const struct stat& Video, TJournalFile& Found,
                TJournal& Journal);

// Whether anything at all is at File's name (a link, even a dangling one,
// counts; so does a name that cannot be looked at).
bool SideFileExists(IFileSystem& Fs, const TSideFile& File);

// Puts the old header back in the open video: collapses the inserted room
// (or inserts the collapsed room again, a hole that reads as zeros) if the
// size shows it moved, rewrites the old bytes (after a collapse, with zeros
// over the rest of the new header's objects; after a relocation, the far
// range's too, and cuts the file back to its old size), syncs. Running it again after
// it was cut off is harmless.
int RollBack(IFileSystem& Fs, int Fd, const TJournal& Journal);

// Removes the journal, when its name still leads to the file made or read,
// and, unless told not to, syncs its folder; only the unlink's result
// counts, since once it is done the removal is what a reader sees.
int RemoveJournal(IFileSystem& Fs, const TSideFile& Journal, bool SyncTheFolder = true);

} // namespace Quillmark::Fs
