// quillmark-tag over collections: folders, layouts from file names, the
// stereo options' rules, dry runs and batch saves with progress.
#include "common/AsfBuilder.h"
#include "common/TestFiles.h"
#include "common/TestJpeg.h"
#include "tag/CatalogueFile.h"
#include "tag/FileArguments.h"
#include "tag/LayoutFromName.h"
#include "tag/SetBatch.h"
#include "tag/SetCommand.h"
#include "tag/ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace QuillmarkTest {
namespace {

using nlohmann::json;

class CollectionCommands : public ::testing::Test {
protected:
  // Padding 0: a header with no room, which grows on its first save.
  std::string MakeFile(const std::string& Name, std::uint64_t Padding = 20000)
  {
    std::filesystem::create_directories(FDir.File(Name).parent_path());
    TAsfBuilder Builder;
    Builder.Add(ContentDescriptionObject({u"Old title", std::nullopt, std::nullopt, std::nullopt}));
    if (Padding > 0) {
      Builder.Add(PaddingObject(Padding));
    }
    WriteFileBytes(FDir.File(Name), Builder.File());
    return FDir.File(Name).string();
  }

  std::string Path(const std::string& Name) const { return FDir.File(Name).string(); }

  // The files show --json printed, in order.
  static std::vector<std::string> FilesShown(const TRun& R)
  {
    std::vector<std::string> Files;
    for (const json& File : json::parse(R.Out)) {
      Files.push_back(File["file"]);
    }
    return Files;
  }

  json Shown(const std::string& File)
  {
    TRun R = RunTool({"show", "--json", File});
    EXPECT_EQ(R.Status, 0) << R.Err;
    return json::parse(R.Out).at(0);
  }

