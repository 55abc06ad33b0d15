// Saves in place of many videos sharing their syncs: the files they make,
// the syncs they cost, and what any failure or crash leaves behind.
#include "asf/HeaderBatch.h"
#include "asf/CommitTestFiles.h"
#include "common/TestFiles.h"
#include "fs/CommitFaultFileSystem.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <memory>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <tuple>
#include <unistd.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

enum class TFault { Io, DiskFull, Crash };

class HeaderBatchTest : public ::testing::Test {
protected:
  void SetUp() override { FSample = MakeSample(2000); }

  // With FTwoFolders, the odd videos are in a subfolder.
  std::filesystem::path Video(int Index) const
  {
    const std::string Name = "clip" + std::to_string(Index) + ".wmv";
    return FTwoFolders && Index % 2 == 1 ? FDir.Path() / "other" / Name : FDir.File(Name);
  }

  // Each video gets its own new header, shorter than the old (saved in
  // place) or, with FGrow, longer (room inserted in front of the data).
  THeaderImage Image(int Index) const
  {
    return MakeImage(FGrow ? 9000 : 1000, 7 + static_cast<std::uint32_t>(Index));
  }

  TBytes Expected(int Index) const
  {
    if (FGrow) {
      return FGrown.at(static_cast<std::size_t>(Index));
    }
    THeaderImage New = Image(Index);
    return ExpectedFile(New, FSample.HeaderSize - New.Bytes.size(), FSample.Rest());
  }

  // What growing saves make of each video, from runs without faults: as
  // told (FNoInsert, FCloneBlock), by the next way, as when an insert
  // fails, and by a copy, as when a clone cannot be planned.
  void LearnGrown(int Count)
  {
    const bool NoInsert = FNoInsert;
    const std::uint64_t CloneBlock = FCloneBlock;
    const std::tuple<bool, std::uint64_t, std::vector<TBytes>*> Runs[] = {
        {true, 0, &FGrownCopied}, {true, CloneBlock, &FGrownAlone}, {NoInsert, CloneBlock, &FGrown}};
    for (const auto& [Alone, Block, Grown] : Runs) {
      FNoInsert = Alone;
      FCloneBlock = Block;
      Restore(Count);
      TFaultFileSystem Fs;
      bool Crashed = false;
      const std::vector<HRESULT> Results = Run(Fs, Count, Crashed);
      Grown->clear();
      for (int Index = 0; Index < Count; ++Index) {
        ASSERT_EQ(Results[static_cast<std::size_t>(Index)], S_OK);
        Grown->push_back(ReadFileBytes(Video(Index)));
      }
    }
  }

  bool IsNew(int Index, const TBytes& File) const
  {
    const auto At = static_cast<std::size_t>(Index);
    return File == Expected(Index) || (FGrow && (File == FGrownAlone.at(At) || File == FGrownCopied.at(At)));
  }

  void Restore(int Count)
  {
    std::filesystem::create_directories(FDir.Path() / "other");
    for (const auto& Folder : {FDir.Path(), FDir.Path() / "other"}) {
      for (const auto& Side : SideFiles(Folder)) {
        std::filesystem::remove(Side);
      }
    }
    for (int Index = 0; Index < Count; ++Index) {
      WriteFileBytes(Video(Index), FSample.Bytes);
    }
  }

  // Saves Count videos in one batch through Fs: one result per video, and
  // whether the run stopped dead.
  std::vector<HRESULT> Run(TFaultFileSystem& Fs, int Count, bool& Crashed)
  {
    std::vector<HRESULT> Results(static_cast<std::size_t>(Count), E_IO_FAILURE);
    std::vector<std::unique_ptr<TOpenVideo>> Open;
    std::vector<int> Queued;
    Crashed = false;
    if (FCloneBlock != 0) {
      Fs.EmulateClone(FCloneBlock);
    }
    try {
      THeaderBatch Batch(&Fs);
      for (int Index = 0; Index < Count; ++Index) {
        Open.push_back(std::make_unique<TOpenVideo>(Video(Index)));
        bool Joined = false;
        TCommitRequest Request = Open.back()->Request(Image(Index), FSample.HeaderSize);
        Request.Fs = &Fs;
        Request.AllowInsertRange = !FNoInsert;
        HRESULT& Result = Results[static_cast<std::size_t>(Index)];
        Result = Batch.Add(Request, Joined);
        if (Joined) {
          Queued.push_back(Index);
        } else if (Result == S_OK) {
          Result = CommitHeader(Request); // left out of the batch, saved alone
        }
      }
      Batch.Commit();
      for (std::size_t Entry = 0; Entry < Queued.size(); ++Entry) {
        Results[static_cast<std::size_t>(Queued[Entry])] = Batch.Result(Entry);
      }
    } catch (const ESimulatedCrash&) {
      Crashed = true;
    }
    Crashed = Crashed || Fs.Crashed();
    Fs.CloseLeftovers();
    return Results;
  }

