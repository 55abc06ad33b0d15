// Videos in folders shared with other users: a journal another user plants
// is never applied, the owner of a file in a folder they may not write saves
// it in place, and a group member may not hand a copied file to himself.
// Where root is needed to be a second user, a forked child takes that user's
// ids (setresuid); without root those tests are skipped.
#include "asf/CommitTestFiles.h"
#include "common/TestFiles.h"
#include "fs/CommitFaultFileSystem.h"
#include "metadata/TextConversion.h"

#include "asf/MetadataEditorImpl.h"
#include "fs/JournalPlace.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

constexpr uid_t Owner = 41001;
constexpr uid_t Stranger = 41002;
constexpr gid_t SharedGroup = 41000;

// Runs Body in a child with the user's and group's ids; its result is the
// child's exit status (0: every expectation held).
int RunAs(uid_t User, gid_t Group, const std::function<int()>& Body)
{
  pid_t Child = fork();
  if (Child == 0) {
    if (setgroups(0, nullptr) != 0 || setresgid(Group, Group, Group) != 0 ||
        setresuid(User, User, User) != 0) {
      _exit(100);
    }
    try {
      _exit(Body());
    } catch (...) {
      _exit(101);
    }
  }
  int Status = 0;
  waitpid(Child, &Status, 0);
  return WIFEXITED(Status) ? WEXITSTATUS(Status) : 102;
}

// The private journal folder of a test, put back to the default afterwards.
class TPrivateFolder {
public:
  explicit TPrivateFolder(const std::filesystem::path& Path) { SetPrivateJournalFolder(Path.string()); }
  ~TPrivateFolder() { SetPrivateJournalFolder({}); }
};

class SharedFolderTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    // The scratch folder lets the other users in; Shared is theirs to share.
    ::chmod(FDir.Path().c_str(), 0755);
    std::filesystem::create_directory(Shared());
    FSample = MakeSample(2000);
    WriteFileBytes(Video(), FSample.Bytes);
  }

  std::filesystem::path Shared() const { return FDir.File("shared"); }
  std::filesystem::path Video() const { return Shared() / "clip.wmv"; }
  std::filesystem::path Journal() const { return Shared() / ".clip.wmv.quillmark-journal"; }

  TTempDir FDir;
  TSampleFile FSample;
};

bool RequireRoot()
{
  return geteuid() == 0;
}

