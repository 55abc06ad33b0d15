// Side files at a journal's name that are not provably the file's own
// interrupted save: whatever is there, the open neither hangs nor reads it
// whole, the video stays exactly as it is, the side file stays, and saves
// wait until it is gone. And an open that only reads never writes.
#include "asf/CommitTestFiles.h"
#include "common/TestFiles.h"
#include "fs/CommitFaultFileSystem.h"
#include "metadata/TextConversion.h"

#include "asf/MetadataEditorImpl.h"
#include "fs/Journal.h"
#include "fs/JournalPlace.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

// Public, for the table of hostile side files below.
class JournalTrustTest : public ::testing::Test {
public:
  void SetUp() override
  {
    FSample = MakeSample(2000);
    WriteFileBytes(Video(), FSample.Bytes);
  }

  std::filesystem::path Video() const { return FDir.File("clip.wmv"); }
  std::filesystem::path Journal() const { return FDir.File(".clip.wmv.quillmark-journal"); }

  // A save in place stopped dead before its new header was synced. Torn:
  // the header's first sector never reached the disk, so only a rollback
  // gives a sound file.
  void Crash(bool Torn)
  {
    TFaultFileSystem Fs;
    Fs.CrashAtNth(1, TFsCall::FDataSync);
    TOpenVideo Open(Video());
    TCommitRequest Request = Open.Request(MakeImage(1000), FSample.HeaderSize);
    Request.Fs = &Fs;
    EXPECT_THROW(CommitHeader(Request), ESimulatedCrash);
    if (Torn) {
      TBytes File = ReadFileBytes(Video());
      std::copy_n(FSample.Bytes.begin(), 512, File.begin());
      WriteFileBytes(Video(), File);
    }
    FCrashed = ReadFileBytes(Video());
  }

  TJournal Decoded() const { return DecodeJournal(ReadFileBytes(Journal())).value(); }
  void Plant(const TJournal& Forged) const
  {
    std::filesystem::remove(Journal());
    WriteFileBytes(Journal(), EncodeJournal(Forged));
  }

  // The journal as a batch shares it: with the records of Others beside
  // its own, under its name and Names more.
  void Share(const TJournal& Own, const std::vector<TJournal>& Others, int Names) const
  {
    std::vector<const TJournal*> Records{&Own};
    for (const TJournal& Other : Others) {
      Records.push_back(&Other);
    }
    std::filesystem::remove(Journal());
    WriteFileBytes(Journal(), EncodeJournalSet(Records));
    for (int Index = 0; Index < Names; ++Index) {
      std::filesystem::create_hard_link(Journal(),
                                        FDir.File(".other" + std::to_string(Index) + ".quillmark-journal"));
    }
  }
  static TJournal OfAnotherVideo(TJournal Journal)
  {
    Journal.Inode += 1000;
    return Journal;
  }

  bool SomethingAtJournal() const
  {
    struct stat Info {};
    return ::lstat(Journal().c_str(), &Info) == 0;
  }

  TTempDir FDir;
  TSampleFile FSample;
  TBytes FCrashed;
};

struct THostileCase {
  const char* Name;
  std::function<void(JournalTrustTest&)> Plant;
};

