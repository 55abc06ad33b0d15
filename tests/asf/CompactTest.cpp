// A compacting save gives back a header's room beyond the margin, by
// collapsing a range where the file system can and by a copy elsewhere,
// and, failed or stopped at any call, leaves the old file or the compacted
// one; recovery of a collapse cut off anywhere puts the old file back.
#include "asf/CommitImage.h"
#include "asf/CommitTestFiles.h"
#include "asf/HeaderCompact.h"
#include "asf/PaddingPolicy.h"
#include "common/TestFiles.h"
#include "fs/CommitFaultFileSystem.h"
#include "fs/Crc32.h"
#include "fs/Journal.h"

#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/statfs.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

// The sample's header: 2000 bytes of its own objects and 300 KB of padding,
// as after a poster was removed.
constexpr std::size_t Room = 300000;

// The block size of a folder on ext4 or XFS, which collapse ranges; else 0.
std::uint64_t CollapseBlock(const std::filesystem::path& Folder)
{
  struct statfs Info {};
  if (statfs(Folder.c_str(), &Info) != 0 ||
      (Info.f_type != EXT4_SUPER_MAGIC && Info.f_type != XFS_SUPER_MAGIC)) {
    return 0;
  }
  return static_cast<std::uint64_t>(Info.f_bsize);
}

struct TCompactCase {
  const char* Name;
  TSampleFile Sample;
  THeaderImage Image;
  bool AllowCollapse;
  TSaveWay Way; // where the file system collapses ranges
};

TSampleFile WithNonZeroRoom(TSampleFile Sample)
{
  std::fill(Sample.Bytes.begin() + static_cast<long>(Sample.HeaderSize - Room / 2),
            Sample.Bytes.begin() + static_cast<long>(Sample.HeaderSize), 0x5A);
  return Sample;
}

// Block: the file system's block size (0 where it does not collapse ranges).
std::vector<TCompactCase> CompactCases(std::uint64_t Block)
{
  const std::size_t UnderABlock = CompactMargin + (Block > 0 ? Block : 4096) / 2;
  return {
      {"Copy", MakeSample(2000, Room), MakeImage(2000), false, TSaveWay::Copy},
      {"Collapse", MakeSample(2000, Room), MakeImage(2000), true, TSaveWay::Collapse},
      {"CollapseWithExtensionPadding", MakeSample(2000, Room, 20000, 6000), MakeImage(2000, 7, 6000), true,
       TSaveWay::Collapse},
      {"CollapseOfAGrownHeader", MakeSample(2000, Room), MakeImage(9000), true, TSaveWay::Collapse},
      // Only zeros are ever taken out; room that holds other bytes is copied.
      {"RoomNotZerosIsCopied", WithNonZeroRoom(MakeSample(2000, Room)), MakeImage(2000), true,
       TSaveWay::Copy},
      // Less than a whole block beyond the margin: nothing to collapse.
      {"RoomUnderABlockIsCopied", MakeSample(2000, UnderABlock), MakeImage(2000), true, TSaveWay::Copy},
  };
}

class CompactTest : public ::testing::Test {
protected:
  std::filesystem::path Video() const { return FDir.File("clip.wmv"); }

  TCommitRequest Request(const TOpenVideo& Open, const TCompactCase& Case) const
  {
    TCommitRequest Request = Open.Request(Case.Image, Case.Sample.HeaderSize);
    Request.CompactPadding = CompactMargin;
    Request.AllowCollapseRange = Case.AllowCollapse;
    return Request;
  }

  HRESULT Compact(const TCompactCase& Case, TFaultFileSystem& Fs, bool& Crashed, TSaveWay* Way = nullptr)
  {
    WriteFileBytes(Video(), Case.Sample.Bytes);
    TOpenVideo Open(Video());
    TCommitRequest Made = Request(Open, Case);
    Made.Way = Way;
    return CommitThrough(Fs, Made, Crashed);
  }

  // The file a collapse leaves: the same header with the padding that is
  // left, all of the rest unchanged; the file's length drops by whole blocks.
  // (Each collapse case's sample has Room bytes of padding at its end.)
  void ExpectCollapsed(const TCompactCase& Case, const TBytes& File, std::uint64_t Block) const
  {
    const std::uint64_t Size = HeaderSizeOf(File);
    const std::optional<THeaderImage> Without = WithoutExtensionPadding(Case.Image);
    const THeaderImage& Compacted = Without ? *Without : Case.Image;
    ASSERT_LT(Size, Case.Sample.HeaderSize);
    const std::uint64_t Padding = Size - Compacted.Bytes.size();
    EXPECT_EQ((Case.Sample.HeaderSize - Size) % Block, 0U);
    EXPECT_GE(Padding, CompactMargin);
    // The range starts on a block boundary after the old header's objects
    // too, which may reach past the new ones.
    const std::uint64_t OldObjects = Case.Sample.HeaderSize - (Room - PaddingObjectHeaderSize);
    const std::uint64_t Reach = OldObjects > Compacted.Bytes.size() ? OldObjects - Compacted.Bytes.size() : 0;
    EXPECT_LT(Padding, std::max(CompactMargin, Reach) + 2 * Block);
    EXPECT_EQ(File, ExpectedFile(Compacted, Padding, Case.Sample.Rest()));
  }

