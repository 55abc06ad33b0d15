#pragma once
// The rollback journal of an in-place header save.
//
// Before the header region of a video is overwritten (and, when it grows,
// before room is inserted in front of the Data Object), the old header bytes
// go to ".<name>.quillmark-journal" beside the video, synced together with
// the folder. A journal still present when the file is next opened means
// the save was cut off, and the old header is put back, unless the journal
// of an overwrite finds every new byte it records already in the file: that
// save had reached its end, and it stands.
//
// An overwrite in place takes effect once the new header is synced, so its
// journal is then removed without waiting for the folder. A save that
// inserted room takes effect when its journal's removal reaches the disk.
//
// Layout, little-endian:
//   0   8  magic "QMKJRNL" 0x1A
//   8   4  version (1, or 2 with the new bytes)
//   12  4  kind: 1 overwrite in place, 2 room inserted, then overwrite
//   16  8  device of the video (st_dev), for information
//   24  8  inode of the video
//   32  8  size of the video before the save
//   40  8  offset of the inserted room (kind 2; else 0)
//   48  8  length of the inserted room (kind 2; else 0)
//   56  8  N, length of the old header
//   64  N  the old header bytes: the file from offset 0 to the Data Object
//   then, in version 2:
//       8  M, length of the new bytes (N for kind 1, 0 for kind 2)
//       M  the bytes the overwrite puts at offset 0
//   end 4  CRC-32 of every byte before it
// A journal shorter or longer than that, or with a wrong magic, version or
// checksum, was cut short while being written, so the overwrite it guards
// never began: it is removed without touching the video.
#include "metadata/MetadataEditor.h"
#include "metadata/fs/FileIo.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Quillmark::Asf {

enum class TJournalKind : std::uint32_t { Overwrite = 1, InsertRange = 2 };

struct TJournal {
  TJournalKind Kind = TJournalKind::Overwrite;
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  std::uint64_t OriginalSize = 0;
  std::uint64_t InsertOffset = 0;
  std::uint64_t InsertLength = 0;
  // The old bytes from offset 0 that the save overwrites: the whole old
  // header, or for an overwrite in place only its part up to the last byte
  // that changes.
  std::vector<std::uint8_t> OldHeader;
  // What an overwrite in place puts over OldHeader; empty when unknown
  // (room inserted, or a journal of the first version).
  std::vector<std::uint8_t> NewBytes;
};

constexpr std::size_t JournalFixedSize = 64;

std::vector<std::uint8_t> EncodeJournal(const TJournal& Journal);
// nullopt when the bytes are not one complete journal.
std::optional<TJournal> DecodeJournal(const std::vector<std::uint8_t>& Bytes);

// The journal is this video's when the inode matches and the size is the one
// before the save, or after the insert it records. The device is not
// compared: a removable disk may come back under another device number after
// the very crash the journal is for.
bool JournalBelongsTo(const TJournal& Journal, const struct stat& Info);

// Creates the journal (it must not exist), syncs it and its folder.
int WriteJournal(IFileSystem& Fs, const TSaveNames& Names, const TJournal& Journal);

// Reads the journal file; ENOENT when there is none, EBADMSG when it is not
// one complete journal.
int ReadJournal(IFileSystem& Fs, const std::string& Path, TJournal& Journal);

// Whether the video already holds every new byte the journal records: the
// save it guards reached its end. Syncs the video when it does.
bool SaveCompleted(IFileSystem& Fs, int Fd, const TJournal& Journal);

// Puts the old header back in the open video: collapses the inserted room
// if the size shows it is there, rewrites the old bytes, syncs. Running it
// again after it was cut off is harmless.
int RollBack(IFileSystem& Fs, int Fd, const TJournal& Journal);

// Removes the journal and, unless told not to, syncs the folder; only the
// unlink's result counts, since once it is done the removal is what a
// reader sees.
int RemoveJournal(IFileSystem& Fs, const TSaveNames& Names, bool SyncTheFolder = true);

} // namespace Quillmark::Asf