  TTempDir FDir;
};

TEST_F(CollectionCommands, AFolderMeansTheAsfFilesInIt)
{
  for (const char* Name : {"lib/b.wmv", "lib/A.WMA", "lib/c.Asf", "lib/we\nird [x].wmv", "lib/sub/d.wmv",
                           "lib/sub/deeper/e.asf", "elsewhere/f.wmv"}) {
    MakeFile(Name);
  }
  WriteFileBytes(FDir.File("lib/notes.txt"), TBytes(100, 'x'));
  WriteFileBytes(FDir.File("lib/clip.wmv.part"), TBytes(100, 'x'));
  std::filesystem::create_symlink(FDir.File("lib"), FDir.File("lib/sub/up"));
  std::filesystem::create_symlink(FDir.File("elsewhere"), FDir.File("lib/away"));
  std::filesystem::create_symlink(FDir.File("elsewhere/f.wmv"), FDir.File("lib/linked.wmv"));
  std::filesystem::create_directories(FDir.File("empty"));
  std::filesystem::create_symlink(FDir.File("nowhere.wmv"), FDir.File("lib/broken.wmv"));
  ASSERT_EQ(mkfifo(FDir.File("lib/pipe.wmv").c_str(), 0600), 0);
  std::filesystem::create_directories(FDir.File("lib/folder.wmv"));
  const std::string Lib = Path("lib");
  const std::vector<std::string> Direct = {Lib + "/A.WMA", Lib + "/b.wmv", Lib + "/c.Asf",
                                           Lib + "/we\nird [x].wmv"};
  std::vector<std::string> Recursive = Direct;
  Recursive.push_back(Lib + "/sub/d.wmv");
  Recursive.push_back(Lib + "/sub/deeper/e.asf");

  TRun Plain = RunTool({"show", "--json", Lib});
  EXPECT_EQ(Plain.Status, 0) << Plain.Err;
  EXPECT_EQ(FilesShown(Plain), Direct);
  TRun Deep = RunTool({"show", "--json", "-r", Lib + "/"});
  EXPECT_EQ(Deep.Status, 0) << Deep.Err;
  std::vector<std::string> WithSlash;
  for (const std::string& File : Recursive) {
    WithSlash.push_back(Lib + "/" + File.substr(Lib.size() + 1));
  }
  EXPECT_EQ(FilesShown(Deep), WithSlash);
  TRun Dump = RunTool({"dump", "--json", "--recursive", Lib});
  EXPECT_EQ(Dump.Status, 0) << Dump.Err;
  EXPECT_EQ(json::parse(Dump.Out).size(), Recursive.size());

  // A file named on its own is tried whatever its name; a folder with no
  // ASF file is reported.
  TRun Named = RunTool({"show", "--json", Path("lib/notes.txt"), Path("empty"), Lib + "/b.wmv"});
  EXPECT_EQ(Named.Status, 1);
  EXPECT_EQ(FilesShown(Named), (std::vector<std::string>{Path("lib/notes.txt"), Lib + "/b.wmv"}));
  EXPECT_NE(Named.Err.find("quillmark-tag: " + Path("lib/notes.txt") + ": not an ASF file"),
            std::string::npos);
  EXPECT_NE(
      Named.Err.find("quillmark-tag: " + Path("empty") + ": holds no .wmv, .wma, .asf, .mkv or .webm file"),
      std::string::npos);

  const TBytes Notes = ReadFileBytes(FDir.File("lib/notes.txt"));
  TRun Set = RunTool({"set", "-r", "--author", "Folder", Lib});
  EXPECT_EQ(Set.Status, 0) << Set.Err;
  for (const std::string& File : Recursive) {
    EXPECT_EQ(Shown(File)["author"], "Folder") << File;
  }
  EXPECT_EQ(ReadFileBytes(FDir.File("lib/notes.txt")), Notes);
}

// A shared folder may hold links others planted: a folder argument takes
// none of them, while the same link named on its own is the user's choice.
TEST_F(CollectionCommands, LinksInAFolderAreNeverFollowedButANamedLinkIs)
{
  MakeFile("shared/own.wmv");
  const std::string Private = MakeFile("private/mine.wmv");
  MakeFile("private/deeper/also.wmv");
  std::filesystem::create_symlink(Private, FDir.File("shared/planted.wmv"));
  std::filesystem::create_symlink(FDir.File("private"), FDir.File("shared/private"));
  const TBytes Mine = ReadFileBytes(Private);
  const TBytes Also = ReadFileBytes(FDir.File("private/deeper/also.wmv"));

  for (const std::vector<std::string>& Arguments :
       {std::vector<std::string>{"set", "--title", "X", Path("shared")},
        std::vector<std::string>{"set", "-r", "--title", "X", Path("shared")},
        std::vector<std::string>{"show", "-r", Path("shared")},
        std::vector<std::string>{"dump", "-r", Path("shared")}}) {
    TRun R = RunTool(Arguments);
    EXPECT_EQ(R.Status, 0) << Arguments[1] << R.Err;
    EXPECT_EQ(R.Err, "") << Arguments[1];
    EXPECT_EQ(R.Out.find("planted"), std::string::npos) << Arguments[1];
    EXPECT_EQ(R.Out.find("mine.wmv"), std::string::npos) << Arguments[1];
  }
  EXPECT_EQ(Shown(Path("shared/own.wmv"))["title"], "X");
  EXPECT_EQ(ReadFileBytes(Private), Mine);
  EXPECT_EQ(ReadFileBytes(FDir.File("private/deeper/also.wmv")), Also);

  TRun Named = RunTool({"set", "--title", "Y", Path("shared/planted.wmv")});
  EXPECT_EQ(Named.Status, 0) << Named.Err;
  EXPECT_EQ(Shown(Private)["title"], "Y");
}

// A file listed from a folder and swapped for a link before it is opened
// is refused, not followed; the same name given on the command line is.
TEST_F(CollectionCommands, AListedFileSwappedForALinkBeforeItsOpenIsRefused)
{
  const std::string Listed = MakeFile("shared/own.wmv");
  const std::string Private = MakeFile("private/mine.wmv");
  const TBytes Mine = ReadFileBytes(Private);
  std::vector<std::string> Files;
  std::vector<bool> FromFolder;
  std::ostringstream Err;
  ASSERT_TRUE(Quillmark::ExpandFileArguments({Path("shared"), Listed}, false, Files, Err, &FromFolder));
  ASSERT_EQ(FromFolder, (std::vector<bool>{true, false}));
  std::filesystem::remove(Listed);
  std::filesystem::create_symlink(Private, Listed);
  for (bool FollowLinks : {false, true}) {
    Quillmark::TOpenedCatalogue Opened;
    const std::string Message = Quillmark::OpenCatalogue(
        Files[FollowLinks ? 1 : 0], Quillmark::TOpenAccess::ReadWrite, Opened, FollowLinks);
    EXPECT_EQ(Message.empty(), FollowLinks) << Message;
    if (Opened.Editor) {
      Opened.Editor->Close();
    }
  }
  EXPECT_EQ(ReadFileBytes(Private), Mine);
}

TEST(LayoutFromName, ReadsTheConventionalTagsAsWholeTokens)
{
  using Quillmark::TNameLayout;
  using Quillmark::TNameLayoutResult;
  const TNameLayout Sbs{1, false, false};
  const TNameLayout HalfSbs{1, true, false};
  const TNameLayout Rl{0, false, false};
  const TNameLayout Ou{3, false, false};
  const TNameLayout HalfOu{3, false, true};
  const TNameLayout Bt{2, false, false};
  const std::vector<std::pair<std::string, TNameLayout>> Found = {
      {"Film.2019.3D.SBS.wmv", Sbs},
      {"clip_LR.wmv", Sbs},
      {"Trip 3D-SBS.wmv", Sbs},
      {"x-Full-SBS.wmv", Sbs},
      {"x.FSBS.wmv", Sbs},
      {"clip_rl.wmv", Rl},
      {"Film.HSBS.wmv", HalfSbs},
      {"Film (Half-SBS).wmv", HalfSbs},
      {"Film [H-SBS].wmv", HalfSbs},
      {"film.half.sbs.wmv", HalfSbs},
      {"Film.OU.wmv", Ou},
      {"Film_TB.wmv", Ou},
      {"Film {TAB}.wmv", Ou},
      {"Film.Full-OU.wmv", Ou},
      {"Film.FTB.wmv", Ou},
      {"Film_BT.wmv", Bt},
      {"Film.HOU.wmv", HalfOu},
      {"Film.Half-OU.wmv", HalfOu},
      {"Film.htb.wmv", HalfOu},
      {"Film.H-TB.wmv", HalfOu},
      {"Film.Half-TAB.wmv", HalfOu},
      {"Film.SBS.3D.SBS.wmv", Sbs},
      {"/videos/OU/clip.HSBS.wmv", HalfSbs},
  };
  for (const auto& [Name, Expected] : Found) {
    TNameLayout Layout;
    EXPECT_EQ(Quillmark::LayoutFromName(Name, Layout), TNameLayoutResult::Found) << Name;
    EXPECT_EQ(Layout, Expected) << Name;
  }
  const std::vector<std::pair<std::string, TNameLayoutResult>> NotFound = {
      {"plain.wmv", TNameLayoutResult::NoTag},
      {"/videos/SBS/plain.wmv", TNameLayoutResult::NoTag},
      {"SBSx.wmv", TNameLayoutResult::NoTag},
      {"Hobbits.wmv", TNameLayoutResult::NoTag},
      {"Half.wmv", TNameLayoutResult::NoTag},
      {"tub.wmv", TNameLayoutResult::NoTag},
      {"both.SBS.OU.wmv", TNameLayoutResult::Conflicting},
      {"both.HSBS.SBS.wmv", TNameLayoutResult::Conflicting},
      {"both.LR.RL.wmv", TNameLayoutResult::Conflicting},
  };
  for (const auto& [Name, Expected] : NotFound) {
    TNameLayout Layout{5, true, true};
    EXPECT_EQ(Quillmark::LayoutFromName(Name, Layout), Expected) << Name;
    EXPECT_EQ(Layout, (TNameLayout{5, true, true})) << Name;
  }
}

TEST_F(CollectionCommands, LayoutFromNameSetsTheStereoTabOrLeavesTheFile)
{
  const std::string Half = MakeFile("Trip.3D.HSBS.wmv");
  const std::string Full = MakeFile("Trip (Full-OU).wmv");
  const std::string Plain = MakeFile("plain.wmv");
  const std::string Mixed = MakeFile("mixed.SBS.OU.wmv");
  const TBytes PlainBefore = ReadFileBytes(Plain);
  const TBytes MixedBefore = ReadFileBytes(Mixed);
  TRun R = RunTool({"set", "--layout-from-name", "--title", "Named", FDir.Path().string()});
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Err,
            "quillmark-tag: " + Mixed + ": the name's stereoscopic layout tags disagree; left as it was\n" +
                "quillmark-tag: " + Plain +
                ": no stereoscopic layout tag in the name (such as SBS, HSBS, OU, HOU); left as it was\n");
  EXPECT_EQ(Shown(Half), (json{{"file", Half},
                               {"stereo", true},
                               {"layout", "SideBySideLF"},
                               {"halfWidth", true},
                               {"title", "Named"}}));
  EXPECT_EQ(Shown(Full),
            (json{{"file", Full}, {"stereo", true}, {"layout", "OverUnderLT"}, {"title", "Named"}}));
  EXPECT_EQ(ReadFileBytes(Plain), PlainBefore);
  EXPECT_EQ(ReadFileBytes(Mixed), MixedBefore);
}

