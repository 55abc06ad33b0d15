#include "asf/HeaderBatch.h"
#include "asf/CommitImage.h"

#include "asf/CommitPaths.h"
#include "fs/SharedSyncs.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <new>
#include <string>

namespace Quillmark::Asf {

enum class THeaderBatch::TStage {
  Planned,
  JournalWritten, // not yet synced
  Journaled,      // on disk: the header may be written
  Written,
  Removed,        // an insert's journal removed, the removal not yet synced
  Replacing,      // to be saved by a new file, cloned or copied
  NewFileWritten, // not yet synced
  Placed,         // the new file has the video's name, the folder not yet synced
  Done,
  Failed,
};

struct THeaderBatch::TEntry {
  explicit TEntry(TCommitRequest From, IFileSystem& Fs)
      : Request(std::move(From)), Context{Request, Fs, {}, {}, {}, {}, {}}, NewFile(Fs)
  {
    Context.FolderSyncedLater = true;
  }
  TCommitRequest Request;
  TCommitContext Context; // refers to Request: an entry never moves
  TInPlacePlan Plan;
  TScopedFd NewFile; // a save by a new file: that file, until it is placed
  std::vector<std::uint8_t> NewFileHeader;
  TStage Stage = TStage::Planned;
  HRESULT Result = S_OK;
};

THeaderBatch::THeaderBatch(IFileSystem* Fs) : FFs(Fs != nullptr ? *Fs : PosixFileSystem()) {}

// Asked once per file system, not once per file.
bool THeaderBatch::SharesSyncsOn(const TCommitContext& Context)
{
  const dev_t Device = Context.Info.st_dev;
  auto Known = FSharesSyncs.find(Device);
  if (Known == FSharesSyncs.end()) {
    Known = FSharesSyncs.emplace(Device, Fs::SharesSyncs(FFs, Context.Request.Fd)).first;
  }
  return Known->second;
}

THeaderBatch::~THeaderBatch() = default;

std::size_t THeaderBatch::Size() const
{
  return FEntries.size();
}

HRESULT THeaderBatch::Result(std::size_t Index) const
{
  const TEntry& Entry = *FEntries.at(Index);
  // A batch cut short (out of memory) leaves its journals to the next open.
  return Entry.Stage == TStage::Done || Entry.Stage == TStage::Failed ? Entry.Result : E_INVALID_STATE;
}

// A header that grows inserts room in front of the Data Object where the
// file system can; any other is saved by a new file, cloned or copied.
// Replacing is set for those.
HRESULT THeaderBatch::Plan(TEntry& Entry, bool& Joins, bool& Replacing)
{
  TCommitContext& Context = Entry.Context;
  Joins = false;
  Replacing = false;
  if (!SharesSyncsOn(Context) || Context.Request.CompactPadding) {
    return S_OK;
  }
  if (FitsInPlace(Context)) {
    Joins = true;
    return PlanInPlace(Context, Entry.Plan);
  }
  if (Context.Request.AllowInsertRange) {
    if (HRESULT Result = PlanInsertSave(Context, Entry.Plan, Joins); Result != S_OK || Joins) {
      return Result;
    }
  }
  Joins = true;
  Replacing = true;
  return S_OK;
}

TSaveWay THeaderBatch::Way(std::size_t Index) const
{
  const TCommitContext& Context = FEntries.at(Index)->Context;
  return Context.Way == TSaveWay::InPlace && Context.Compacted ? TSaveWay::ExtensionPadding : Context.Way;
}

HRESULT THeaderBatch::Add(TCommitRequest Request, bool& Queued)
{
  Queued = false;
  try {
    auto Entry = std::make_unique<TEntry>(std::move(Request), FFs);
    TCommitContext& Context = Entry->Context;
    if (HRESULT Result = PrepareCommit(Context); Result != S_OK) {
      return Result;
    }
    // As a single save does: the Header Extension's padding is room too.
    if (!FitsInPlace(Context)) {
      Context.Compacted = WithoutExtensionPadding(Context.Request.NewHeader);
    }
    bool Joins = false;
    bool Replacing = false;
    if (HRESULT Result = Plan(*Entry, Joins, Replacing); Result != S_OK || !Joins) {
      return Result;
    }
    // A file that holds this header already has nothing to write.
    // A change within one sector needs no journal (CommitPaths.h).
    Entry->Stage = Replacing                  ? TStage::Replacing
                   : Entry->Plan.Changed == 0 ? TStage::Done
                   : Entry->Plan.OneSector    ? TStage::Journaled
                                              : TStage::Planned;
    FEntries.push_back(std::move(Entry));
    Queued = true;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUT_OF_MEMORY;
  }
}

// With RollBack the old header goes back first, as a single save abandons;
// if even that fails the journal stays, and the next open rolls back.
void THeaderBatch::Fail(TEntry& Entry, HRESULT Result, bool RollBack)
{
  TCommitContext& Context = Entry.Context;
  const bool Rolled = !RollBack || Asf::RollBack(FFs, Context.Request.Fd, Entry.Plan.Journal) == 0;
  if (Rolled && !Entry.Plan.OneSector) {
    RemoveJournal(FFs, Context.Names.Journal);
  }
  Entry.Stage = TStage::Failed;
  Entry.Result = Result;
}

namespace {

// What a record adds to a shared journal, near enough to bound its size.
std::uint64_t RecordBytes(const TJournal& Journal)
{
  return JournalFixedSize + Journal.OldHeader.size() + Journal.NewBytes.size() + 32;
}

} // namespace

// The planned entries that may share a journal: those of one folder, in
// groups of at most MaxJournalNames and about MaxSharedJournalBytes.
std::vector<std::vector<THeaderBatch::TEntry*>> THeaderBatch::SharingGroups()
{
  std::map<std::pair<dev_t, ino_t>, std::vector<TEntry*>> ByFolder;
  for (auto& Entry : FEntries) {
    if (Entry->Stage == TStage::Planned) {
      const TFileId Folder = Entry->Context.Names.Journal.Folder->Id();
      ByFolder[{Folder.Device, Folder.Inode}].push_back(Entry.get());
    }
  }
  std::vector<std::vector<TEntry*>> Groups;
  for (auto& [Folder, Entries] : ByFolder) {
    std::uint64_t Bytes = 0;
    bool Full = true; // each folder starts a group of its own
    for (TEntry* Entry : Entries) {
      const std::uint64_t Record = RecordBytes(Entry->Plan.Journal);
      if (Full || Bytes + Record > MaxSharedJournalBytes || Groups.back().size() == MaxJournalNames) {
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

// One file under every entry's journal name, where the file system lets it
// be linked; each entry it does not reach writes a journal of its own.
// Synced at once, the file and its folder, when it is the only journal of
// its file system, since a syncfs would also wait for whatever other
// programs have written there.
void THeaderBatch::WriteSharedJournal(const std::vector<TEntry*>& Group, TJournalSync Sync)
{
  if (Group.size() < 2) {
    return;
  }
  std::vector<const TJournal*> Records;
  std::vector<TSideFile*> Files;
  for (TEntry* Entry : Group) {
    Records.push_back(&Entry->Plan.Journal);
    Files.push_back(&Entry->Context.Names.Journal);
  }
  std::vector<bool> Holds;
  if (Asf::WriteSharedJournal(FFs, Files, EncodeJournalSet(Records), Holds, Sync) != 0) {
    return;
  }
  for (std::size_t Index = 0; Index < Group.size(); ++Index) {
    if (Holds[Index]) {
      Group[Index]->Stage = Sync == TJournalSync::Now ? TStage::Journaled : TStage::JournalWritten;
    }
  }
}

void THeaderBatch::WriteOwnJournal(TEntry& Entry)
{
  if (int Error = WriteJournal(FFs, Entry.Context.Names, Entry.Plan.Journal, TJournalSync::Later);
      Error != 0) {
    Entry.Stage = TStage::Failed;
    Entry.Result = ErrnoResult(Error);
    return;
  }
  Entry.Stage = TStage::JournalWritten;
}

void THeaderBatch::WriteJournals()
{
  const std::vector<std::vector<TEntry*>> Groups = SharingGroups();
  std::map<dev_t, int> GroupsOn;
  for (const std::vector<TEntry*>& Group : Groups) {
    ++GroupsOn[Group.front()->Context.Info.st_dev];
  }
  for (const std::vector<TEntry*>& Group : Groups) {
    const bool Alone = GroupsOn[Group.front()->Context.Info.st_dev] == 1;
    WriteSharedJournal(Group, Alone ? TJournalSync::Now : TJournalSync::Later);
    for (TEntry* Entry : Group) {
      if (Entry->Stage == TStage::Planned) {
        WriteOwnJournal(*Entry);
      }
    }
  }
}

void THeaderBatch::SyncStage(TStage Stage, const std::function<void(TEntry&, int Error)>& Failed)
{
  std::map<dev_t, int> Errors;
  for (auto& Entry : FEntries) {
    if (Entry->Stage != Stage) {
      continue;
    }
    const dev_t Device = Entry->Context.Info.st_dev;
    if (Errors.count(Device) == 0) {
      Errors[Device] = FFs.SyncFs(Entry->Context.Request.Fd);
    }
    if (Errors[Device] != 0 && Failed) {
      Failed(*Entry, Errors[Device]);
    }
  }
}

void THeaderBatch::SyncJournals()
{
  // No header was touched yet: a journal that may not be on disk just goes.
  SyncStage(TStage::JournalWritten,
            [this](TEntry& Entry, int Error) { Fail(Entry, ErrnoResult(Error), false); });
  for (auto& Entry : FEntries) {
    if (Entry->Stage == TStage::JournalWritten) {
      Entry->Stage = TStage::Journaled;
    }
  }
}

namespace {

bool Inserts(const TInPlacePlan& Plan)
{
  return Plan.Journal.Kind == TJournalKind::InsertRange;
}

} // namespace

// Writes one entry's header, with its room inserted first where it grows.
void THeaderBatch::WriteHeader(TEntry& Entry)
{
  const int Fd = Entry.Context.Request.Fd;
  const TInPlacePlan& Plan = Entry.Plan;
  if (Inserts(Plan)) {
    bool Refused = false;
    const HRESULT Result = WriteInsertedHeader(Entry.Context, Plan, Refused);
    // Refused, the file is as it was and its journal name gone: it is
    // saved by a new file, once the saves in place are done.
    if (Refused && Result == S_OK) {
      Entry.Stage = TStage::Replacing;
    } else {
      Entry.Stage = Result == S_OK ? TStage::Written : TStage::Failed;
      Entry.Result = Result;
    }
    return;
  }
  if (int Error = WriteHeaderRegion(FFs, Fd, Plan.Header, Plan.Changed); Error != 0) {
    Fail(Entry, ErrnoResult(Error), true);
    return;
  }
  HRESULT Checked =
      VerifyWritten(Entry.Context, Fd, Plan.Header, THeaderGap{Plan.Changed, Plan.Header.size()});
  if (Checked != S_OK) {
    Fail(Entry, Checked, true);
    return;
  }
  Entry.Stage = TStage::Written;
}

void THeaderBatch::WriteHeaders(const std::function<void(std::size_t Entry)>& OnSaving)
{
  for (std::size_t Index = 0; Index < FEntries.size(); ++Index) {
    TEntry& Entry = *FEntries[Index];
    if (Entry.Stage != TStage::Journaled) {
      continue;
    }
    if (OnSaving) {
      OnSaving(Index);
    }
    WriteHeader(Entry);
  }
}

void THeaderBatch::SyncHeaders()
{
  SyncStage(TStage::Written, [this](TEntry& Entry, int Error) { Fail(Entry, ErrnoResult(Error), true); });
}

void THeaderBatch::RemoveJournals()
{
  for (auto& Entry : FEntries) {
    if (Entry->Stage != TStage::Written) {
      continue;
    }
    if (Entry->Plan.OneSector) {
      Entry->Stage = TStage::Done;
      continue;
    }
    // The new header is on disk: an overwrite has taken effect, and a
    // journal that outlives a crash finds the new bytes in the file and is
    // dropped; so, as for a single save in place, its removal is not
    // synced. Inserted room is only the save's once the removal is on disk,
    // which one more sync sees to. One that cannot be removed is rolled
    // back, as a single save does.
    if (int Error = RemoveSideFile(FFs, Entry->Context.Names.Journal); Error != 0) {
      Fail(*Entry, ErrnoResult(Error), true);
      continue;
    }
    Entry->Stage = Inserts(Entry->Plan) ? TStage::Removed : TStage::Done;
  }
  // Once removed, a journal cannot roll its file back: a failed sync here
  // is not the save's failure, as for a single save.
  SyncStage(TStage::Removed, {});
  for (auto& Entry : FEntries) {
    if (Entry->Stage == TStage::Removed) {
      Entry->Stage = TStage::Done;
    }
  }
}

// Each new file is made beside its video, sharing the video's blocks where
// the file system can, else copying them; a failure leaves nothing beside
// the video.
void THeaderBatch::WriteNewFiles(const std::function<void(std::size_t Entry)>& OnSaving)
{
  for (std::size_t Index = 0; Index < FEntries.size(); ++Index) {
    TEntry& Entry = *FEntries[Index];
    if (Entry.Stage != TStage::Replacing) {
      continue;
    }
    if (OnSaving) {
      OnSaving(Index);
    }
    bool Settled = false;
    HRESULT Result = S_OK;
    if (Entry.Request.AllowClone) {
      Result = WriteClone(Entry.Context, Entry.NewFile, Entry.NewFileHeader, Settled);
    }
    if (!Settled) {
      Result = WriteCopy(Entry.Context, Entry.NewFile, Entry.NewFileHeader);
    }
    Entry.Stage = Result == S_OK ? TStage::NewFileWritten : TStage::Failed;
    Entry.Result = Result;
  }
}

// Until a new file is on disk it stays beside its video, which the next
// open removes.
void THeaderBatch::SyncNewFiles()
{
  SyncStage(TStage::NewFileWritten, [](TEntry& Entry, int Error) {
    Entry.Result = DropReplacement(Entry.Context, Entry.NewFile, ErrnoResult(Error));
    Entry.Stage = TStage::Failed;
  });
}

// Each new file, checked, takes its video's name; the old video goes. One
// sync then puts every folder's change on disk. A crash before it leaves
// each folder as it was or as it is now, either of which holds a whole
// video; so, as for a single save, a failure of that sync is not the
// save's.
void THeaderBatch::PlaceNewFiles()
{
  for (auto& Entry : FEntries) {
    if (Entry->Stage != TStage::NewFileWritten) {
      continue;
    }
    Entry->Result = PlaceReplacement(Entry->Context, Entry->NewFile, Entry->NewFileHeader);
    Entry->NewFile.Reset();
    Entry->Stage = Entry->Result == S_OK ? TStage::Placed : TStage::Failed;
  }
  SyncStage(TStage::Placed, {});
  for (auto& Entry : FEntries) {
    if (Entry->Stage == TStage::Placed) {
      Entry->Stage = TStage::Done;
    }
  }
}

void THeaderBatch::Commit(const std::function<void(std::size_t Entry)>& OnSaving)
{
  WriteJournals();
  SyncJournals();
  WriteHeaders(OnSaving);
  SyncHeaders();
  RemoveJournals();
  WriteNewFiles(OnSaving);
  SyncNewFiles();
  PlaceNewFiles();
}

} // namespace Quillmark::Asf