  // Every save succeeded and each video holds its new header.
  void ExpectEachSaved(const std::vector<HRESULT>& Results) const
  {
    for (std::size_t Index = 0; Index < Results.size(); ++Index) {
      ASSERT_EQ(Results[Index], S_OK) << Index;
      ASSERT_EQ(ReadFileBytes(Video(static_cast<int>(Index))), Expected(static_cast<int>(Index))) << Index;
    }
  }

  static int Syncs(const TFaultFileSystem& Fs)
  {
    return Fs.CallsOf(TFsCall::FSync) + Fs.CallsOf(TFsCall::FDataSync) + Fs.CallsOf(TFsCall::SyncFs);
  }

  void FailOrCrashAtEveryCall(int Count);

  bool NoSideFiles() const
  {
    const std::filesystem::path Other = FDir.Path() / "other";
    return SideFiles(FDir.Path()).empty() && (!std::filesystem::exists(Other) || SideFiles(Other).empty());
  }

  TTempDir FDir;
  TSampleFile FSample;
  bool FTwoFolders = false;
  bool FGrow = false;
  bool FNoInsert = false;
  std::uint64_t FCloneBlock = 0; // the fault double clones in blocks of this size
  std::vector<TBytes> FGrown;
  std::vector<TBytes> FGrownAlone;
  std::vector<TBytes> FGrownCopied;
};

// Where the file system inserts room, a header that grows shares the
// batch's syncs too: one more, after the journals' removal, which is when
// inserted room becomes the save's.
bool InsertsRoom(const std::filesystem::path& Folder)
{
  struct statfs Info {};
  return statfs(Folder.c_str(), &Info) == 0 &&
         (Info.f_type == EXT4_SUPER_MAGIC || Info.f_type == XFS_SUPER_MAGIC);
}

TEST_F(HeaderBatchTest, AHundredSavesInPlaceShareOneJournalAndThreeSyncs)
{
  constexpr int Count = 100;
  Restore(Count);
  TFaultFileSystem Fs;
  bool Crashed = false;
  ExpectEachSaved(Run(Fs, Count, Crashed));
  // One journal file made, under each video's journal name, and synced
  // alone with its folder; then one syncfs for the headers.
  EXPECT_EQ(Fs.CallsOf(TFsCall::LinkFile), Count - 1);
  EXPECT_EQ(Fs.CallsOf(TFsCall::FSync), 2);
  EXPECT_EQ(Fs.CallsOf(TFsCall::SyncFs), 1);
  EXPECT_EQ(Syncs(Fs), 3);
  EXPECT_TRUE(NoSideFiles());
}

// Saves whose changes each lie in one sector need no journal: one sync in all.
TEST_F(HeaderBatchTest, SavesWithinOneSectorShareOneSyncAndNoJournal)
{
  constexpr int Count = 10;
  const TOneSectorEdit Edit = MakeOneSectorEdit();
  std::vector<std::unique_ptr<TOpenVideo>> Open;
  TFaultFileSystem Fs;
  THeaderBatch Batch(&Fs);
  for (int Index = 0; Index < Count; ++Index) {
    WriteFileBytes(Video(Index), Edit.Sample.Bytes);
    Open.push_back(std::make_unique<TOpenVideo>(Video(Index)));
    TCommitRequest Request = Open.back()->Request(Edit.Image, Edit.Sample.HeaderSize);
    Request.Fs = &Fs;
    bool Joined = false;
    ASSERT_EQ(Batch.Add(Request, Joined), S_OK);
    ASSERT_TRUE(Joined);
  }
  Batch.Commit();
  for (int Index = 0; Index < Count; ++Index) {
    EXPECT_EQ(Batch.Result(static_cast<std::size_t>(Index)), S_OK);
    EXPECT_EQ(ReadFileBytes(Video(Index)), Edit.New);
  }
  EXPECT_EQ(Syncs(Fs), 1);
  EXPECT_EQ(Fs.CallsOf(TFsCall::LinkFile) + Fs.CallsOf(TFsCall::Unlink), 0);
  EXPECT_TRUE(NoSideFiles());
}

// Two journals on one file system: one syncfs makes both durable.
TEST_F(HeaderBatchTest, JournalsOfTwoFoldersShareASyncOfTheFileSystem)
{
  constexpr int Count = 10;
  FTwoFolders = true;
  Restore(Count);
  TFaultFileSystem Fs;
  bool Crashed = false;
  ExpectEachSaved(Run(Fs, Count, Crashed));
  EXPECT_EQ(Fs.CallsOf(TFsCall::LinkFile), Count - 2);
  EXPECT_EQ(Fs.CallsOf(TFsCall::SyncFs), 2);
  EXPECT_EQ(Syncs(Fs), 2);
  EXPECT_TRUE(NoSideFiles());
}