TEST_F(CollectionCommands, StereoOptionsTickTheBoxAndContradictionsAreUsageErrors)
{
  const std::vector<std::pair<std::vector<std::string>, json>> Ticking = {
      {{"--layout", "SideBySideLF"}, {{"stereo", true}, {"layout", "SideBySideLF"}}},
      {{"--layout", "Mono", "--duration", "2"}, {{"stereo", true}, {"layout", "Mono"}, {"duration", "2"}}},
      {{"--layout", "Mono", "--parallax", "-4"}, {{"stereo", true}, {"layout", "Mono"}, {"parallax", -4}}},
      {{"--layout", "OverUnderRT", "--half-height"},
       {{"stereo", true}, {"layout", "OverUnderRT"}, {"halfHeight", true}}},
      {{"--no-half-width", "--author", "A"}, {{"author", "A"}}},
  };
  for (const auto& [Options, Expected] : Ticking) {
    const std::string File = MakeFile("tick.wmv");
    std::vector<std::string> Arguments = {"set"};
    Arguments.insert(Arguments.end(), Options.begin(), Options.end());
    Arguments.push_back(File);
    TRun R = RunTool(Arguments);
    EXPECT_EQ(R.Status, 0) << Options[0] << R.Err;
    json Want = Expected;
    Want["file"] = File;
    Want["title"] = "Old title";
    EXPECT_EQ(Shown(File), Want) << Options[0];
  }
  // A value that would need a layout the file lacks is refused, not dropped.
  const std::string Unticked = MakeFile("unticked.wmv");
  TRun Refused = RunTool({"set", "--half-width", Unticked});
  EXPECT_EQ(Refused.Status, 1);
  EXPECT_EQ(Refused.Err, "quillmark-tag: " + Unticked +
                             ": the file holds no known stereoscopic layout, which a ticked Stereoscopic box "
                             "needs; give one with --layout KEY, or --no-stereo\n");

  const std::string File = MakeFile("usage.wmv");
  const TBytes Before = ReadFileBytes(File);
  for (const std::vector<std::string>& Options : std::vector<std::vector<std::string>>{
           {"--no-stereo", "--layout", "Mono"},
           {"--no-stereo", "--half-width"},
           {"--no-stereo", "--half-height"},
           {"--no-stereo", "--duration", "1"},
           {"--no-stereo", "--parallax", "1"},
           {"--no-stereo", "--layout-from-name"},
           {"--half-width", "--half-height", "--layout", "Mono"},
           {"--layout-from-name", "--layout", "Mono"},
           {"--layout-from-name", "--no-half-width"},
       }) {
    std::vector<std::string> Arguments = {"set", "--title", "Changed"};
    Arguments.insert(Arguments.end(), Options.begin(), Options.end());
    Arguments.push_back(File);
    TRun R = RunTool(Arguments);
    EXPECT_EQ(R.Status, 2) << Options[0] << ' ' << Options[1];
    EXPECT_NE(R.Err.find("Run with --help"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(File), Before) << Options[0] << ' ' << Options[1];
  }
}

TEST_F(CollectionCommands, DryRunPrintsEachChangeOldAndNewAndWritesNothing)
{
  const std::string File = MakeFile("clip.wmv");
  const TBytes Before = ReadFileBytes(File);
  TRun R = RunTool({"set", "--dry-run", "--title", "New", "--author", "Me", "--layout", "OverUnderRT",
                    "--half-width", File});
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, File + ": would be saved\n"
                          "  Stereoscopic: no -> yes\n"
                          "  Layout: (empty) -> OverUnderRT\n"
                          "  Half width: no -> yes\n"
                          "  Title: Old title -> New\n"
                          "  Author: (empty) -> Me\n");
  EXPECT_EQ(ReadFileBytes(File), Before);
  // Values written as the file already holds them, or cleared where empty.
  TRun Same = RunTool({"set", "--dry-run", "--title", "Old title", "--source", "", File});
  EXPECT_EQ(Same.Out, File + ": no change\n");
  // What is shown is what the save would store: both half boxes untick both.
  ASSERT_EQ(RunTool({"set", "--layout", "Mono", "--half-height", File}).Status, 0);
  TRun Both = RunTool({"set", "--dry-run", "--half-width", File});
  EXPECT_EQ(Both.Out, File + ": would be saved\n  Half height: yes -> no\n");
}

