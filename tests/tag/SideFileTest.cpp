// quillmark-tag and the side files of interrupted saves: one line says what
// was found; show and dump never write; set recovers the file's own
// journal, and refuses to save beside one it cannot trust.
#include "common/AsfBuilder.h"
#include "common/TestFiles.h"
#include "metadata/fs/Journal.h"
#include "tag/ToolRun.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace QuillmarkTest {
namespace {

using namespace Quillmark::Asf;

class TagSideFiles : public ::testing::Test {
protected:
  void SetUp() override
  {
    TAsfBuilder Builder;
    Builder.Add(ContentDescriptionObject({u"Old title", std::nullopt, std::nullopt, std::nullopt}));
    Builder.Add(PaddingObject(4000));
    FOriginal = Builder.File();
    WriteFileBytes(Video(), FOriginal);
  }

  std::filesystem::path Video() const { return FDir.File("clip.wmv"); }
  std::filesystem::path Journal() const { return FDir.File(".clip.wmv.quillmark-journal"); }

  // The journal of a save in place that never began to write: every byte
  // the file holds is the old one, so acting on it changes nothing.
  void PlantOwnJournal()
  {
    struct stat Info {};
    ASSERT_EQ(::stat(Video().c_str(), &Info), 0);
    TJournal Own;
    Own.Inode = Info.st_ino;
    Own.OriginalSize = static_cast<std::uint64_t>(Info.st_size);
    Own.OldHeader.assign(FOriginal.begin(), FOriginal.begin() + 600);
    Own.NewBytes = Own.OldHeader;
    std::fill(Own.NewBytes.begin() + 300, Own.NewBytes.end(), 0x20);
    WriteFileBytes(Journal(), EncodeJournal(Own));
  }

  std::string Line(const std::string& Text) const { return Video().string() + ": " + Text + "\n"; }

  TTempDir FDir;
  TBytes FOriginal;
};

TEST_F(TagSideFiles, AStrangersSideFileIsToldOnOneLineAndBlocksSet)
{
  WriteFileBytes(Journal(), TBytes(100, 0x41));
  ASSERT_EQ(::chmod(Journal().c_str(), 0666), 0);
  const std::string Found = "The side file '" + Journal().string() +
                            "' was not used: it cannot be shown to be an interrupted save of 'clip.wmv'. The "
                            "file is shown as it is, and it cannot be saved until the side file is removed.";
  TRun Show = RunTool({"show", Video().string()});
  EXPECT_EQ(Show.Status, 0);
  EXPECT_EQ(Show.Err, Line(Found));
  TRun Dump = RunTool({"dump", Video().string()});
  EXPECT_EQ(Dump.Status, 0);
  EXPECT_EQ(Dump.Err, "quillmark-tag: " + Line(Found));
  TRun Set = RunTool({"set", "--title", "New", Video().string()});
  EXPECT_EQ(Set.Status, 1);
  EXPECT_EQ(Set.Err.rfind(Line(Found), 0), 0U) << Set.Err;
  EXPECT_NE(Set.Err.find("Could not save file 'clip.wmv'!"), std::string::npos) << Set.Err;
  EXPECT_EQ(ReadFileBytes(Video()), FOriginal);
  EXPECT_EQ(ReadFileBytes(Journal()), TBytes(100, 0x41));
}

TEST_F(TagSideFiles, ShowLeavesTheFilesOwnJournalAndSetRecoversItFirst)
{
  PlantOwnJournal();
  TBytes Journaled = ReadFileBytes(Journal());
  for (const char* Command : {"show", "dump"}) {
    TRun Read = RunTool({Command, Video().string()});
    EXPECT_EQ(Read.Status, 0);
    EXPECT_NE(Read.Err.find("holds an interrupted save of 'clip.wmv'"), std::string::npos) << Read.Err;
    EXPECT_EQ(ReadFileBytes(Journal()), Journaled);
  }
  TRun Set = RunTool({"set", "--title", "New", Video().string()});
  EXPECT_EQ(Set.Status, 0) << Set.Err;
  EXPECT_EQ(Set.Err, Line("An interrupted save of 'clip.wmv' was undone with its side file '" +
                          Journal().string() + "'."));
  EXPECT_FALSE(std::filesystem::exists(Journal()));
  EXPECT_NE(ReadFileBytes(Video()), FOriginal);
}

} // namespace
} // namespace QuillmarkTest