  TTempDir FDir;
};

TEST_F(CompactTest, GivesBackTheRoomAndAnyFaultLeavesTheOldOrTheCompactedFile)
{
  const std::uint64_t Block = CollapseBlock(FDir.Path());
  for (const TCompactCase& Case : CompactCases(Block)) {
    SCOPED_TRACE(Case.Name);
    if (Case.Way == TSaveWay::Collapse && Block == 0) {
      continue; // the copy cases run anywhere
    }
    // Where a collapse is refused the copy gives back all of the room.
    const std::optional<THeaderImage> Without = WithoutExtensionPadding(Case.Image);
    const TBytes Copied = ExpectedFile(Without ? *Without : Case.Image, CompactMargin, Case.Sample.Rest());
    TFaultFileSystem Clean;
    bool Crashed = false;
    TSaveWay Way = TSaveWay::InPlace;
    ASSERT_EQ(Compact(Case, Clean, Crashed, &Way), S_OK);
    const TBytes Compacted = ReadFileBytes(Video());
    EXPECT_EQ(Way, Case.Way);
    if (Case.Way == TSaveWay::Collapse) {
      ExpectCollapsed(Case, Compacted, Block);
    } else {
      EXPECT_EQ(Compacted, Copied);
    }
    for (int Nth = 1; Nth <= Clean.Calls(); ++Nth) {
      for (const bool Crash : {false, true}) {
        TFaultFileSystem Fs;
        if (Crash) {
          Fs.CrashAtNth(Nth);
        } else {
          Fs.FailNth(Nth, EIO);
        }
        const HRESULT Result = Compact(Case, Fs, Crashed);
        const std::string Where = "call " + std::to_string(Nth) + (Crash ? " crash" : " error");
        ASSERT_EQ(Recover(Video()), S_OK) << Where;
        const TBytes File = ReadFileBytes(Video());
        if (Crashed || Result != S_OK) {
          EXPECT_TRUE(File == Case.Sample.Bytes || (Crashed && File == Compacted)) << Where;
        } else {
          EXPECT_TRUE(File == Compacted || File == Copied) << Where;
        }
        EXPECT_TRUE(SideFiles(FDir.Path()).empty()) << Where;
      }
    }
  }
}

// A collapse stopped dead at each of its steps, then opened again: the old
// file comes back until the journal's removal, the compacted one after it.
TEST_F(CompactTest, RecoveryKeepsTheOldFileUntilTheJournalIsGone)
{
  const std::uint64_t Block = CollapseBlock(FDir.Path());
  if (Block == 0) {
    GTEST_SKIP() << "the temporary folder's file system does not collapse ranges";
  }
  const TCompactCase Case = CompactCases(Block)[1];
  struct TStep {
    const char* Name;
    TFsCall Call;
    int Nth; // of that kind
    TSideFileState Found;
    bool Old;
  };
  const TStep Steps[] = {
      {"BeforeTheCollapse", TFsCall::FAllocate, 1, TSideFileState::RolledBack, true},
      {"BeforeTheHeader", TFsCall::PWrite, 2, TSideFileState::RolledBack, true},
      {"BeforeItsSync", TFsCall::FDataSync, 1, TSideFileState::RolledBack, true},
      {"BeforeTheJournalGoes", TFsCall::Unlink, 1, TSideFileState::RolledBack, true},
      {"AfterTheJournalWent", TFsCall::FSync, 3, TSideFileState::None, false},
  };
  TFaultFileSystem Clean;
  bool Crashed = false;
  ASSERT_EQ(Compact(Case, Clean, Crashed), S_OK);
  const TBytes Compacted = ReadFileBytes(Video());
  for (const TStep& Step : Steps) {
    SCOPED_TRACE(Step.Name);
    TFaultFileSystem Fs;
    Fs.CrashAtNth(Step.Nth, Step.Call);
    Compact(Case, Fs, Crashed);
    ASSERT_TRUE(Crashed);
    TSideFileReport Report;
    ASSERT_EQ(Recover(Video(), &Report), S_OK);
    EXPECT_EQ(Report.State, Step.Found);
    EXPECT_EQ(ReadFileBytes(Video()), Step.Old ? Case.Sample.Bytes : Compacted);
    EXPECT_TRUE(SideFiles(FDir.Path()).empty());
  }
}