TEST_F(CollectionCommands, BatchesSaveEveryFileInGroupsWithProgressOnATerminal)
{
  // More files than one group holds (groups keep to a share of the
  // descriptors the process may open), and one file named twice.
  std::vector<std::string> Files;
  for (int Index = 0; Index < 70; ++Index) {
    Files.push_back(MakeFile("batch/clip" + std::to_string(100 + Index) + ".wmv"));
  }
  rlimit Limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &Limit), 0);
  rlimit Lowered = Limit;
  Lowered.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &Lowered), 0);
  TRun R = RunTool({"set", "--title", "Batched", Path("batch"), Files[3]});
  setrlimit(RLIMIT_NOFILE, &Limit);
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Err, "");
  for (const std::string& File : Files) {
    EXPECT_EQ(Shown(File)["title"], "Batched") << File;
  }

  Quillmark::TSetOptions Options;
  Options.Text(Quillmark::TAttribute::Author) = "Shown";
  Options.ShowProgress = true;
  Options.Files = {Files[0], Files[1]};
  std::ostringstream Out;
  std::ostringstream Err;
  EXPECT_EQ(Quillmark::RunSet(Options, Out, Err), 0);
  EXPECT_EQ(Err.str(), "\r1 of 2  " + Files[0] + "\x1b[K\r2 of 2  " + Files[1] + "\x1b[K\n");
  // One file alone shows no count; a save in place shows nothing at all.
  Options.Files = {Files[2]};
  Err.str("");
  EXPECT_EQ(Quillmark::RunSet(Options, Out, Err), 0);
  EXPECT_EQ(Err.str(), "");
  // A failure starts on a line of its own.
  Options.Files = {Files[0], Path("missing.wmv"), Files[1]};
  Options.Text(Quillmark::TAttribute::Author) = "Again";
  Err.str("");
  EXPECT_EQ(Quillmark::RunSet(Options, Out, Err), 1);
  EXPECT_EQ(Err.str(), "quillmark-tag: " + Path("missing.wmv") + ": not found\n\r1 of 3  " + Files[0] +
                           "\x1b[K\r3 of 3  " + Files[1] + "\x1b[K\n");
}