// Each is the journal of a real torn save, made unusable one way.
const THostileCase HostileCases[] = {
    {"OwnedByAnotherUser", [](auto& T) { ASSERT_EQ(::chown(T.Journal().c_str(), 4242, 4242), 0); }},
    {"WritableByItsGroup", [](auto& T) { ASSERT_EQ(::chmod(T.Journal().c_str(), 0660), 0); }},
    {"WritableByAnyone", [](auto& T) { ASSERT_EQ(::chmod(T.Journal().c_str(), 0602), 0); }},
    {"SymbolicLinkToAJournal",
     [](auto& T) {
       std::filesystem::rename(T.Journal(), T.FDir.File("elsewhere"));
       std::filesystem::create_symlink(T.FDir.File("elsewhere"), T.Journal());
     }},
    {"SecondHardLink", [](auto& T) { std::filesystem::create_hard_link(T.Journal(), T.FDir.File("again")); }},
    {"Fifo",
     [](auto& T) {
       std::filesystem::remove(T.Journal());
       ASSERT_EQ(::mkfifo(T.Journal().c_str(), 0600), 0);
     }},
    {"SparseFileOf64GiB",
     [](auto& T) {
       std::filesystem::remove(T.Journal());
       WriteFileBytes(T.Journal(), {});
       std::filesystem::resize_file(T.Journal(), 64ULL << 30);
     }},
    {"Folder",
     [](auto& T) {
       std::filesystem::remove(T.Journal());
       std::filesystem::create_directory(T.Journal());
     }},
    {"AnotherInode",
     [](auto& T) {
       TJournal J = T.Decoded();
       ++J.Inode;
       T.Plant(J);
     }},
    {"AnotherSize",
     [](auto& T) {
       TJournal J = T.Decoded();
       J.OriginalSize += 512;
       T.Plant(J);
     }},
    {"OldBytesPastTheHeaderTheyDescribe",
     [](auto& T) {
       TJournal J = T.Decoded();
       J.OldHeader.resize(T.FSample.HeaderSize + 4096, 0x41);
       J.NewBytes.resize(J.OldHeader.size(), 0x41);
       T.Plant(J);
     }},
    {"HeaderSizeThatMissesTheDataObject",
     [](auto& T) {
       TJournal J = T.Decoded();
       J.OldHeader[17] ^= 0x02;
       J.NewBytes[17] ^= 0x02;
       T.Plant(J);
     }},
    {"RoomOutsideTheHeader",
     [](auto& T) {
       TJournal J = T.Decoded();
       J.Kind = TJournalKind::InsertRange;
       J.OldHeader =
           TBytes(T.FSample.Bytes.begin(), T.FSample.Bytes.begin() + static_cast<long>(T.FSample.HeaderSize));
       J.InsertOffset = T.FSample.HeaderSize + 4096;
       J.InsertLength = 4096;
       T.Plant(J);
     }},
    {"RoomThatCutsOutMedia",
     [](auto& T) {
       TJournal J = T.Decoded();
       J.Kind = TJournalKind::InsertRange;
       J.OldHeader =
           TBytes(T.FSample.Bytes.begin(), T.FSample.Bytes.begin() + static_cast<long>(T.FSample.HeaderSize));
       J.InsertOffset = 0;
       J.InsertLength = 1ULL << 40;
       T.Plant(J);
     }},
    {"NewBytesOfAnotherLength",
     [](auto& T) {
       TJournal J = T.Decoded();
       J.NewBytes.pop_back();
       T.Plant(J);
     }},
    {"SectorThatIsNeitherOldNorNew",
     [](auto& T) {
       TJournal J = T.Decoded();
       J.OldHeader[600] ^= 0x01;
       J.NewBytes[600] ^= 0x01;
       T.Plant(J);
     }},
    {"SharedWithMoreNamesThanRecords",
     [](auto& T) {
       TJournal J = T.Decoded();
       T.Share(J, {T.OfAnotherVideo(J)}, 2);
     }},
    {"SharedWithoutThisVideo",
     [](auto& T) {
       TJournal J = T.Decoded();
       T.Share(T.OfAnotherVideo(J), {T.OfAnotherVideo(T.OfAnotherVideo(J))}, 1);
     }},
    {"FirstVersionWithoutNewBytes",
     [](auto& T) {
       TJournal J = T.Decoded();
       J.NewBytes.clear();
       T.Plant(J);
     }},
};

