#pragma once
// Saving the headers of many videos with a few syncs in all.
//
// A save in place (HeaderCommit.h) pays three syncs of its own: the journal,
// its folder, the header. A batch runs the same steps for all its files one
// phase at a time, and each phase ends with one syncfs per file system:
//
//   1. every journal is written: one file shared by the videos of a folder,
//      under each one's journal name (Journal.h), or where the file system
//      refuses the link, a journal of the video's own;
//   2. sync: each journal and its folder entries are on disk; a file
//      system holding one shared journal only syncs that file and its
//      folder, any other one syncfs;
//   3. every new header is written over the old and read back;
//   4. sync: each new header is on disk, so each save has taken effect;
//   5. every journal name is removed, unsynced, as a single save in place
//      leaves its removal.
//
// Sharing a file spares the file system making and freeing one per video,
// which on some (ext4 without its journal, or mounted with discard) costs
// more than the save itself.
//
// A crash anywhere leaves each file old or new, as for one save: before 2
// no header was touched and a journal cut short is dropped on the next
// open; from 2 to 4 each journal rolls its header back unless it finds the
// new one complete; after 4 each journal, if it comes back, finds its new
// header and is dropped. A failure of
// one file (a journal not written, a header that reads back wrong) rolls
// that file back alone; a failed sync rolls back every file of its file
// system that the sync was to make safe.
//
// Saves in place join a batch, and so do headers that grow by inserting
// room in front of the Data Object (ext4, XFS): their journals record the
// insert, step 3 inserts the room before it writes the header, and after
// step 5 one more sync puts the journals' removal on disk, which is when
// inserted room becomes the save's. Any other growing save (or one whose
// file system refused the insert, its file left as it was) writes a new
// file beside its video, then:
//
//   6. every new file is written, sharing the video's blocks where the
//      file system can, else copying them, unsynced;
//   7. sync: each new file is on disk;
//   8. each new file, read back, takes its video's name, and the old video
//      is removed;
//   9. sync: the folders' changes are on disk.
//
// A crash before 8 leaves a new file beside its video, which the next open
// removes; from 8 on each name leads to a whole video, old or new.
// Only file systems whose syncfs writes back and waits for every file
// (ext2/3/4, XFS, Btrfs, F2FS, tmpfs) take part; a video on any other one,
// or a compacting save, is left to CommitHeader.
#include "asf/HeaderCommit.h"
#include "fs/Journal.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <sys/types.h>
#include <vector>

namespace Quillmark::Asf {

struct TCommitContext;

class THeaderBatch {
public:
  // Fs: nullptr for the real file system.
  explicit THeaderBatch(IFileSystem* Fs = nullptr);
  ~THeaderBatch();
  THeaderBatch(const THeaderBatch&) = delete;
  THeaderBatch& operator=(const THeaderBatch&) = delete;

  // Checks the request as CommitHeader does and plans its save in place.
  // Queued is true when it joined the batch, as entry Size() - 1; false
  // (with S_OK) when the save cannot join and is the caller's to make with
  // CommitHeader. A failure is the save's result; the video is untouched.
  // The request's Fd and its lock must stay held until Commit returns.
  HRESULT Add(TCommitRequest Request, bool& Queued);
  std::size_t Size() const;

  // The phases, in order; each acts on the saves still under way. Commit
  // runs them all; OnSaving, when set, hears the entry whose header is
  // about to be written.
  void WriteJournals();
  void SyncJournals();
  void WriteHeaders(const std::function<void(std::size_t Entry)>& OnSaving = {});
  void SyncHeaders();
  void RemoveJournals();
  void WriteNewFiles(const std::function<void(std::size_t Entry)>& OnSaving = {});
  void SyncNewFiles();
  void PlaceNewFiles();
  void Commit(const std::function<void(std::size_t Entry)>& OnSaving = {});

  // S_OK once entry Index's header is saved (or was already in the file);
  // E_INVALID_STATE while its save is still under way.
  HRESULT Result(std::size_t Index) const;
  // How entry Index is written: in place (with or without the padding of
  // its Header Extension), by inserted room, by a clone or by a copy.
  TSaveWay Way(std::size_t Index) const;

private:
  struct TEntry;
  enum class TStage;

  // One syncfs per file system among the entries at Stage; Failed hears
  // each entry whose file system failed to sync.
  void SyncStage(TStage Stage, const std::function<void(TEntry&, int Error)>& Failed);
  void Fail(TEntry& Entry, HRESULT Result, bool RollBack);
  std::vector<std::vector<TEntry*>> SharingGroups();
  void WriteSharedJournal(const std::vector<TEntry*>& Group, TJournalSync Sync);
  void WriteOwnJournal(TEntry& Entry);
  bool SharesSyncsOn(const TCommitContext& Context);
  HRESULT Plan(TEntry& Entry, bool& Joins, bool& Replacing);
  void WriteHeader(TEntry& Entry);

  IFileSystem& FFs;
  std::vector<std::unique_ptr<TEntry>> FEntries;
  std::map<dev_t, bool> FSharesSyncs; // by device: whether its syncfs waits for every file
};

} // namespace Quillmark::Asf
