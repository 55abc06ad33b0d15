// quillmark-tag on Matroska and WebM files made by ffmpeg: found in folders
// beside ASF files, told apart by their first bytes, shown with the keys of
// ASF files, set in place; options for values they do not hold refused
// before any file is touched.
#include "common/SyntheticVideo.h"
#include "common/TestFiles.h"
#include "tag/ToolRun.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace QuillmarkTest {

namespace {

namespace fs = std::filesystem;

bool MakeVideo(const fs::path& Path, const char* Codec = "mpeg4")
{
  return RunCommand(
             std::string("ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=320x180:rate=10 -t 0.5 ") +
             "-c:v " + Codec + " -f " + (Path.extension() == ".webm" ? "webm" : "matroska") + " '" +
             Path.string() + "' >/dev/null 2>&1") == 0;
}

class MatroskaCommands : public ::testing::Test {
protected:
  void SetUp() override
  {
    if (RunCommand("command -v ffmpeg >/dev/null") != 0) {
      GTEST_SKIP() << "ffmpeg missing";
    }
    ASSERT_TRUE(MakeVideo(FDir.File("a.mkv")));
    ASSERT_TRUE(MakeVideo(FDir.File("b.webm"), "libvpx"));
  }
  std::string Path(const char* Name) const { return FDir.File(Name).string(); }
  TTempDir FDir;
};

TEST_F(MatroskaCommands, SetValuesShowWithTheKeysOfAsfFiles)
{
  const TRun Set = RunTool(
      {"set", "--layout", "OverUnderRT", "--half-height", "--title", "Trip", Path("a.mkv"), Path("b.webm")});
  ASSERT_EQ(Set.Status, 0) << Set.Err;
  const TRun Show = RunTool({"show", "--json", FDir.Path().string()});
  ASSERT_EQ(Show.Status, 0) << Show.Err;
  const nlohmann::json Files = nlohmann::json::parse(Show.Out);
  ASSERT_EQ(Files.size(), 2U);
  for (const nlohmann::json& File : Files) {
    EXPECT_EQ(File["stereo"], true);
    EXPECT_EQ(File["layout"], "OverUnderRT");
    EXPECT_EQ(File["halfHeight"], true);
    EXPECT_FALSE(File.contains("halfWidth"));
    EXPECT_EQ(File["title"], "Trip");
  }
  // Untick: no stereo mode is left, the title stays.
  ASSERT_EQ(RunTool({"set", "--no-stereo", Path("a.mkv")}).Status, 0);
  const nlohmann::json After = nlohmann::json::parse(RunTool({"show", "--json", Path("a.mkv")}).Out);
  EXPECT_FALSE(After[0].contains("stereo"));
  EXPECT_FALSE(After[0].contains("layout"));
  EXPECT_EQ(After[0]["title"], "Trip");
}

TEST_F(MatroskaCommands, ContainerIsToldByItsFirstBytesNotItsName)
{
  fs::rename(FDir.File("a.mkv"), FDir.File("named.wmv"));
  const TRun Show = RunTool({"show", Path("named.wmv")});
  EXPECT_EQ(Show.Status, 0) << Show.Err;
  EXPECT_NE(Show.Out.find("Stereoscopic:"), std::string::npos);
  EXPECT_EQ(Show.Out.find("Poster"), std::string::npos);
  const TRun Dump = RunTool({"dump", Path("named.wmv")});
  EXPECT_NE(Dump.Out.find("Tracks"), std::string::npos) << Dump.Out;
}

TEST_F(MatroskaCommands, OptionsForValuesMatroskaLacksTouchNothing)
{
  const std::vector<std::uint8_t> Before = ReadFileBytes(FDir.File("a.mkv"));
  for (const std::vector<std::string>& Options : {std::vector<std::string>{"--author", "Me"},
                                                  {"--parallax", "3"},
                                                  {"--no-poster"},
                                                  {"--disc-name", "D"}}) {
    std::vector<std::string> Arguments{"set", "--title", "T"};
    Arguments.insert(Arguments.end(), Options.begin(), Options.end());
    Arguments.push_back(Path("a.mkv"));
    const TRun Run = RunTool(Arguments);
    EXPECT_EQ(Run.Status, 2);
    EXPECT_NE(Run.Err.find(Options.front()), std::string::npos) << Run.Err;
    EXPECT_NE(Run.Err.find("Matroska"), std::string::npos) << Run.Err;
  }
  EXPECT_EQ(ReadFileBytes(FDir.File("a.mkv")), Before);
}

TEST_F(MatroskaCommands, RefusalsAndDryRunsLeaveTheFile)
{
  const std::vector<std::uint8_t> Before = ReadFileBytes(FDir.File("a.mkv"));
  const TRun Dual = RunTool({"set", "--layout", "DualStream", Path("a.mkv")});
  EXPECT_EQ(Dual.Status, 1);
  EXPECT_NE(Dual.Err.find("cannot hold the layout DualStream"), std::string::npos) << Dual.Err;
  const TRun Bare = RunTool({"set", "--stereo", Path("a.mkv")});
  EXPECT_NE(Bare.Err.find("give --layout"), std::string::npos) << Bare.Err;
  const TRun Dry = RunTool({"set", "--dry-run", "--layout", "SideBySideRF", Path("a.mkv")});
  EXPECT_EQ(Dry.Status, 0);
  EXPECT_NE(Dry.Out.find("Layout: (empty) -> SideBySideRF"), std::string::npos) << Dry.Out;
  EXPECT_EQ(ReadFileBytes(FDir.File("a.mkv")), Before);
}

TEST_F(MatroskaCommands, LayoutComesFromTheNamesOfACollection)
{
  fs::rename(FDir.File("a.mkv"), FDir.File("Trip.HSBS.mkv"));
  fs::rename(FDir.File("b.webm"), FDir.File("Walk Full-OU.webm"));
  const TRun Set = RunTool({"set", "--layout-from-name", FDir.Path().string()});
  ASSERT_EQ(Set.Status, 0) << Set.Err;
  const nlohmann::json Files = nlohmann::json::parse(RunTool({"show", "--json", FDir.Path().string()}).Out);
  ASSERT_EQ(Files.size(), 2U);
  EXPECT_EQ(Files[0]["layout"], "SideBySideLF");
  EXPECT_EQ(Files[0]["halfWidth"], true);
  EXPECT_EQ(Files[1]["layout"], "OverUnderLT");
  EXPECT_FALSE(Files[1].contains("halfHeight"));
}

TEST_F(MatroskaCommands, DetectedLayoutIsStoredFromTheOpenFile)
{
  TScene Scene;
  Scene.Layout = TSceneLayout::SideBySideRF;
  Scene.Seconds = 3;
  ASSERT_TRUE(MakeSceneVideo(Scene, FDir.File("scene.wmv")));
  ASSERT_EQ(RunCommand("ffmpeg -nostdin -v error -i '" + Path("scene.wmv") + "' -c copy '" +
                       Path("scene.mkv") + "'"),
            0);
  const TRun Set = RunTool({"set", "--detect-layout", Path("scene.mkv")});
  ASSERT_EQ(Set.Status, 0) << Set.Err;
  EXPECT_NE(Set.Out.find("detected SideBySideRF"), std::string::npos) << Set.Out;
  const nlohmann::json Shown = nlohmann::json::parse(RunTool({"show", "--json", Path("scene.mkv")}).Out);
  EXPECT_EQ(Shown[0]["layout"], "SideBySideRF");
  EXPECT_FALSE(Shown[0].contains("halfWidth"));
}

// Each save of a group says how it was written: Info moved to the end for a
// title its room cannot take, then in place; a file named twice is saved
// before it is opened again, and then holds the values.
TEST_F(MatroskaCommands, EachSaveSaysHowItWasWritten)
{
  const std::string Long(3000, 'L');
  const TRun Moved =
      RunTool({"set", "-v", "--json", "--title", Long, Path("a.mkv"), Path("b.webm"), Path("a.mkv")});
  ASSERT_EQ(Moved.Status, 0) << Moved.Err;
  const nlohmann::json Report = nlohmann::json::parse(Moved.Out);
  ASSERT_EQ(Report.size(), 3U);
  EXPECT_EQ(Report[0]["way"], "moved to the end of the file");
  EXPECT_EQ(Report[1]["way"], "moved to the end of the file");
  EXPECT_TRUE(Report[2]["way"].is_null());
  EXPECT_NE(Moved.Err.find("b.webm: saved: moved to the end of the file"), std::string::npos) << Moved.Err;
  EXPECT_NE(Moved.Err.find("a.mkv: saved: the file held these values already"), std::string::npos);
  const TRun InPlace = RunTool({"set", "-v", "--title", "Short", Path("a.mkv")});
  ASSERT_EQ(InPlace.Status, 0) << InPlace.Err;
  EXPECT_NE(InPlace.Err.find("a.mkv: saved: in place"), std::string::npos) << InPlace.Err;
}

} // namespace

} // namespace QuillmarkTest
