#include "asf/CommitTestFiles.h"
#include "common/TestFiles.h"
#include "fs/CommitFaultFileSystem.h"

#include "asf/JournalCheck.h"
#include "fs/Crc32.h"
#include "fs/Journal.h"

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
  Journal.NewBytes = RandomBytes(333, 4);
  return Journal;
}

// Decodes accepts none of Bytes cut short anywhere, nor with a bit flipped.
template <class TDecodes> void ExpectEveryCutAndFlipRejected(const TBytes& Bytes, TDecodes Decodes)
{
  for (std::size_t Size = 0; Size < Bytes.size(); Size += 7) {
    EXPECT_FALSE(Decodes(TBytes(Bytes.begin(), Bytes.begin() + static_cast<long>(Size)))) << Size;
  }
  for (std::size_t At = 0; At < Bytes.size(); At += 5) {
    TBytes Flipped = Bytes;
    Flipped[At] ^= 0x10;
    EXPECT_FALSE(Decodes(Flipped)) << At;
  }
}

TEST(JournalFormat, RoundTripsAndRejectsEveryCutOrFlippedByte)
{
  TJournal Journal = SampleJournal();
  TBytes Bytes = EncodeJournal(Journal);
  ASSERT_EQ(Bytes.size(), JournalFixedSize + 333 + 8 + 333 + 4);
  std::optional<TJournal> Back = DecodeJournal(Bytes);
  ASSERT_TRUE(Back);
  EXPECT_EQ(Back->Kind, Journal.Kind);
  EXPECT_EQ(Back->Device, Journal.Device);
  EXPECT_EQ(Back->Inode, Journal.Inode);
  EXPECT_EQ(Back->OriginalSize, Journal.OriginalSize);
  EXPECT_EQ(Back->InsertOffset, Journal.InsertOffset);
  EXPECT_EQ(Back->InsertLength, Journal.InsertLength);
  EXPECT_EQ(Back->OldHeader, Journal.OldHeader);
  EXPECT_EQ(Back->NewBytes, Journal.NewBytes);
  ExpectEveryCutAndFlipRejected(Bytes, [](const TBytes& Cut) { return DecodeJournal(Cut).has_value(); });
}

// A batch's shared journal gives back each record; cut short or altered
// anywhere, it gives none.
TEST(JournalFormat, SharedJournalRoundTripsAndRejectsEveryCutOrFlippedByte)
{
  TJournal First = SampleJournal();
  TJournal Second = SampleJournal();
  Second.Inode += 1;
  Second.OldHeader = RandomBytes(100, 5);
  Second.NewBytes = RandomBytes(100, 6);
  TBytes Bytes = EncodeJournalSet({&First, &Second});
  std::optional<std::vector<TJournal>> Back = DecodeJournalSet(Bytes);
  ASSERT_TRUE(Back);
  ASSERT_EQ(Back->size(), 2U);
  EXPECT_EQ((*Back)[0].Inode, First.Inode);
  EXPECT_EQ((*Back)[1].Inode, Second.Inode);
  EXPECT_EQ((*Back)[1].OldHeader, Second.OldHeader);
  EXPECT_EQ((*Back)[1].NewBytes, Second.NewBytes);
  EXPECT_FALSE(DecodeJournal(Bytes)); // never taken as one video's journal
  ASSERT_TRUE(DecodeJournalSet(EncodeJournal(First)));
  EXPECT_EQ(DecodeJournalSet(EncodeJournal(First))->size(), 1U);
  ExpectEveryCutAndFlipRejected(Bytes, [](const TBytes& Cut) { return DecodeJournalSet(Cut).has_value(); });
}