// A rollback of a collapse that is itself stopped dead at any call is done
// again, from where it stopped, by the next open.
TEST_F(CompactTest, ARollbackCutOffIsFinishedByTheNextOpen)
{
  const std::uint64_t Block = CollapseBlock(FDir.Path());
  if (Block == 0) {
    GTEST_SKIP() << "the temporary folder's file system does not collapse ranges";
  }
  const TCompactCase Case = CompactCases(Block)[1];
  for (int Nth = 1;; ++Nth) {
    TFaultFileSystem Save;
    Save.CrashAtNth(1, TFsCall::Unlink);
    bool Crashed = false;
    Compact(Case, Save, Crashed);
    TFaultFileSystem Fs;
    Fs.CrashAtNth(Nth);
    HRESULT First = S_OK;
    try {
      First = Recover(Video(), nullptr, &Fs);
    } catch (const ESimulatedCrash&) {
    }
    Fs.CloseLeftovers();
    ASSERT_EQ(Recover(Video()), S_OK) << Nth;
    EXPECT_EQ(ReadFileBytes(Video()), Case.Sample.Bytes) << Nth;
    EXPECT_TRUE(SideFiles(FDir.Path()).empty()) << Nth;
    if (!Fs.Crashed()) {
      EXPECT_EQ(First, S_OK);
      break;
    }
  }
}

// Journals of a collapse that our saves never write, found beside a video
// whose collapse was cut off: never applied. One of an earlier version,
// which never recorded a collapse, reads as one cut short and goes.
struct THostileCollapse {
  const char* Name;
  std::function<void(TJournal&)> Forge;
  std::uint8_t Version = 3;
  TSideFileState State = TSideFileState::Found;
};

const THostileCollapse HostileCollapses[] = {
    {"RangeOverTheObjects", [](TJournal& J) { J.InsertOffset = 0; }},
    {"RangePastTheHeader", [](TJournal& J) { J.InsertOffset += J.InsertLength; }},
    {"NoRange", [](TJournal& J) { J.InsertLength = 0; }},
    {"OldBytesInTheRange", [](TJournal& J) { J.OldHeader.resize(J.InsertOffset + 1, 0x41); }},
    {"NewHeaderOfAnotherSize", [](TJournal& J) { J.NewBytes[16] ^= 0x10; }},
    {"NewBytesThatAreNotInTheFile", [](TJournal& J) { J.NewBytes[40] ^= 0x01; }},
    {"EarlierVersion", [](TJournal&) {}, 2, TSideFileState::Removed},
};

TBytes Encode(const TJournal& Journal, std::uint8_t Version)
{
  TBytes Encoded = EncodeJournal(Journal);
  Encoded[8] = Version;
  const std::uint32_t Crc = Crc32(Encoded.data(), Encoded.size() - 4);
  for (std::size_t Index = 0; Index < 4; ++Index) {
    Encoded[Encoded.size() - 4 + Index] = static_cast<std::uint8_t>(Crc >> (8 * Index));
  }
  return Encoded;
}

TEST_F(CompactTest, HostileCollapseJournalsAreNeverApplied)
{
  const std::uint64_t Block = CollapseBlock(FDir.Path());
  if (Block == 0) {
    GTEST_SKIP() << "the temporary folder's file system does not collapse ranges";
  }
  const TCompactCase Case = CompactCases(Block)[1];
  const std::filesystem::path Journal = FDir.File(".clip.wmv.quillmark-journal");
  for (const THostileCollapse& Hostile : HostileCollapses) {
    SCOPED_TRACE(Hostile.Name);
    TFaultFileSystem Save;
    Save.CrashAtNth(1, TFsCall::FDataSync);
    bool Crashed = false;
    Compact(Case, Save, Crashed);
    const TBytes Left = ReadFileBytes(Video());
    TJournal Forged = DecodeJournal(ReadFileBytes(Journal)).value();
    ASSERT_EQ(Forged.Kind, TJournalKind::CollapseRange);
    Hostile.Forge(Forged);
    const TBytes Encoded = Encode(Forged, Hostile.Version);
    std::filesystem::remove(Journal);
    WriteFileBytes(Journal, Encoded);
    std::filesystem::permissions(Journal,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    TSideFileReport Report;
    ASSERT_EQ(Recover(Video(), &Report), S_OK);
    EXPECT_EQ(Report.State, Hostile.State);
    EXPECT_EQ(ReadFileBytes(Video()), Left);
    if (Hostile.State == TSideFileState::Found) {
      EXPECT_EQ(ReadFileBytes(Journal), Encoded);
    }
    std::filesystem::remove(Journal);
  }
}

} // namespace

} // namespace QuillmarkTest