TEST_F(JournalTrustTest, HostileSideFilesAreReportedNeverAppliedNorRemoved)
{
  for (const THostileCase& Case : HostileCases) {
    SCOPED_TRACE(Case.Name);
    std::filesystem::remove_all(FDir.Path());
    std::filesystem::create_directory(FDir.Path());
    SetUp();
    Crash(true);
    Case.Plant(*this);
    for (bool MayWrite : {false, true}) {
      TFaultFileSystem Fs;
      TSideFileReport Report;
      ASSERT_EQ(Recover(Video(), &Report, &Fs, MayWrite), S_OK);
      EXPECT_EQ(Report.State, TSideFileState::Found);
      EXPECT_EQ(Report.Path, Journal().string());
      EXPECT_EQ(Fs.BytesWritten(), 0U);
      EXPECT_LT(Fs.BytesRead(), 1U << 20);
    }
    EXPECT_EQ(ReadFileBytes(Video()), FCrashed);
    EXPECT_TRUE(SomethingAtJournal());
    TOpenVideo Open(Video());
    EXPECT_EQ(CommitHeader(Open.Request(MakeImage(1500), HeaderSizeOf(FCrashed))), E_SIDE_FILE_FOUND);
    EXPECT_EQ(ReadFileBytes(Video()), FCrashed);
  }
}

// The file's own journal, found by an open that only reads: reported and
// left; the next open for writing acts on it.
TEST_F(JournalTrustTest, OnlyAnOpenForWritingActsOnTheFilesOwnJournal)
{
  struct TCase {
    bool Torn;
    TSideFileState Then;
  };
  for (TCase Case : {TCase{true, TSideFileState::RolledBack}, TCase{false, TSideFileState::Completed}}) {
    SetUp();
    Crash(Case.Torn);
    TBytes Journaled = ReadFileBytes(Journal());
    TSideFileReport Report;
    ASSERT_EQ(Recover(Video(), &Report, nullptr, false), S_OK);
    EXPECT_EQ(Report.State, TSideFileState::Pending);
    EXPECT_EQ(ReadFileBytes(Video()), FCrashed);
    EXPECT_EQ(ReadFileBytes(Journal()), Journaled);
    ASSERT_EQ(Recover(Video(), &Report), S_OK);
    EXPECT_EQ(Report.State, Case.Then);
    EXPECT_EQ(Report.Path, Journal().string());
    EXPECT_EQ(ReadFileBytes(Video()), Case.Torn ? FSample.Bytes : FCrashed);
    EXPECT_FALSE(SomethingAtJournal());
  }
}

// A journal a batch shared with other videos of the folder: the open uses
// its own video's record and takes away only its own name.
TEST_F(JournalTrustTest, ASharedJournalRecoversItsVideoAndKeepsTheOthersNames)
{
  Crash(true);
  TJournal Own = DecodeJournal(ReadFileBytes(Journal())).value();
  Share(OfAnotherVideo(Own), {Own}, 1);
  TSideFileReport Report;
  ASSERT_EQ(Recover(Video(), &Report), S_OK);
  EXPECT_EQ(Report.State, TSideFileState::RolledBack);
  EXPECT_EQ(ReadFileBytes(Video()), FSample.Bytes);
  EXPECT_FALSE(SomethingAtJournal());
  EXPECT_TRUE(std::filesystem::exists(FDir.File(".other0.quillmark-journal")));
}

// A journal its video's owner wrote is trusted when another user opens the
// video; one of a stranger is not, even when its owner is the one opening.
TEST_F(JournalTrustTest, TheVideosOwnerOrTheRunningUserMayOwnTheJournal)
{
  Crash(true);
  ASSERT_EQ(::chown(Video().c_str(), 4242, 4242), 0);
  ASSERT_EQ(::chown(Journal().c_str(), 4242, 4242), 0);
  TSideFileReport Report;
  ASSERT_EQ(Recover(Video(), &Report), S_OK);
  EXPECT_EQ(Report.State, TSideFileState::RolledBack);
  EXPECT_EQ(ReadFileBytes(Video()), FSample.Bytes);
}

std::u16string Wide(const std::filesystem::path& Path)
{
  return Utf8ToUtf16(Path.string());
}