// A group is saved by a second thread while the next one is opened. A file
// named again (by a second link) while the group holding it is being saved
// is opened once that save is done; every header grows and every file is
// saved and told of, in order.
TEST_F(CollectionCommands, GroupsSavedWhileTheNextIsOpenedSaveEveryFileOnce)
{
  std::vector<std::string> Files;
  for (int Index = 0; Index < 40; ++Index) {
    Files.push_back(MakeFile("groups/clip" + std::to_string(100 + Index) + ".wmv", 0));
  }
  ASSERT_EQ(link(Files[0].c_str(), Path("groups/again.wmv").c_str()), 0);
  // The link comes as the second thread has just taken the first group.
  Files.insert(Files.begin() + 10, Path("groups/again.wmv"));
  std::ostringstream Err;
  Quillmark::TSetBatch Batch(Files.size(), false, Err, Quillmark::TSetBatch::DefaultPictureBudget, 9);
  Batch.SetVerbose(true);
  for (std::size_t Position = 0; Position < Files.size(); ++Position) {
    ASSERT_TRUE(Batch.MakeRoom(Files[Position]));
    Quillmark::TOpenedCatalogue Opened;
    ASSERT_EQ(Quillmark::OpenCatalogue(Files[Position], Quillmark::TOpenAccess::ReadWrite, Opened), "")
        << Files[Position];
    Opened.Values.Title = Position < 10 ? u"First" : u"Grouped";
    Opened.Values.Changed.Mark(Quillmark::TAttribute::Title);
    std::vector<std::string> Messages;
    ASSERT_TRUE(Quillmark::WriteValues(Opened, Messages));
    Batch.Add(Position, Files[Position], std::move(Opened));
  }
  ASSERT_TRUE(Batch.Save());
  std::istringstream Lines(Err.str());
  std::string Line;
  for (std::size_t Position = 0; Position < Files.size(); ++Position) {
    ASSERT_TRUE(std::getline(Lines, Line));
    EXPECT_EQ(Line.rfind("quillmark-tag: " + Files[Position] + ": saved: ", 0), 0) << Line;
    // The first file is saved again through its link.
    EXPECT_EQ(Shown(Files[Position])["title"], Position > 0 && Position < 10 ? "First" : "Grouped");
  }
}