// A relocation journal is decoded only when its lengths agree: the start's
// bytes, then a far range in the file that keeps its length or ends it.
TEST(JournalFormat, RelocationIsDecodedOnlyWhenItsRangesAgree)
{
  struct TCase {
    const char* Name;
    std::size_t Head, FarOld, FarNew;
    std::uint64_t FarOffset, Size;
    bool Decoded;
    std::uint64_t NewSize;
  };
  const TCase Cases[] = {
      {"appended at the end", 100, 0, 50, 1000, 1000, true, 1050},
      {"end written anew, longer", 100, 30, 80, 970, 1000, true, 1050},
      {"end written anew, shorter", 100, 30, 10, 970, 1000, true, 980},
      {"same length mid-file", 100, 20, 20, 500, 1000, true, 1000},
      {"other length mid-file", 100, 20, 30, 500, 1000, false, 0},
      {"far range before the start's end", 100, 0, 50, 90, 90, false, 0},
      {"far range past the old end", 100, 30, 30, 990, 1000, false, 0},
      {"far range starts past the old end", 100, 0, 10, 1001, 1000, false, 0},
      {"new end past the largest offset", 100, 0, 10, ~std::uint64_t{0} >> 1, ~std::uint64_t{0} >> 1, false,
       0},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TJournal Journal;
    Journal.Kind = TJournalKind::Relocate;
    Journal.OriginalSize = Case.Size;
    Journal.InsertOffset = Case.FarOffset;
    Journal.InsertLength = Case.FarNew;
    Journal.OldHeader = RandomBytes(Case.Head + Case.FarOld, 7);
    Journal.NewBytes = RandomBytes(Case.Head + Case.FarNew, 8);
    const std::optional<TJournal> Back = DecodeJournal(EncodeJournal(Journal));
    ASSERT_EQ(Back.has_value(), Case.Decoded);
    if (Back) {
      const std::optional<Fs::TJournalRanges> Ranges = Fs::RelocateRanges(*Back);
      ASSERT_TRUE(Ranges);
      EXPECT_EQ(Ranges->Head, Case.Head);
      EXPECT_EQ(Ranges->FarOld, Case.FarOld);
      EXPECT_EQ(Ranges->NewSize, Case.NewSize);
      EXPECT_EQ(JournalRoomMoved(*Back, Case.NewSize), Case.NewSize != Case.Size);
    }
  }
}

// Journals written before they carried the new bytes still roll back.
TEST(JournalFormat, ReadsTheFirstVersion)
{
  TJournal Journal = SampleJournal();
  Journal.NewBytes.clear();
  TBytes Bytes = EncodeJournal(Journal);
  Bytes.erase(Bytes.end() - 12, Bytes.end()); // the new bytes' length and the checksum
  Bytes[8] = 1;
  std::uint32_t Crc = Crc32(Bytes.data(), Bytes.size());
  for (int Index = 0; Index < 4; ++Index) {
    Bytes.push_back(static_cast<std::uint8_t>(Crc >> (8 * Index)));
  }
  std::optional<TJournal> Back = DecodeJournal(Bytes);
  ASSERT_TRUE(Back);
  EXPECT_EQ(Back->OldHeader, Journal.OldHeader);
  EXPECT_TRUE(Back->NewBytes.empty());
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

  // A save stopped dead just before its new header was synced, with the
  // journal still beside it. Torn: the end of the header never reached the
  // disk; otherwise the whole new header is in the file.
  void CrashBeforeSync(std::size_t Payload, bool Torn = true)
  {
    TFaultFileSystem Fs;
    Fs.CrashAtNth(1, TFsCall::FDataSync);
    TOpenVideo Open(Video());
    TCommitRequest Request = Open.Request(MakeImage(Payload), FSample.HeaderSize);
    Request.Fs = &Fs;
    EXPECT_THROW(CommitHeader(Request), ESimulatedCrash);
    ASSERT_TRUE(std::filesystem::exists(JournalOf("clip.wmv")));
    TBytes File = ReadFileBytes(Video());
    ASSERT_NE(File, FSample.Bytes);
    if (Torn) {
      // The last sectors of the new header never reached the disk: they hold
      // what the file held before the overwrite (after an insert, the room's zeros).
      std::optional<TJournal> Journal = DecodeJournal(ReadFileBytes(JournalOf("clip.wmv")));
      ASSERT_TRUE(Journal);
      TBytes Before = FSample.Bytes;
      Before.insert(Before.begin() + static_cast<long>(Journal->InsertOffset), File.size() - Before.size(),
                    0);
      std::size_t From = (HeaderSizeOf(File) - 100) / JournalSectorSize * JournalSectorSize;
      std::copy(Before.begin() + static_cast<long>(From),
                Before.begin() + static_cast<long>(HeaderSizeOf(File)),
                File.begin() + static_cast<long>(From));
      WriteFileBytes(Video(), File);
    }
  }

  TTempDir FDir;
  TSampleFile FSample;
};

TEST_F(JournalRecoveryTest, NothingToRecoverIsSuccess)
{
  TSideFileReport Report;
  EXPECT_EQ(Recover(Video(), &Report), S_OK);
  EXPECT_EQ(Report.State, TSideFileState::None);
  EXPECT_EQ(ReadFileBytes(Video()), FSample.Bytes);
}

