#include "asf/CommitTestFiles.h"
#include "common/TestFiles.h"
#include "fs/CommitFaultFileSystem.h"

#include "asf/PaddingPolicy.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

class CommitHeaderTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    FSample = MakeSample(2000);
    WriteFileBytes(Video(), FSample.Bytes);
  }

  std::filesystem::path Video() const { return FDir.File("clip.wmv"); }

  HRESULT Save(const THeaderImage& Image, bool AllowInsert = true, IFileSystem* Fs = nullptr)
  {
    TOpenVideo Open(Video());
    TCommitRequest Request = Open.Request(Image, FSample.HeaderSize);
    Request.AllowInsertRange = AllowInsert;
    Request.AllowClone = AllowInsert; // a save told not to insert copies, whatever the file system
    Request.Fs = Fs;
    return CommitHeader(Request);
  }

  void ExpectUnchanged()
  {
    EXPECT_EQ(ReadFileBytes(Video()), FSample.Bytes);
    EXPECT_TRUE(SideFiles(FDir.Path()).empty());
  }

  // The file holds Image, one Padding Object and the old Data Object onward.
  std::uint64_t ExpectSavedWithPadding(const THeaderImage& Image)
  {
    TBytes File = ReadFileBytes(Video());
    std::uint64_t Padding = HeaderSizeOf(File) - Image.Bytes.size();
    EXPECT_EQ(File, ExpectedFile(Image, Padding, FSample.Rest()));
    EXPECT_TRUE(SideFiles(FDir.Path()).empty());
    return Padding;
  }

  TTempDir FDir;
  TSampleFile FSample;
};

TEST_F(CommitHeaderTest, ShrinkingHeaderIsWrittenInPlaceWithThePaddingMakingUpTheDifference)
{
  ino_t Inode = InodeOf(Video());
  THeaderImage Image = MakeImage(1000);
  ASSERT_EQ(Save(Image), S_OK);
  EXPECT_EQ(ExpectSavedWithPadding(Image), FSample.HeaderSize - Image.Bytes.size());
  EXPECT_EQ(InodeOf(Video()), Inode);

  // 24 bytes shorter is the least a Padding Object can take up.
  THeaderImage Tight = MakeImage(2000 - 24, 8);
  ASSERT_EQ(Save(Tight), S_OK);
  EXPECT_EQ(ExpectSavedWithPadding(Tight), 24U);
}

TEST_F(CommitHeaderTest, HeaderOfTheSameSizeIsWrittenAsItIs)
{
  THeaderImage Image = MakeImage(2000, 9);
  ASSERT_EQ(Save(Image), S_OK);
  EXPECT_EQ(ReadFileBytes(Video()), ExpectedFile(Image, 0, FSample.Rest()));
}

TEST_F(CommitHeaderTest, LeftoverTooSmallForPaddingGrowsTheFileInstead)
{
  for (std::size_t Leftover : {1U, 12U, 23U}) {
    SetUp();
    THeaderImage Image = MakeImage(2000 - Leftover);
    ASSERT_EQ(Save(Image), S_OK) << Leftover;
    EXPECT_GE(ExpectSavedWithPadding(Image), MinGrowthPadding) << Leftover;
  }
}

TEST_F(CommitHeaderTest, GrowingHeaderInsertsWholeBlocksInPlace)
{
  struct statfs Info {};
  ASSERT_EQ(statfs(FDir.Path().c_str(), &Info), 0);
  for (std::size_t Growth : {5000U, 300000U}) {
    SetUp();
    ino_t Inode = InodeOf(Video());
    THeaderImage Image = MakeImage(2000 + Growth);
    ASSERT_EQ(Save(Image), S_OK) << Growth;
    std::uint64_t Padding = ExpectSavedWithPadding(Image);
    EXPECT_GE(Padding, GrowthPadding(FSample.Bytes.size()));
    EXPECT_EQ((Image.Bytes.size() + Padding - FSample.HeaderSize) % static_cast<std::uint64_t>(Info.f_bsize),
              0U);
    EXPECT_EQ(InodeOf(Video()), Inode) << "inserting keeps the file";
    struct stat File {};
    ASSERT_EQ(stat(Video().c_str(), &File), 0);
    EXPECT_GE(File.st_blocks * 512, File.st_size) << "the inserted room is allocated, not a hole";
  }
}

TEST_F(CommitHeaderTest, InsertedRoomThatCannotBeAllocatedIsWrittenOutInFull)
{
  TFaultFileSystem Fs;
  Fs.FailNth(2, ENOSPC, TFsCall::FAllocate); // the insert itself works
  THeaderImage Image = MakeImage(9000);
  ASSERT_EQ(Save(Image, true, &Fs), S_OK);
  ExpectSavedWithPadding(Image);
  EXPECT_EQ(Fs.CallsOf(TFsCall::FAllocate), 2);
}

