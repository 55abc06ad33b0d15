#include "common/TestFiles.h"
#include "metadata/CommitFaultFileSystem.h"
#include "metadata/CommitTestFiles.h"

#include "metadata/asf/Journal.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

TJournal SampleJournal()
{
  TJournal Journal;
  Journal.Kind = TJournalKind::InsertRange;
  Journal.Device = 0x0102030405060708ULL;
  Journal.Inode = 42;
  Journal.OriginalSize = 123456;
  Journal.InsertOffset = 4096;
  Journal.InsertLength = 20480;
  Journal.OldHeader = RandomBytes(333, 3);
  return Journal;
}

TEST(JournalFormat, RoundTripsAndRejectsEveryCutOrFlippedByte)
{
  TJournal Journal = SampleJournal();
  TBytes Bytes = EncodeJournal(Journal);
  ASSERT_EQ(Bytes.size(), JournalFixedSize + 333 + 4);
  std::optional<TJournal> Back = DecodeJournal(Bytes);
  ASSERT_TRUE(Back);
  EXPECT_EQ(Back->Kind, Journal.Kind);
  EXPECT_EQ(Back->Device, Journal.Device);
  EXPECT_EQ(Back->Inode, Journal.Inode);
  EXPECT_EQ(Back->OriginalSize, Journal.OriginalSize);
  EXPECT_EQ(Back->InsertOffset, Journal.InsertOffset);
  EXPECT_EQ(Back->InsertLength, Journal.InsertLength);
  EXPECT_EQ(Back->OldHeader, Journal.OldHeader);
  for (std::size_t Size = 0; Size < Bytes.size(); Size += 7) {
    EXPECT_FALSE(DecodeJournal(TBytes(Bytes.begin(), Bytes.begin() + static_cast<long>(Size)))) << Size;
  }
  for (std::size_t At = 0; At < Bytes.size(); At += 5) {
    TBytes Flipped = Bytes;
    Flipped[At] ^= 0x10;
    EXPECT_FALSE(DecodeJournal(Flipped)) << At;
  }
}

class JournalRecoveryTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    FSample = MakeSample(2000);
    WriteFileBytes(Video(), FSample.Bytes);
  }

  std::filesystem::path Video() const { return FDir.File("clip.wmv"); }
  std::filesystem::path JournalOf(const std::string& Name) const
  {
    return FDir.File("." + Name + ".quillmark-journal");
  }

  // A save stopped dead just before its new header was synced: the new
  // header is in the file and the journal still beside it.
  void CrashBeforeSync(std::size_t Payload)
  {
    TFaultFileSystem Fs;
    Fs.CrashAtNth(1, TFsCall::FDataSync);
    TOpenVideo Open(Video());
    TCommitRequest Request = Open.Request(MakeImage(Payload), FSample.HeaderSize);
    Request.Fs = &Fs;
    EXPECT_THROW(CommitHeader(Request), ESimulatedCrash);
    ASSERT_TRUE(std::filesystem::exists(JournalOf("clip.wmv")));
    ASSERT_NE(ReadFileBytes(Video()), FSample.Bytes);
  }

  TTempDir FDir;
  TSampleFile FSample;
};

TEST_F(JournalRecoveryTest, NothingToRecoverIsSuccess)
{
  EXPECT_EQ(RecoverJournal(Video().string()), S_OK);
  EXPECT_EQ(RecoverJournal(FDir.File("missing.wmv").string()), S_OK);
  EXPECT_EQ(ReadFileBytes(Video()), FSample.Bytes);
}

TEST_F(JournalRecoveryTest, InterruptedSaveIsRolledBackOnEveryPathEvenIfRecoveryItselfIsCut)
{
  for (std::size_t Payload : {1000U, 9000U}) { // in place, inserting
    for (int Nth = 1;; ++Nth) {
      SetUp();
      CrashBeforeSync(Payload);
      TFaultFileSystem Fs;
      Fs.CrashAtNth(Nth);
      bool Finished = false;
      try {
        EXPECT_EQ(RecoverJournal(Video().string(), &Fs), S_OK);
        Finished = !Fs.Crashed();
      } catch (const ESimulatedCrash&) {
      }
      Fs.CloseLeftovers();
      EXPECT_EQ(RecoverJournal(Video().string()), S_OK);
      EXPECT_EQ(ReadFileBytes(Video()), FSample.Bytes) << Payload << " crash at " << Nth;
      EXPECT_TRUE(SideFiles(FDir.Path()).empty());
      if (Finished) {
        break;
      }
    }
  }
}

TEST_F(JournalRecoveryTest, JournalOfAnotherFileIsLeftAloneAndTheNextSaveReplacesIt)
{
  CrashBeforeSync(1000);
  std::filesystem::rename(JournalOf("clip.wmv"), JournalOf("other.wmv"));
  WriteFileBytes(FDir.File("other.wmv"), FSample.Bytes); // another inode
  TBytes Journal = ReadFileBytes(JournalOf("other.wmv"));
  EXPECT_EQ(RecoverJournal(FDir.File("other.wmv").string()), S_OK);
  EXPECT_EQ(ReadFileBytes(JournalOf("other.wmv")), Journal);
  EXPECT_EQ(ReadFileBytes(FDir.File("other.wmv")), FSample.Bytes);

  TOpenVideo Open(FDir.File("other.wmv"));
  ASSERT_EQ(CommitHeader(Open.Request(MakeImage(1500), FSample.HeaderSize)), S_OK);
  EXPECT_FALSE(std::filesystem::exists(JournalOf("other.wmv")));
}

TEST_F(JournalRecoveryTest, TornJournalIsRemovedWithoutTouchingTheFile)
{
  CrashBeforeSync(1000);
  TBytes Journal = ReadFileBytes(JournalOf("clip.wmv"));
  Journal.resize(Journal.size() / 2);
  WriteFileBytes(JournalOf("clip.wmv"), Journal);
  WriteFileBytes(Video(), FSample.Bytes);
  EXPECT_EQ(RecoverJournal(Video().string()), S_OK);
  EXPECT_EQ(ReadFileBytes(Video()), FSample.Bytes);
  EXPECT_TRUE(SideFiles(FDir.Path()).empty());
}

TEST_F(JournalRecoveryTest, CopyLeftByACrashIsRemoved)
{
  TFaultFileSystem Fs;
  Fs.CrashAtNth(1, TFsCall::Rename);
  TOpenVideo Open(Video());
  TCommitRequest Request = Open.Request(MakeImage(9000), FSample.HeaderSize);
  Request.Fs = &Fs;
  Request.AllowInsertRange = false;
  EXPECT_THROW(CommitHeader(Request), ESimulatedCrash);
  EXPECT_EQ(SideFiles(FDir.Path()).size(), 1U);
  EXPECT_EQ(ReadFileBytes(Video()), FSample.Bytes);
  EXPECT_EQ(RecoverJournal(Video().string()), S_OK);
  EXPECT_TRUE(SideFiles(FDir.Path()).empty());
}

TEST_F(JournalRecoveryTest, SaveRefusesAFileStillCarryingItsOwnJournal)
{
  CrashBeforeSync(1000);
  TBytes Interrupted = ReadFileBytes(Video());
  TOpenVideo Open(Video());
  EXPECT_EQ(CommitHeader(Open.Request(MakeImage(1500), FSample.HeaderSize)), E_INVALID_STATE);
  EXPECT_EQ(ReadFileBytes(Video()), Interrupted);
}

} // namespace

} // namespace QuillmarkTest