// A well-formed journal of this very video, from a save that crashed: what
// a stranger copies into place to make the owner's next open write it.
TEST_F(SharedFolderTest, JournalPlantedByAnotherUserIsNeverApplied)
{
  if (!RequireRoot()) {
    GTEST_SKIP() << "needs root to act as a second user";
  }
  TFaultFileSystem Fs;
  Fs.CrashAtNth(1, TFsCall::FDataSync);
  {
    TOpenVideo Open(Video());
    TCommitRequest Request = Open.Request(MakeImage(1000), FSample.HeaderSize);
    Request.Fs = &Fs;
    EXPECT_THROW(CommitHeader(Request), ESimulatedCrash);
  }
  Fs.CloseLeftovers();
  TBytes Forged = ReadFileBytes(Journal());
  std::filesystem::remove(Journal());
  TBytes Crashed = ReadFileBytes(Video());
  ASSERT_EQ(::chown(Video().c_str(), Owner, Owner), 0);
  ASSERT_EQ(::chmod(Shared().c_str(), 01777), 0); // a shared folder, like /tmp
  ASSERT_EQ(RunAs(Stranger, Stranger,
                  [&] {
                    int Fd = ::open(Journal().c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
                    bool Written = Fd >= 0 && ::write(Fd, Forged.data(), Forged.size()) ==
                                                  static_cast<ssize_t>(Forged.size());
                    return Written && ::close(Fd) == 0 ? 0 : 1;
                  }),
            0);
  int Status = RunAs(Owner, Owner, [&] {
    TMetadataEditor Editor;
    Editor.OpenEx(Utf8ToUtf16(Video().string()).c_str(), GENERIC_READ | GENERIC_WRITE, 0);
    TSideFileReport Report = Editor.SideFileReport();
    return Report.State == TSideFileState::Found && Report.Path == Journal().string() ? 0 : 1;
  });
  EXPECT_EQ(Status, 0);
  EXPECT_EQ(ReadFileBytes(Video()), Crashed);
  EXPECT_EQ(ReadFileBytes(Journal()), Forged);
}

// The folder does not take the journal: it goes to the saver's own folder,
// and a crash there is recovered from it.
class TNoNewFilesBeside : public TFaultFileSystem {
public:
  explicit TNoNewFilesBeside(std::filesystem::path Folder) : FFolder(std::move(Folder)) {}
  int OpenAt(int Dir, const std::string& Name, int Flags, mode_t Mode, int& Fd) override
  {
    struct stat Held {};
    struct stat Refusing {};
    if ((Flags & O_CREAT) != 0 && fstat(Dir, &Held) == 0 && stat(FFolder.c_str(), &Refusing) == 0 &&
        Held.st_ino == Refusing.st_ino && Held.st_dev == Refusing.st_dev) {
      Fd = -1;
      return EACCES;
    }
    return TFaultFileSystem::OpenAt(Dir, Name, Flags, Mode, Fd);
  }

private:
  std::filesystem::path FFolder;
};

TEST_F(SharedFolderTest, AFolderThatTakesNoNewFilesKeepsTheJournalInTheSaversOwnFolder)
{
  TPrivateFolder Private(FDir.File("state") / "journals");
  for (std::size_t Payload : {1000, 9000}) { // in place, and by inserting room
    SetUp();
    TNoNewFilesBeside Fs(Shared());
    Fs.CrashAtNth(1, TFsCall::FDataSync);
    {
      TOpenVideo Open(Video());
      TCommitRequest Request = Open.Request(MakeImage(Payload), FSample.HeaderSize);
      Request.Fs = &Fs;
      EXPECT_THROW(CommitHeader(Request), ESimulatedCrash);
    }
    Fs.CloseLeftovers();
    EXPECT_TRUE(SideFiles(Shared()).empty());
    ASSERT_EQ(std::distance(std::filesystem::directory_iterator(FDir.File("state") / "journals"), {}), 1);
    EXPECT_EQ(std::filesystem::status(FDir.File("state") / "journals").permissions(),
              std::filesystem::perms::owner_all);
    TSideFileReport Report;
    ASSERT_EQ(Recover(Video(), &Report), S_OK);
    // An overwrite whose new header was all in the file stands; inserted room never does.
    bool Stands = Payload == 1000;
    EXPECT_EQ(Report.State, Stands ? TSideFileState::Completed : TSideFileState::RolledBack);
    EXPECT_EQ(std::filesystem::path(Report.Path).parent_path(), FDir.File("state") / "journals");
    EXPECT_EQ(ReadFileBytes(Video()) == FSample.Bytes, !Stands);

    TNoNewFilesBeside Clean(Shared());
    TOpenVideo Open(Video());
    TCommitRequest Request = Open.Request(MakeImage(Payload), FSample.HeaderSize);
    Request.Fs = &Clean;
    EXPECT_EQ(CommitHeader(Request), S_OK) << Payload;
    EXPECT_TRUE(std::filesystem::is_empty(FDir.File("state") / "journals"));
  }
}

// For real: the owner of a file in a folder of root's saves it in place.
TEST_F(SharedFolderTest, OwnerSavesInPlaceInAFolderTheyCannotWrite)
{
  if (!RequireRoot()) {
    GTEST_SKIP() << "needs root to act as a second user";
  }
  std::filesystem::path Private = FDir.File("home");
  std::filesystem::create_directory(Private);
  ASSERT_EQ(::chown(Private.c_str(), Owner, Owner), 0);
  ASSERT_EQ(::chown(Video().c_str(), Owner, Owner), 0);
  int Status = RunAs(Owner, Owner, [&] {
    SetPrivateJournalFolder((Private / "journals").string());
    TOpenVideo Open(Video());
    return CommitHeader(Open.Request(MakeImage(1000), FSample.HeaderSize)) == S_OK ? 0 : 1;
  });
  EXPECT_EQ(Status, 0);
  EXPECT_EQ(HeaderSizeOf(ReadFileBytes(Video())), FSample.HeaderSize);
  EXPECT_NE(ReadFileBytes(Video()), FSample.Bytes);
  EXPECT_TRUE(SideFiles(Shared()).empty());
}

// A growing save that can only copy the file refuses, before it copies a
// byte, when the copy cannot have the file's owner.
TEST_F(SharedFolderTest, ACopyThatCannotKeepTheOwnerIsRefused)
{
  TFaultFileSystem Fs;
  Fs.FailEvery(TFsCall::FChown, EPERM);
  {
    TOpenVideo Open(Video());
    TCommitRequest Request = Open.Request(MakeImage(9000), FSample.HeaderSize);
    Request.AllowInsertRange = false;
    Request.Fs = &Fs;
    EXPECT_EQ(CommitHeader(Request), E_OWNER_NOT_KEPT);
  }
  EXPECT_EQ(Fs.CallsOf(TFsCall::CopyFileRange), 0);
  EXPECT_EQ(ReadFileBytes(Video()), FSample.Bytes);
  EXPECT_TRUE(SideFiles(Shared()).empty());

  if (!RequireRoot()) {
    GTEST_SKIP() << "needs root to act as a second user";
  }
  ASSERT_EQ(::chown(Shared().c_str(), 0, SharedGroup), 0);
  ASSERT_EQ(::chmod(Shared().c_str(), 0775), 0);
  ASSERT_EQ(::chown(Video().c_str(), Owner, SharedGroup), 0);
  ASSERT_EQ(::chmod(Video().c_str(), 0664), 0);
  int Status = RunAs(Stranger, SharedGroup, [&] {
    TOpenVideo Open(Video());
    TCommitRequest Request = Open.Request(MakeImage(9000), FSample.HeaderSize);
    Request.AllowInsertRange = false;
    return CommitHeader(Request) == E_OWNER_NOT_KEPT ? 0 : 1;
  });
  EXPECT_EQ(Status, 0);
  struct stat Info {};
  ASSERT_EQ(::stat(Video().c_str(), &Info), 0);
  EXPECT_EQ(Info.st_uid, Owner);
  EXPECT_EQ(ReadFileBytes(Video()), FSample.Bytes);
  EXPECT_TRUE(SideFiles(Shared()).empty());
}

// A batch asks for the saver's own folder for every file it opens and
// saves; while a memory lives the answer is looked up once, and the folder
// the saver creates itself is found at once.
TEST(PrivateFolderMemory, AnswersFromTheLastLookUpUntilTheSaverCreatesTheFolder)
{
  TTempDir Dir;
  TPrivateFolder Private(Dir.File("state") / "journals");
  TFaultFileSystem Fs;
  TFolderRef Folder;
  const auto Opens = [&](bool Create) {
    const int Before = Fs.Calls();
    const int Error = OpenPrivateJournalFolder(Fs, Create, Folder);
    return std::pair{Error, Fs.Calls() - Before};
  };
  // Without a memory every open looks.
  EXPECT_EQ(Opens(false).first, ENOENT);
  EXPECT_GT(Opens(false).second, 0);
  {
    const Fs::TPrivateFolderMemory Memory;
    EXPECT_EQ(Opens(false).first, ENOENT);
    EXPECT_EQ(Opens(false), (std::pair{ENOENT, 0}));
    EXPECT_EQ(Opens(true).first, 0);
    const auto Found = Opens(false);
    EXPECT_EQ(Found.first, 0);
    EXPECT_GT(Found.second, 0);
    ASSERT_TRUE(Folder);
    EXPECT_EQ(Opens(false), (std::pair{0, 0}));
    EXPECT_TRUE(Folder);
  }
  // The memory gone, a folder removed meanwhile is missed no longer.
  std::filesystem::remove(Dir.File("state") / "journals");
  EXPECT_EQ(Opens(false).first, ENOENT);
}

} // namespace

} // namespace QuillmarkTest
