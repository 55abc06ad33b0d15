// quillmark-tag and the side files of interrupted saves: one line says what
// was found; show and dump never write; set recovers the file's own
// journal, and refuses to save beside one it cannot trust.
#include "common/AsfBuilder.h"
#include "common/TestFiles.h"
#include "fs/Journal.h"
#include "tag/ToolRun.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

namespace QuillmarkTest {
namespace {

using namespace Quillmark::Fs;

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

  std::string Line(const std::string& Text) const
  {
    return "quillmark-tag: " + Video().string() + ": " + Text + "\n";
  }

  // The folder's entries with their bytes and modification times.
  std::map<std::string, std::pair<TBytes, std::int64_t>> Snapshot() const
  {
    std::map<std::string, std::pair<TBytes, std::int64_t>> Entries;
    for (const auto& Entry : std::filesystem::directory_iterator(FDir.Path())) {
      struct stat Info {};
      EXPECT_EQ(::stat(Entry.path().c_str(), &Info), 0);
      Entries[Entry.path().filename()] = {ReadFileBytes(Entry.path()),
                                          Info.st_mtim.tv_sec * 1000000000LL + Info.st_mtim.tv_nsec};
    }
    return Entries;
  }

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
  EXPECT_EQ(Dump.Err, Line(Found));
  TRun Set = RunTool({"set", "--title", "New", Video().string()});
  EXPECT_EQ(Set.Status, 1);
  EXPECT_EQ(Set.Err.rfind(Line(Found), 0), 0U) << Set.Err;
  EXPECT_NE(Set.Err.find(": side file found: "), std::string::npos) << Set.Err;
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

// A dry run only reads: whatever side file it finds stays as it is, and it
// says what a save would do with it first.
TEST_F(TagSideFiles, DryRunActsOnNoSideFileAndTellsWhatASaveWouldDo)
{
  struct TCase {
    const char* Name;
    std::function<void()> Plant;
    int Status;
    const char* Told; // in the side file's line
    const char* Outcome;
    const char* Editing; // in --json
  };
  const auto Foreign = [this] {
    WriteFileBytes(Journal(), TBytes(100, 0x41));
    ASSERT_EQ(::chmod(Journal().c_str(), 0666), 0);
  };
  const auto CutShort = [this] {
    WriteFileBytes(Journal(), TBytes(100, 0x41));
    ASSERT_EQ(::chmod(Journal().c_str(), 0600), 0);
  };
  const TCase Cases[] = {
      {"own", [this] { PlantOwnJournal(); }, 0, "opening it for editing puts the old header back",
       ": would be saved (first the interrupted save would be undone)\n", "rolled-back"},
      {"cut short", CutShort, 0, "opening it for editing removes the side file",
       ": would be saved (first the unfinished side file would be removed)\n", "removed"},
      {"foreign", Foreign, 1, "it cannot be saved until the side file is removed", ": would not be saved\n",
       "found"},
  };
  for (const TCase& Case : Cases) {
    SetUp();
    std::filesystem::remove(Journal());
    Case.Plant();
    const auto Before = Snapshot();
    TRun Text = RunTool({"set", "--dry-run", "--title", "New", Video().string()});
    TRun Json = RunTool({"set", "--dry-run", "--json", "--title", "New", Video().string()});
    EXPECT_EQ(Snapshot(), Before) << Case.Name;
    EXPECT_EQ(Text.Status, Case.Status) << Case.Name << Text.Err;
    EXPECT_EQ(
        Text.Err.rfind("quillmark-tag: " + Video().string() + ": The side file '" + Journal().string(), 0),
        0U)
        << Case.Name << Text.Err;
    EXPECT_NE(Text.Err.find(Case.Told), std::string::npos) << Case.Name << Text.Err;
    EXPECT_EQ(Text.Out.rfind(Video().string() + Case.Outcome + "  Title: Old title -> New\n", 0), 0U)
        << Case.Name << Text.Out;
    const nlohmann::json File = nlohmann::json::parse(Json.Out).at(0);
    EXPECT_EQ(File["sideFile"]["path"], Journal().string()) << Case.Name;
    EXPECT_EQ(File["sideFile"]["editing"], Case.Editing) << Case.Name;
  }
  // A real save then does what the dry run told.
  TRun Set = RunTool({"set", "--json", "--title", "New", Video().string()});
  EXPECT_EQ(Set.Status, 1);
  const nlohmann::json Refused = nlohmann::json::parse(Set.Out).at(0);
  EXPECT_EQ(Refused["saved"], false);
  EXPECT_EQ(Refused["error"]["code"], "side-file-found");
}

} // namespace
} // namespace QuillmarkTest
