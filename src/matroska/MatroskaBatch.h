#pragma once
// Saving many Matroska files with a few syncs in all. A save alone
// (MatroskaSave.h) pays three syncs: its journal, its folder, the file. A
// batch runs the same steps for all its files one phase at a time, each
// phase ending with one syncfs per file system:
//
//   1. every journal is written: one file shared by the files of a folder,
//      under each one's journal name (fs/Journal.h), or where the file
//      system refuses the link, a journal of the file's own;
//   2. sync: each journal and its folder entries are on disk (a shared
//      journal alone on its file system syncs only itself and its folder);
//   3. every file takes its new bytes (and new end), read back;
//   4. sync: each file's new bytes are on disk, so each save has taken
//      effect;
//   5. every journal name is removed, unsynced, as a save alone leaves it.
//
// A change within one sector needs no journal file (WithinOneSector): it
// skips 1, 2 and 5.
// A crash anywhere leaves each file old or new, as for a save alone: before
// 2 no file was touched and a journal cut short is dropped on the next
// open; from 2 to 4 each journal puts the old bytes back unless it finds
// the new ones complete; after 4 a journal that comes back finds them and
// is dropped. A failure of one file rolls that file back alone; a failed
// sync rolls back every file of its file system the sync was to make safe.
// Files on a file system whose syncfs may not wait for every file (see
// fs/SharedSyncs.h), and a file that is the only one of its file system in
// the batch, are saved alone, syncing their own files.
#include "fs/Journal.h"
#include "fs/SaveNames.h"
#include "fs/SharedSyncs.h"
#include "matroska/MatroskaEdit.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Quillmark::Matroska {

class TMatroskaBatch {
public:
  explicit TMatroskaBatch(Fs::IFileSystem& Fs);
  ~TMatroskaBatch();
  TMatroskaBatch(const TMatroskaBatch&) = delete;
  TMatroskaBatch& operator=(const TMatroskaBatch&) = delete;

  // Takes the save of Plan into the open file Fd (read and write, locked,
  // recovered by RecoverMatroska into Names) of OldSize bytes, as entry
  // Size() - 1. Throws EMatroskaError, with the entry not taken, for what
  // fails before a journal is written, as SaveInPlace does. Fd and its lock
  // must stay held until Commit returns.
  void Add(int Fd, const Fs::TSaveNames& Names, std::uint64_t OldSize, const TSavePlan& Plan);
  std::size_t Size() const;
  // Whether entry Index changes its file: false when it holds the values.
  bool Changes(std::size_t Index) const;
  // The journal bytes of the entries waiting: a caller bounds a group by them.
  std::uint64_t JournalBytes() const;

  // Runs the phases above for the entries waiting.
  void Commit();

  // Empty once entry Index is saved (or held its values already); else why
  // it was not, with its file as it was. Meaningful after Commit.
  const std::string& Failure(std::size_t Index) const;

private:
  struct TEntry;
  enum class TStage;

  static bool Waits(const TEntry& Entry);
  void SaveAlone();
  void WriteJournals();
  void WriteSharedJournal(const std::vector<TEntry*>& Group, Fs::TJournalSync Sync);
  void SyncStage(TStage Stage, const char* What, bool RollBack);
  void WriteFiles();
  void RemoveJournals();
  void Fail(TEntry& Entry, std::string Why, bool RollBack);
  std::vector<std::vector<TEntry*>> SharingGroups();

  Fs::IFileSystem& FFs;
  Fs::TSharedSyncs FShared;
  std::vector<std::unique_ptr<TEntry>> FEntries;
  std::uint64_t FJournalBytes = 0;
};

} // namespace Quillmark::Matroska