// Files whose pictures pass the group's budget are saved before the next
// file joins them: a group never holds more pictures than that in memory.
TEST_F(CollectionCommands, AGroupWhosePicturesPassTheBudgetIsSavedBeforeItGrows)
{
  WriteFileBytes(FDir.File("poster.jpg"), MakeJpeg(480, 480, 200000));
  std::vector<std::string> Files = {MakeFile("a.wmv"), MakeFile("b.wmv"), MakeFile("c.wmv")};
  ASSERT_EQ(RunTool({"set", "--poster", Path("poster.jpg"), Files[0], Files[1], Files[2]}).Status, 0);
  std::ostringstream Err;
  Quillmark::TSetBatch Batch(Files.size(), false, Err, 300000);
  for (std::size_t Position = 0; Position < Files.size(); ++Position) {
    ASSERT_TRUE(Batch.MakeRoom(Files[Position]));
    if (Position == 2) {
      // Two posters pass the budget: the first two files are saved by now
      // (and let go, so that they can be read).
      EXPECT_EQ(Shown(Files[0])["title"], "New");
      EXPECT_EQ(Shown(Files[1])["title"], "New");
    }
    Quillmark::TOpenedCatalogue Opened;
    ASSERT_EQ(Quillmark::OpenCatalogue(Files[Position], Quillmark::TOpenAccess::ReadWrite, Opened), "");
    Opened.Values.Title = u"New";
    Opened.Values.Changed.Mark(Quillmark::TAttribute::Title);
    std::vector<std::string> Messages;
    ASSERT_TRUE(Quillmark::WriteValues(Opened, Messages));
    Batch.Add(Position, Files[Position], std::move(Opened));
  }
  ASSERT_TRUE(Batch.Save());
  for (const std::string& File : Files) {
    EXPECT_EQ(Shown(File)["title"], "New");
    EXPECT_EQ(Shown(File)["poster"]["width"], 480);
  }
  EXPECT_EQ(Err.str(), "");
}

} // namespace
} // namespace QuillmarkTest