TEST_F(CommitHeaderTest, GrowingHeaderWithoutInsertCopiesTheFileKeepingItsMode)
{
  for (std::size_t Growth : {5000U, 300000U}) {
    SetUp();
    ASSERT_EQ(chmod(Video().c_str(), 0640), 0);
    ino_t Inode = InodeOf(Video());
    THeaderImage Image = MakeImage(2000 + Growth);
    ASSERT_EQ(Save(Image, false), S_OK) << Growth;
    EXPECT_EQ(ExpectSavedWithPadding(Image), CopyGrowthPadding(FSample.Bytes.size()));
    EXPECT_NE(InodeOf(Video()), Inode);
    EXPECT_EQ(std::filesystem::status(Video()).permissions(), std::filesystem::perms(0640));
  }
}

TEST_F(CommitHeaderTest, FileSystemRefusingToInsertMakesTheSaveCopy)
{
  TFaultFileSystem Fs;
  Fs.FailEvery(TFsCall::FAllocate, EOPNOTSUPP);
  ino_t Inode = InodeOf(Video());
  THeaderImage Image = MakeImage(9000);
  ASSERT_EQ(Save(Image, true, &Fs), S_OK);
  ExpectSavedWithPadding(Image);
  EXPECT_NE(InodeOf(Video()), Inode);
}

TEST_F(CommitHeaderTest, CopyingSaveReportsProgressUpToTheBytesMoved)
{
  TOpenVideo Open(Video());
  TCommitRequest Request = Open.Request(MakeImage(9000), FSample.HeaderSize);
  Request.AllowInsertRange = false;
  Request.AllowClone = false;
  std::vector<std::pair<QWORD, QWORD>> Reports;
  Request.Progress = [&](QWORD Done, QWORD Total) { Reports.emplace_back(Done, Total); };
  ASSERT_EQ(CommitHeader(Request), S_OK);
  QWORD Moved = FSample.Bytes.size() - FSample.HeaderSize;
  ASSERT_GE(Reports.size(), 2U);
  EXPECT_EQ(Reports.front(), std::make_pair(QWORD{0}, Moved));
  EXPECT_EQ(Reports.back(), std::make_pair(Moved, Moved));
}

TEST_F(CommitHeaderTest, SavingThroughASymbolicLinkRewritesTheTargetAndKeepsTheLink)
{
  std::filesystem::path Link = FDir.File("link.wmv");
  std::filesystem::create_symlink("clip.wmv", Link);
  for (bool AllowInsert : {true, false}) {
    SetUp();
    THeaderImage Image = MakeImage(7000);
    TOpenVideo Open(Link);
    TCommitRequest Request = Open.Request(Image, FSample.HeaderSize);
    Request.AllowInsertRange = AllowInsert;
    ASSERT_EQ(CommitHeader(Request), S_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(Link));
    ExpectSavedWithPadding(Image);
  }
}

TEST_F(CommitHeaderTest, HardLinkedFileIsSavedInPlaceButNeverCopied)
{
  std::filesystem::path Other = FDir.File("other.wmv");
  std::filesystem::create_hard_link(Video(), Other);
  THeaderImage Grown = MakeImage(6000);
  EXPECT_EQ(Save(Grown, false), E_FILE_HARD_LINKED);
  ExpectUnchanged();

  ASSERT_EQ(Save(Grown, true), S_OK);
  ExpectSavedWithPadding(Grown);
  EXPECT_EQ(ReadFileBytes(Other), ReadFileBytes(Video()));
}

TEST_F(CommitHeaderTest, FileChangedSinceOpenIsRefusedUntouched)
{
  TOpenVideo Open(Video());
  TCommitRequest Request = Open.Request(MakeImage(1000), FSample.HeaderSize);
  FSample.Bytes.push_back(0);
  WriteFileBytes(Video(), FSample.Bytes); // same inode, new size and time
  EXPECT_EQ(CommitHeader(Request), E_FILE_CHANGED);
  ExpectUnchanged();
}

TEST_F(CommitHeaderTest, PathNowNamingAnotherFileIsRefused)
{
  TOpenVideo Open(Video());
  TCommitRequest Request = Open.Request(MakeImage(1000), FSample.HeaderSize);
  WriteFileBytes(FDir.File("new.wmv"), FSample.Bytes);
  std::filesystem::rename(FDir.File("new.wmv"), Video());
  EXPECT_EQ(CommitHeader(Request), E_FILE_CHANGED);
  ExpectUnchanged();
}

TEST_F(CommitHeaderTest, FullDiskFailsOnEveryPathLeavingTheFileAsItWas)
{
  struct TCase {
    TFsCall Call;
    std::size_t Payload;
    bool AllowInsert;
  };
  for (TCase Case : {TCase{TFsCall::PWrite, 1000, true}, TCase{TFsCall::PWrite, 9000, true},
                     TCase{TFsCall::FAllocate, 9000, true}, TCase{TFsCall::PWrite, 9000, false},
                     TCase{TFsCall::CopyFileRange, 9000, false}}) {
    SetUp();
    TFaultFileSystem Fs;
    Fs.FailEvery(Case.Call, ENOSPC);
    EXPECT_EQ(Save(MakeImage(Case.Payload), Case.AllowInsert, &Fs), E_DISK_FULL)
        << FsCallName(Case.Call) << " " << Case.Payload;
    ExpectUnchanged();
  }
}

