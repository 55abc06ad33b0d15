#include "matroska/MatroskaBatch.h"

#include "matroska/MatroskaJournal.h"
#include "matroska/MatroskaSave.h"

#include <map>
#include <utility>

namespace Quillmark::Matroska {

enum class TMatroskaBatch::TStage {
  Alone, // saved alone, as its file system's syncfs may not wait for it
  Planned,
  JournalWritten, // not yet synced
  Journaled,      // on disk: the file may be written
  Written,        // not yet synced
  Synced,         // on disk: the save has taken effect
  Done,
  Failed,
};

struct TMatroskaBatch::TEntry {
  int Fd = -1;
  Fs::TSaveNames Names;
  Fs::TJournal Journal;
  TStage Stage = TStage::Planned;
  bool OneSector = false; // no journal file: see WithinOneSector
  std::string Failure;
  dev_t Device() const { return static_cast<dev_t>(Journal.Device); }
};

namespace {

// What a record adds to a shared journal, near enough to bound its size.
std::uint64_t RecordBytes(const Fs::TJournal& Journal)
{
  return Fs::JournalFixedSize + Journal.OldHeader.size() + Journal.NewBytes.size() + 32;
}

} // namespace

TMatroskaBatch::TMatroskaBatch(Fs::IFileSystem& Fs) : FFs(Fs), FShared(Fs) {}

TMatroskaBatch::~TMatroskaBatch() = default;

std::size_t TMatroskaBatch::Size() const
{
  return FEntries.size();
}

std::uint64_t TMatroskaBatch::JournalBytes() const
{
  return FJournalBytes;
}

bool TMatroskaBatch::Changes(std::size_t Index) const
{
  return !ChangesNothing(FEntries.at(Index)->Journal);
}

const std::string& TMatroskaBatch::Failure(std::size_t Index) const
{
  return FEntries.at(Index)->Failure;
}

void TMatroskaBatch::Add(int Fd, const Fs::TSaveNames& Names, std::uint64_t OldSize, const TSavePlan& Plan)
{
  auto Entry = std::make_unique<TEntry>();
  Entry->Fd = Fd;
  Entry->Names = Names;
  Entry->Journal = PrepareSave(FFs, Fd, Names, OldSize, Plan);
  Entry->OneSector = WithinOneSector(Entry->Journal);
  if (ChangesNothing(Entry->Journal)) {
    Entry->Stage = TStage::Done;
  } else if (!FShared.On(Entry->Device(), Fd)) {
    Entry->Stage = TStage::Alone;
  } else if (Entry->OneSector) {
    Entry->Stage = TStage::Journaled; // needs no journal file
  } else {
    FJournalBytes += RecordBytes(Entry->Journal);
  }
  FEntries.push_back(std::move(Entry));
}

// With RollBack the old bytes go back first; if even that fails the journal
// stays, and the next open rolls back.
void TMatroskaBatch::Fail(TEntry& Entry, std::string Why, bool RollBack)
{
  if (Entry.OneSector) {
    Fs::RollBack(FFs, Entry.Fd, Entry.Journal);
  } else if (RollBack) {
    UndoSave(FFs, Entry.Fd, Entry.Names, Entry.Journal);
  } else {
    Fs::RemoveJournal(FFs, Entry.Names.Journal);
  }
  Entry.Stage = TStage::Failed;
  Entry.Failure = std::move(Why);
}

// The planned entries that may share a journal: those of one folder, in
// groups of at most MaxJournalNames and about MaxSharedJournalBytes.
std::vector<std::vector<TMatroskaBatch::TEntry*>> TMatroskaBatch::SharingGroups()
{
  std::map<std::pair<dev_t, ino_t>, std::vector<TEntry*>> ByFolder;
  std::vector<std::vector<TEntry*>> Groups;
  for (auto& Entry : FEntries) {
    if (Entry->Stage != TStage::Planned) {
      continue;
    }
    if (!Entry->Names.Journal.Folder) {
      Groups.push_back({Entry.get()}); // WriteJournal tells why it has no place
      continue;
    }
    const Fs::TFileId Folder = Entry->Names.Journal.Folder->Id();
    ByFolder[{Folder.Device, Folder.Inode}].push_back(Entry.get());
  }
  for (auto& [Folder, Entries] : ByFolder) {
    std::uint64_t Bytes = 0;
    bool Full = true; // each folder starts a group of its own
    for (TEntry* Entry : Entries) {
      const std::uint64_t Record = RecordBytes(Entry->Journal);
      if (Full || Bytes + Record > Fs::MaxSharedJournalBytes || Groups.back().size() == Fs::MaxJournalNames) {
        Groups.emplace_back();
        Bytes = 0;
        Full = false;
      }
      Groups.back().push_back(Entry);
      Bytes += Record;
    }
  }
  return Groups;
}

// One file under every entry's journal name where the file system lets it
// be linked; an entry it does not reach writes a journal of its own.
void TMatroskaBatch::WriteSharedJournal(const std::vector<TEntry*>& Group, Fs::TJournalSync Sync)
{
  if (Group.size() < 2) {
    return;
  }
  std::vector<const Fs::TJournal*> Records;
  std::vector<Fs::TSideFile*> Files;
  for (TEntry* Entry : Group) {
    Records.push_back(&Entry->Journal);
    Files.push_back(&Entry->Names.Journal);
  }
  std::vector<bool> Holds;
  if (Fs::WriteSharedJournal(FFs, Files, Fs::EncodeJournalSet(Records), Holds, Sync) != 0) {
    return;
  }
  for (std::size_t Index = 0; Index < Group.size(); ++Index) {
    if (Holds[Index]) {
      Group[Index]->Stage = Sync == Fs::TJournalSync::Now ? TStage::Journaled : TStage::JournalWritten;
    }
  }
}

// A shared journal alone on its file system is synced with its folder at
// once: a syncfs would also wait for whatever other programs wrote there.
void TMatroskaBatch::WriteJournals()
{
  const std::vector<std::vector<TEntry*>> Groups = SharingGroups();
  std::map<dev_t, int> GroupsOn;
  for (const std::vector<TEntry*>& Group : Groups) {
    ++GroupsOn[Group.front()->Device()];
  }
  for (const std::vector<TEntry*>& Group : Groups) {
    const bool Alone = GroupsOn[Group.front()->Device()] == 1;
    WriteSharedJournal(Group, Alone ? Fs::TJournalSync::Now : Fs::TJournalSync::Later);
    for (TEntry* Entry : Group) {
      if (Entry->Stage != TStage::Planned) {
        continue;
      }
      if (int Error = Fs::WriteJournal(FFs, Entry->Names, Entry->Journal, Fs::TJournalSync::Later);
          Error != 0) {
        Entry->Stage = TStage::Failed;
        Entry->Failure = SaveFailure("its journal cannot be written", Error);
      } else {
        Entry->Stage = TStage::JournalWritten;
      }
    }
  }
}

// One syncfs per file system among the entries at Stage, which then move
// on a stage; those whose file system failed to sync fail.
void TMatroskaBatch::SyncStage(TStage Stage, const char* What, bool RollBack)
{
  std::map<dev_t, int> Errors;
  for (auto& Entry : FEntries) {
    if (Entry->Stage != Stage) {
      continue;
    }
    auto Known = Errors.find(Entry->Device());
    if (Known == Errors.end()) {
      Known = Errors.emplace(Entry->Device(), FFs.SyncFs(Entry->Fd)).first;
    }
    if (Known->second != 0) {
      Fail(*Entry, SaveFailure(What, Known->second), RollBack);
    } else {
      Entry->Stage = static_cast<TStage>(static_cast<int>(Stage) + 1);
    }
  }
}

void TMatroskaBatch::WriteFiles()
{
  for (auto& Entry : FEntries) {
    if (Entry->Stage != TStage::Journaled) {
      continue;
    }
    if (int Error = WriteNewBytes(FFs, Entry->Fd, Entry->Journal); Error != 0) {
      Fail(*Entry, SaveFailure("cannot be written", Error), true);
    } else {
      Entry->Stage = TStage::Written;
    }
  }
}

// Each file's new bytes are on disk: a journal that outlives a crash finds
// them and is dropped, so, as for a save alone, the removal is not synced.
// One that cannot be removed is rolled back, as a save alone is.
void TMatroskaBatch::RemoveJournals()
{
  for (auto& Entry : FEntries) {
    if (Entry->Stage != TStage::Synced) {
      continue;
    }
    if (Entry->OneSector) {
      Entry->Stage = TStage::Done;
      continue;
    }
    if (int Error = Fs::RemoveJournal(FFs, Entry->Names.Journal, false); Error != 0) {
      Fail(*Entry, SaveFailure("its journal cannot be removed", Error), true);
    } else {
      Entry->Stage = TStage::Done;
    }
  }
}

// Whether the entry waits for the phases: a journal to write, or (a change
// within one sector) its bytes.
bool TMatroskaBatch::Waits(const TEntry& Entry)
{
  return Entry.Stage == TStage::Planned || Entry.Stage == TStage::Journaled;
}

// A save alone on its file system syncs its own files: a syncfs would also
// wait for whatever other programs have written there.
void TMatroskaBatch::SaveAlone()
{
  std::map<dev_t, int> Planned;
  for (auto& Entry : FEntries) {
    Planned[Entry->Device()] += Waits(*Entry) ? 1 : 0;
  }
  for (auto& Entry : FEntries) {
    const bool Alone = Entry->Stage == TStage::Alone || (Waits(*Entry) && Planned[Entry->Device()] == 1);
    if (!Alone) {
      continue;
    }
    try {
      SaveJournaled(FFs, Entry->Fd, Entry->Names, Entry->Journal);
      Entry->Stage = TStage::Done;
    } catch (const EMatroskaError& Error) {
      Entry->Stage = TStage::Failed;
      Entry->Failure = Error.what();
    }
  }
}

void TMatroskaBatch::Commit()
{
  SaveAlone();
  WriteJournals();
  SyncStage(TStage::JournalWritten, "its journal cannot be written", false);
  WriteFiles();
  SyncStage(TStage::Written, "cannot be written", true);
  RemoveJournals();
}

} // namespace Quillmark::Matroska