TEST_F(HeaderBatchTest, AHundredGrowingSavesShareOneJournalAndFourSyncs)
{
  if (!InsertsRoom(FDir.Path())) {
    GTEST_SKIP() << "the test folder's file system does not insert room";
  }
  constexpr int Count = 100;
  FGrow = true;
  LearnGrown(Count);
  Restore(Count);
  TFaultFileSystem Fs;
  bool Crashed = false;
  ExpectEachSaved(Run(Fs, Count, Crashed));
  EXPECT_EQ(Fs.CallsOf(TFsCall::LinkFile), Count - 1);
  EXPECT_EQ(Fs.CallsOf(TFsCall::FAllocate), 2 * Count); // the room, then its blocks
  EXPECT_EQ(Syncs(Fs), 4);
  EXPECT_TRUE(NoSideFiles());
}

// Growing saves that write a new file, by copy or by clone, need no
// journal: one sync for the new files, one for their folders.
TEST_F(HeaderBatchTest, AHundredSavesByANewFileShareTwoSyncs)
{
  for (std::uint64_t CloneBlock : {0, 4096}) {
    SCOPED_TRACE(CloneBlock != 0 ? "clone" : "copy");
    constexpr int Count = 100;
    FGrow = true;
    FNoInsert = true;
    FCloneBlock = CloneBlock;
    LearnGrown(Count);
    Restore(Count);
    TFaultFileSystem Fs;
    bool Crashed = false;
    const std::vector<HRESULT> Results = Run(Fs, Count, Crashed);
    for (int Index = 0; Index < Count; ++Index) {
      ASSERT_EQ(Results[static_cast<std::size_t>(Index)], S_OK) << Index;
      ASSERT_TRUE(IsNew(Index, ReadFileBytes(Video(Index)))) << Index;
    }
    EXPECT_EQ(Syncs(Fs), 2);
    EXPECT_EQ(Fs.CallsOf(TFsCall::SyncFs), 2);
    EXPECT_EQ(Fs.BytesCloned() > 0, CloneBlock != 0);
    EXPECT_TRUE(NoSideFiles());
  }
}

// A new file, cloned or copied, belongs to its video's owner and group,
// not to whoever saves it.
TEST_F(HeaderBatchTest, ANewFileKeepsItsVideosOwner)
{
  if (geteuid() != 0) {
    GTEST_SKIP() << "only the superuser gives files away";
  }
  for (std::uint64_t CloneBlock : {0, 4096}) {
    SCOPED_TRACE(CloneBlock != 0 ? "clone" : "copy");
    constexpr int Count = 2;
    FGrow = true;
    FNoInsert = true;
    FCloneBlock = CloneBlock;
    Restore(Count);
    for (int Index = 0; Index < Count; ++Index) {
      ASSERT_EQ(chown(Video(Index).c_str(), 65534, 65534), 0);
    }
    TFaultFileSystem Fs;
    bool Crashed = false;
    const std::vector<HRESULT> Results = Run(Fs, Count, Crashed);
    for (int Index = 0; Index < Count; ++Index) {
      ASSERT_EQ(Results[static_cast<std::size_t>(Index)], S_OK);
      struct stat Info {};
      ASSERT_EQ(stat(Video(Index).c_str(), &Info), 0);
      EXPECT_EQ(Info.st_uid, 65534U);
      EXPECT_EQ(Info.st_gid, 65534U);
    }
    EXPECT_EQ(Fs.BytesCloned() > 0, CloneBlock != 0);
  }
}

// In one folder (its journal synced alone) and in two (their journals
// synced by the file system's sync); saves in place, and growing saves
// each way: inserting room where the file system can, copying, cloning.
TEST_F(HeaderBatchTest, AnyFailureOrCrashLeavesEachFileOldOrNew)
{
  struct TWay {
    const char* Name;
    bool Grow;
    bool NoInsert;
    std::uint64_t CloneBlock;
  };
  const TWay Ways[] = {{"in place", false, false, 0},
                       {"inserting room", true, false, 0},
                       {"by copy", true, true, 0},
                       {"by clone", true, true, 4096}};
  for (const TWay& Way : Ways) {
    if (Way.Grow && !Way.NoInsert && !InsertsRoom(FDir.Path())) {
      continue;
    }
    for (bool TwoFolders : {false, true}) {
      // Growing saves differ from saves in place only in the header phase:
      // the journals' syncs are those of two folders.
      if (Way.Grow && !TwoFolders) {
        continue;
      }
      SCOPED_TRACE(std::string(Way.Name) + (TwoFolders ? ", two folders" : ", one folder"));
      FTwoFolders = TwoFolders;
      FGrow = Way.Grow;
      FNoInsert = Way.NoInsert;
      FCloneBlock = Way.CloneBlock;
      if (Way.Grow) {
        LearnGrown(TwoFolders ? 4 : 3);
      }
      FailOrCrashAtEveryCall(TwoFolders ? 4 : 3);
    }
  }
}