TEST_F(CommitHeaderTest, CopyThatCannotFitOnTheDiskIsNotStarted)
{
  TFaultFileSystem Fs;
  Fs.ReportFreeBlocks(10);
  EXPECT_EQ(Save(MakeImage(9000), false, &Fs), E_DISK_FULL);
  EXPECT_EQ(Fs.CallsOf(TFsCall::PWrite), 0);
  ExpectUnchanged();
}

TEST_F(CommitHeaderTest, HeaderRefusedByTheEngineAfterWritingIsUndone)
{
  for (std::size_t Payload : {1000U, 9000U}) {
    for (bool AllowInsert : {true, false}) {
      SetUp();
      THeaderImage Image = MakeImage(Payload);
      TOpenVideo Open(Video());
      TCommitRequest Request = Open.Request(Image, FSample.HeaderSize);
      Request.AllowInsertRange = AllowInsert;
      TBytes Seen;
      Request.Verify = [&](const TBytes& Written) {
        Seen = Written;
        return E_CORRUPT_HEADER;
      };
      EXPECT_EQ(CommitHeader(Request), E_CORRUPT_HEADER);
      ASSERT_GE(Seen.size(), Image.Bytes.size());
      EXPECT_EQ(HeaderSizeOf(Seen), Seen.size()) << "the whole header, padding included";
      ExpectUnchanged();
    }
  }
}

TEST_F(CommitHeaderTest, RequestNotMatchingTheFileIsRefusedUntouched)
{
  THeaderImage Broken = MakeImage(1000);
  Broken.Bytes[16] ^= 1; // size field no longer the length
  EXPECT_EQ(Save(Broken), E_INVALID_ARGUMENT);
  THeaderImage BadOffset = MakeImage(1000);
  BadOffset.FileSizeOffset = BadOffset.Bytes.size() - 4;
  EXPECT_EQ(Save(BadOffset), E_INVALID_ARGUMENT);

  TOpenVideo Open(Video());
  TCommitRequest Request = Open.Request(MakeImage(1000), FSample.HeaderSize - 8);
  EXPECT_EQ(CommitHeader(Request), E_CORRUPT_HEADER) << "no Data Object there";
  Request.OldHeaderSize = FSample.Bytes.size();
  EXPECT_EQ(CommitHeader(Request), E_INVALID_ARGUMENT);
  ExpectUnchanged();
}

TEST_F(CommitHeaderTest, PaddingLeftByAGrowingSaveTakesTheNextEditsInPlace)
{
  ASSERT_EQ(Save(MakeImage(9000), false), S_OK);
  TBytes Grown = ReadFileBytes(Video());
  FSample.HeaderSize = HeaderSizeOf(Grown);
  ino_t Inode = InodeOf(Video());
  THeaderImage Next = MakeImage(9000 + 10240 + 2000, 11); // a preview and some texts
  ASSERT_EQ(Save(Next), S_OK);
  TBytes Saved = ReadFileBytes(Video());
  EXPECT_EQ(Saved.size(), Grown.size());
  EXPECT_EQ(HeaderSizeOf(Saved), FSample.HeaderSize);
  EXPECT_EQ(InodeOf(Video()), Inode);
}

TEST_F(CommitHeaderTest, EditInPlaceWritesOnlyTheHeaderUpToItsLastChange)
{
  ASSERT_EQ(Save(MakeImage(9000), false), S_OK);
  FSample.Bytes = ReadFileBytes(Video());
  FSample.HeaderSize = HeaderSizeOf(FSample.Bytes);
  ASSERT_GT(FSample.HeaderSize, 9000 + MinGrowthPadding);

  TFaultFileSystem Fs;
  THeaderImage Edited = MakeImage(9100, 3);
  ASSERT_EQ(Save(Edited, true, &Fs), S_OK);
  ExpectSavedWithPadding(Edited);
  // The journal (old and new bytes) and the header each take the new
  // objects and the padding's head, no more.
  EXPECT_LE(Fs.BytesWritten(), 3 * (Edited.Bytes.size() + 24) + 128);

  Fs.Reset();
  TBytes Saved = ReadFileBytes(Video());
  ASSERT_EQ(Save(Edited, true, &Fs), S_OK);
  EXPECT_EQ(Fs.BytesWritten(), 0U) << "the file holds that header already";
  EXPECT_EQ(ReadFileBytes(Video()), Saved);
}

TEST(CommitPaddingPolicy, GrowthPaddingIsBoundedBothWays)
{
  EXPECT_EQ(GrowthPadding(0), MinSmallFilePadding);
  EXPECT_EQ(GrowthPadding(50'000), MinGrowthPadding + 50);
  EXPECT_EQ(GrowthPadding(100'000'000), MinGrowthPadding + 100'000);
  EXPECT_EQ(GrowthPadding(4ULL << 30), MaxGrowthPadding);
}

} // namespace

} // namespace QuillmarkTest