// A torn header goes back to the old one; an overwrite whose every new
// byte is in the file stands, as its save had reached its end. Either way
// recovery may itself be cut off at any step and run again.
TEST_F(JournalRecoveryTest, InterruptedSaveIsRolledBackOrKeptEvenIfRecoveryItselfIsCut)
{
  struct TCase {
    std::size_t Payload;
    bool Torn;
  };
  for (TCase Case : {TCase{1000, true}, TCase{1000, false}, TCase{9000, true}, TCase{9000, false}}) {
    for (int Nth = 1;; ++Nth) {
      SetUp();
      CrashBeforeSync(Case.Payload, Case.Torn);
      // Room inserted is never kept: only the removal of its journal decides.
      bool Stands = !Case.Torn && Case.Payload == 1000;
      TBytes Expected = Stands ? ReadFileBytes(Video()) : FSample.Bytes;
      TFaultFileSystem Fs;
      Fs.CrashAtNth(Nth);
      bool Finished = false;
      try {
        EXPECT_EQ(Recover(Video(), nullptr, &Fs), S_OK);
        Finished = !Fs.Crashed();
      } catch (const ESimulatedCrash&) {
      }
      Fs.CloseLeftovers();
      EXPECT_EQ(Recover(Video()), S_OK);
      EXPECT_EQ(ReadFileBytes(Video()), Expected)
          << Case.Payload << " torn " << Case.Torn << " crash at " << Nth;
      EXPECT_TRUE(SideFiles(FDir.Path()).empty());
      if (Finished) {
        break;
      }
    }
  }
}

// A journal that is not this file's is never applied nor removed, and a
// save waits until it is gone.
TEST_F(JournalRecoveryTest, JournalOfAnotherFileIsLeftAloneAndSavesWaitUntilItIsGone)
{
  CrashBeforeSync(1000);
  std::filesystem::rename(JournalOf("clip.wmv"), JournalOf("other.wmv"));
  WriteFileBytes(FDir.File("other.wmv"), FSample.Bytes); // another inode
  TBytes Journal = ReadFileBytes(JournalOf("other.wmv"));
  TSideFileReport Report;
  EXPECT_EQ(Recover(FDir.File("other.wmv"), &Report), S_OK);
  EXPECT_EQ(Report.State, TSideFileState::Found);
  EXPECT_EQ(Report.Path, JournalOf("other.wmv").string());
  EXPECT_EQ(ReadFileBytes(JournalOf("other.wmv")), Journal);
  EXPECT_EQ(ReadFileBytes(FDir.File("other.wmv")), FSample.Bytes);

  TOpenVideo Open(FDir.File("other.wmv"));
  EXPECT_EQ(CommitHeader(Open.Request(MakeImage(1500), FSample.HeaderSize)), E_SIDE_FILE_FOUND);
  EXPECT_EQ(ReadFileBytes(FDir.File("other.wmv")), FSample.Bytes);
  EXPECT_EQ(ReadFileBytes(JournalOf("other.wmv")), Journal);
  std::filesystem::remove(JournalOf("other.wmv"));
  EXPECT_EQ(CommitHeader(Open.Request(MakeImage(1500), FSample.HeaderSize)), S_OK);
}

TEST_F(JournalRecoveryTest, TornJournalIsRemovedWithoutTouchingTheFile)
{
  CrashBeforeSync(1000);
  TBytes Journal = ReadFileBytes(JournalOf("clip.wmv"));
  Journal.resize(Journal.size() / 2);
  WriteFileBytes(JournalOf("clip.wmv"), Journal);
  WriteFileBytes(Video(), FSample.Bytes);
  TSideFileReport Report;
  EXPECT_EQ(Recover(Video(), &Report), S_OK);
  EXPECT_EQ(Report.State, TSideFileState::Removed);
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
  EXPECT_EQ(Recover(Video()), S_OK);
  EXPECT_TRUE(SideFiles(FDir.Path()).empty());
}

TEST_F(JournalRecoveryTest, SaveRefusesAFileStillCarryingItsOwnJournal)
{
  CrashBeforeSync(1000);
  TBytes Interrupted = ReadFileBytes(Video());
  TOpenVideo Open(Video());
  EXPECT_EQ(CommitHeader(Open.Request(MakeImage(1500), FSample.HeaderSize)), E_SIDE_FILE_FOUND);
  EXPECT_EQ(ReadFileBytes(Video()), Interrupted);
}

} // namespace

} // namespace QuillmarkTest