void HeaderBatchTest::FailOrCrashAtEveryCall(int Count)
{
  Restore(Count);
  TFaultFileSystem Clean;
  bool Crashed = false;
  Run(Clean, Count, Crashed);
  const int Calls = Clean.Calls();
  ASSERT_GT(Calls, 20);
  for (int Nth = 1; Nth <= Calls; ++Nth) {
    for (TFault Fault : {TFault::Io, TFault::DiskFull, TFault::Crash}) {
      Restore(Count);
      TFaultFileSystem Fs;
      if (Fault == TFault::Crash) {
        Fs.CrashAtNth(Nth);
      } else {
        Fs.FailNth(Nth, Fault == TFault::Io ? EIO : ENOSPC);
      }
      std::vector<HRESULT> Results = Run(Fs, Count, Crashed);
      const std::string Where = "call " + std::to_string(Nth) + " (" +
                                FsCallName(Fs.Log().at(static_cast<std::size_t>(Nth - 1))) + ") fault " +
                                std::to_string(static_cast<int>(Fault));
      for (int Index = 0; Index < Count; ++Index) {
        // The next open of each video recovers it, as the editor does.
        ASSERT_EQ(Recover(Video(Index)), S_OK) << Where;
        const TBytes File = ReadFileBytes(Video(Index));
        const bool IsOld = File == FSample.Bytes;
        const bool IsNew = this->IsNew(Index, File);
        const HRESULT Result = Results[static_cast<std::size_t>(Index)];
        if (Crashed) {
          EXPECT_TRUE(IsOld || IsNew) << Where << " video " << Index;
        } else {
          EXPECT_TRUE(Result == S_OK ? IsNew : IsOld) << Where << " video " << Index << ResultName(Result);
        }
      }
      EXPECT_TRUE(NoSideFiles()) << Where;
    }
  }
}

TEST_F(HeaderBatchTest, EverySaveButACompactingOneJoins)
{
  Restore(4);
  TOpenVideo Compacts(Video(2));
  THeaderBatch Batch;
  bool Joined = true;
  // A compacting save is CommitHeader's to make: nothing is written.
  TCommitRequest Compacting = Compacts.Request(MakeImage(1000), FSample.HeaderSize);
  Compacting.CompactPadding = 0;
  EXPECT_EQ(Batch.Add(Compacting, Joined), S_OK);
  EXPECT_FALSE(Joined);
  // A header that grows without inserting room joins, and is written as
  // a save alone would write it.
  {
    TOpenVideo Alone(Video(3));
    TCommitRequest Request = Alone.Request(MakeImage(9000), FSample.HeaderSize);
    Request.AllowInsertRange = false;
    ASSERT_EQ(CommitHeader(Request), S_OK);
  }
  TOpenVideo Grows(Video(0));
  TOpenVideo Same(Video(1));
  TCommitRequest Copied = Grows.Request(MakeImage(9000), FSample.HeaderSize);
  Copied.AllowInsertRange = false;
  EXPECT_EQ(Batch.Add(Copied, Joined), S_OK);
  EXPECT_TRUE(Joined);
  // The header the file holds already joins, and nothing is written.
  TSampleFile Unchanged = MakeSample(2000);
  THeaderImage Own;
  Own.Bytes =
      TBytes(Unchanged.Bytes.begin(), Unchanged.Bytes.begin() + static_cast<long>(Unchanged.HeaderSize));
  EXPECT_EQ(Batch.Add(Same.Request(Own, FSample.HeaderSize), Joined), S_OK);
  EXPECT_TRUE(Joined);
  Batch.Commit();
  EXPECT_EQ(Batch.Size(), 2U);
  EXPECT_EQ(Batch.Result(0), S_OK);
  EXPECT_EQ(Batch.Result(1), S_OK);
  EXPECT_TRUE(Batch.Way(0) == TSaveWay::Copy || Batch.Way(0) == TSaveWay::Clone);
  EXPECT_EQ(ReadFileBytes(Video(0)), ReadFileBytes(Video(3)));
  EXPECT_EQ(ReadFileBytes(Video(1)), FSample.Bytes);
  EXPECT_EQ(ReadFileBytes(Video(2)), FSample.Bytes);
  EXPECT_TRUE(SideFiles(FDir.Path()).empty());
}

} // namespace

} // namespace QuillmarkTest