// Through the editor: a read-only open leaves the file and reports; an open
// for writing rolls back and then saves, and a stranger's journal blocks the
// save until it is removed.
TEST_F(JournalTrustTest, TheEditorReportsWhatItFoundAndSavesOnlyOnceItIsDealtWith)
{
  Crash(true);
  {
    TMetadataEditor Reader;
    Reader.OpenEx(Wide(Video()).c_str(), GENERIC_READ, FILE_SHARE_READ);
    EXPECT_EQ(Reader.SideFileReport().State, TSideFileState::Pending);
    EXPECT_EQ(ReadFileBytes(Video()), FCrashed);
  }
  const BYTE Value[] = {1, 0, 0, 0};
  TMetadataEditor Editor;
  ASSERT_EQ(Editor.OpenEx(Wide(Video()).c_str(), GENERIC_READ | GENERIC_WRITE, 0), S_OK);
  EXPECT_EQ(Editor.SideFileReport().State, TSideFileState::RolledBack);
  ASSERT_EQ(Editor.SetAttribute(0, u"Quillmark", WMT_TYPE_DWORD, Value, 4), S_OK);
  ASSERT_EQ(Editor.Flush(), S_OK);
  TBytes Saved = ReadFileBytes(Video());

  WriteFileBytes(Journal(), ReadFileBytes(Video()));
  ASSERT_EQ(::chown(Journal().c_str(), 4242, 4242), 0);
  ASSERT_EQ(Editor.OpenEx(Wide(Video()).c_str(), GENERIC_READ | GENERIC_WRITE, 0), S_OK);
  EXPECT_EQ(Editor.SideFileReport().State, TSideFileState::Found);
  EXPECT_EQ(Editor.SideFileReport().Path, Journal().string());
  ASSERT_EQ(Editor.SetAttribute(0, u"Quillmark", WMT_TYPE_DWORD, Value, 4), S_OK);
  EXPECT_EQ(Editor.Flush(), E_SIDE_FILE_FOUND);
  EXPECT_EQ(ReadFileBytes(Video()), Saved);
  std::filesystem::remove(Journal());
  EXPECT_EQ(Editor.Flush(), S_OK);
}

} // namespace

} // namespace QuillmarkTest

namespace QuillmarkTest {

namespace {

using namespace Quillmark::Asf;

// A journal of the saver's own folder may be for a video of any disk: it
// must name the video's device too, and its name the file system. Beside the
// video the device recorded is not compared (a removable disk may come back
// under another number), the folder itself being on the video's disk.
TEST(JournalIdentityTest, APrivateJournalIsOnlyForTheVideoOfItsOwnDisk)
{
  struct TCase {
    TJournalWhere Where;
    dev_t VideoDevice;
    ino_t VideoInode;
    bool Belongs;
  };
  const TCase Cases[] = {
      {TJournalWhere::Beside, 7, 12, true},   {TJournalWhere::Beside, 9, 12, true},
      {TJournalWhere::Beside, 7, 13, false},  {TJournalWhere::Private, 7, 12, true},
      {TJournalWhere::Private, 9, 12, false}, {TJournalWhere::Private, 7, 13, false},
  };
  TJournal Journal;
  Journal.Device = 7;
  Journal.Inode = 12;
  Journal.OriginalSize = 5000;
  for (const TCase& Case : Cases) {
    struct stat Video {};
    Video.st_dev = Case.VideoDevice;
    Video.st_ino = Case.VideoInode;
    Video.st_size = 5000;
    EXPECT_EQ(JournalBelongsTo(Journal, Video, Case.Where), Case.Belongs)
        << static_cast<int>(Case.Where) << " " << Case.VideoDevice << " " << Case.VideoInode;
  }
  struct stat Video {};
  Video.st_dev = 7;
  Video.st_ino = 12;
  const std::string Name = PrivateJournalName("/media/a.wmv", Video, 0x1234);
  EXPECT_NE(Name, PrivateJournalName("/media/a.wmv", Video, 0x1235));
  Video.st_dev = 8;
  EXPECT_NE(Name, PrivateJournalName("/media/a.wmv", Video, 0x1234));
}

} // namespace

} // namespace QuillmarkTest
