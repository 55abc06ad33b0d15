// quillmark-tag detect and the set options that look at the video, run
// in-process on small videos made by ffmpeg.
#include "common/AsfBuilder.h"
#include "common/SyntheticVideo.h"
#include "common/TestFiles.h"
#include "tag/ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace QuillmarkTest {
namespace {

using nlohmann::json;

struct TVideoCase {
  const char* Name;
  TScene Scene;
  const char* Layout;
  bool HalfWidth;
  bool HalfHeight;
};

TScene Of(TSceneLayout Layout, bool Half)
{
  TScene Scene;
  Scene.Layout = Layout;
  Scene.Half = Half;
  Scene.Seconds = 3;
  return Scene;
}

const TVideoCase Cases[] = {
    {"mono.wmv", Of(TSceneLayout::Mono, false), "Mono", false, false},
    {"sbs-rf-full.wmv", Of(TSceneLayout::SideBySideRF, false), "SideBySideRF", false, false},
    {"ou-lt-full.wmv", Of(TSceneLayout::OverUnderLT, false), "OverUnderLT", false, false},
};

class VideoCommands : public testing::Test {
protected:
  static void SetUpTestSuite()
  {
    Folder = new TTempDir();
    for (const TVideoCase& Case : Cases) {
      ASSERT_TRUE(MakeSceneVideo(Case.Scene, Folder->File(Case.Name))) << Case.Name;
    }
    TScene Black = Of(TSceneLayout::Mono, false);
    Black.BlackSeconds = Black.Seconds;
    ASSERT_TRUE(MakeSceneVideo(Black, Folder->File("black.wmv")));
    // One slanted surface: two views, with nothing to tell the eyes apart.
    TScene Slanted = Of(TSceneLayout::SideBySideLF, false);
    Slanted.Slanted = true;
    ASSERT_TRUE(MakeSceneVideo(Slanted, Folder->File("slanted.wmv")));
    TScene Pattern = Of(TSceneLayout::Mono, false);
    Pattern.TestPattern = true;
    Pattern.ViewWidth = 360;
    Pattern.ViewHeight = 288;
    ASSERT_TRUE(MakeSceneVideo(Pattern, Folder->File("pattern.wmv")));
  }
  static void TearDownTestSuite()
  {
    delete Folder;
    Folder = nullptr;
  }

  // A copy each test may change.
  std::string Copy(const std::string& Name)
  {
    const auto Target = FDir.File(Name);
    std::filesystem::copy_file(Folder->File(Name), Target);
    return Target.string();
  }

  json Shown(const std::string& File)
  {
    TRun R = RunTool({"show", "--json", File});
    EXPECT_EQ(R.Status, 0) << R.Err;
    json Parsed = json::parse(R.Out, nullptr, false);
    return Parsed.is_array() && Parsed.size() == 1 ? Parsed[0] : json();
  }

  static inline TTempDir* Folder = nullptr;
  TTempDir FDir;
};

// A folder stands for its ASF files, as for the other commands.
TEST_F(VideoCommands, DetectTakesFolders)
{
  std::filesystem::create_directories(FDir.File("deep/er"));
  std::filesystem::copy_file(Folder->File(Cases[1].Name), FDir.File("deep/er/clip.wmv"));
  TRun R = RunTool({"detect", "--json", "-r", FDir.File("deep").string()});
  EXPECT_EQ(R.Status, 0) << R.Err;
  const json Parsed = json::parse(R.Out);
  ASSERT_EQ(Parsed.size(), 1U);
  EXPECT_EQ(Parsed[0]["layout"], Cases[1].Layout);
  EXPECT_EQ(RunTool({"detect", FDir.File("deep").string()}).Status, 1);
}

TEST_F(VideoCommands, DetectPrintsLinesOrJson)
{
  std::vector<std::string> Arguments = {"detect", "--json"};
  for (const TVideoCase& Case : Cases) {
    Arguments.push_back(Folder->File(Case.Name).string());
  }
  Arguments.push_back(FDir.File("missing.wmv").string());
  TRun R = RunTool(Arguments);
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find("quillmark-tag: " + FDir.File("missing.wmv").string() + ": "), std::string::npos)
      << R.Err;
  const json Parsed = json::parse(R.Out, nullptr, false);
  ASSERT_TRUE(Parsed.is_array()) << R.Out;
  ASSERT_EQ(Parsed.size(), std::size(Cases) + 1);
  EXPECT_EQ(Parsed.back()["file"], FDir.File("missing.wmv").string());
  EXPECT_EQ(Parsed.back()["error"]["code"], "video");
  for (std::size_t Index = 0; Index < std::size(Cases); ++Index) {
    const TVideoCase& Case = Cases[Index];
    SCOPED_TRACE(Case.Name);
    const json& Object = Parsed[Index];
    EXPECT_EQ(Object["file"], Folder->File(Case.Name).string());
    EXPECT_EQ(Object["layout"], Case.Layout);
    EXPECT_EQ(Object["halfWidth"], Case.HalfWidth);
    EXPECT_EQ(Object["halfHeight"], Case.HalfHeight);
    ASSERT_TRUE(Object["confidence"].is_number());
    EXPECT_GE(Object["confidence"].get<double>(), 0.6);
    EXPECT_LE(Object["confidence"].get<double>(), 1.0);
    EXPECT_EQ(Object["sure"], true);
    EXPECT_GE(Object["layoutConfidence"].get<double>(), Object["confidence"].get<double>());
    // 2D has no eye order.
    EXPECT_EQ(Object["eyeOrderConfidence"].is_null(), std::string(Case.Layout) == "Mono");
  }
  TRun Text = RunTool({"detect", Folder->File(Cases[1].Name).string(), Folder->File("black.wmv").string()});
  EXPECT_EQ(Text.Status, 0) << Text.Err;
  EXPECT_NE(Text.Out.find("sbs-rf-full.wmv: SideBySideRF (side by side, right image first, full resolution), "
                          "confidence "),
            std::string::npos)
      << Text.Out;
  EXPECT_NE(Text.Out.find("black.wmv: Mono (2D (monoscopic)), confidence 0.00, not sure (layout 0.00)"),
            std::string::npos)
      << Text.Out;
  // A name that is not UTF-8 comes out escaped, as show --json writes it.
  const std::string Bytes = (FDir.Path() / "a").string() + "\xff.wmv";
  std::filesystem::copy_file(Folder->File(Cases[0].Name), Bytes);
  TRun Escaped = RunTool({"detect", "--json", Bytes});
  EXPECT_EQ(Escaped.Status, 0) << Escaped.Err;
  EXPECT_NE(Escaped.Out.find("a\\udcff.wmv\""), std::string::npos) << Escaped.Out;
}

TEST_F(VideoCommands, SetDetectLayoutStoresWhatItFound)
{
  for (const TVideoCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    const std::string File = Copy(Case.Name);
    TRun R = RunTool({"set", "--detect-layout", File});
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_NE(R.Out.find(": detected " + std::string(Case.Layout)), std::string::npos) << R.Out;
    const json Values = Shown(File);
    EXPECT_EQ(Values.value("stereo", false), true);
    EXPECT_EQ(Values.value("layout", ""), Case.Layout);
    EXPECT_EQ(Values.value("halfWidth", false), Case.HalfWidth);
    EXPECT_EQ(Values.value("halfHeight", false), Case.HalfHeight);
  }
}

TEST_F(VideoCommands, UnsureOrUnreadableVideoLeavesTheFileAsItWas)
{
  // A header the editor reads, with no video behind it.
  TAsfBuilder Builder;
  Builder.Add(PaddingObject(1000));
  WriteFileBytes(FDir.File("empty.wmv"), Builder.File());
  const std::string Black = Copy("black.wmv");
  const std::string Empty = FDir.File("empty.wmv").string();
  const struct {
    std::vector<std::string> Arguments;
    std::string File;
    std::string Message;
  } Runs[] = {
      {{"set", "--title", "T", "--detect-layout", Black}, Black, "could not be detected with confidence"},
      {{"set", "--preview-from-video", Empty}, Empty, "; the file was left as it was"},
      {{"set", "--poster-from-video=1", "--dry-run", Empty}, Empty, "; the file was left as it was"},
  };
  for (const auto& Run : Runs) {
    const auto Before = ReadFileBytes(Run.File);
    TRun R = RunTool(Run.Arguments);
    EXPECT_EQ(R.Status, 1);
    EXPECT_NE(R.Err.find(Run.Message), std::string::npos) << R.Err;
    EXPECT_EQ(ReadFileBytes(Run.File), Before);
  }
}

TEST_F(VideoCommands, SetMakesPicturesFromTheVideo)
{
  const std::string File = Copy(Cases[1].Name);
  TRun R = RunTool({"set", "--detect-layout", "--preview-from-video=1.5", "--poster-from-video", File});
  ASSERT_EQ(R.Status, 0) << R.Err;
  const json Values = Shown(File);
  EXPECT_EQ(Values["preview"]["width"], 160);
  EXPECT_EQ(Values["preview"]["height"], 120);
  EXPECT_LE(Values["preview"]["bytes"].get<int>(), 10240);
  // One 4:3 view, not the frame of both.
  EXPECT_EQ(Values["poster"]["width"], 640);
  EXPECT_EQ(Values["poster"]["height"], 480);
}

TEST_F(VideoCommands, UnsureEyeOrderStoresNoLayoutButMakesThePictures)
{
  const std::string File = Copy("slanted.wmv");
  TRun R = RunTool({"set", "--detect-layout", "--preview-from-video", "--poster-from-video", File});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Err.find("slanted.wmv: detected side by side, full resolution"), std::string::npos) << R.Err;
  EXPECT_NE(R.Err.find("choose it with --layout SideBySideLF or --layout SideBySideRF"), std::string::npos)
      << R.Err;
  const json Values = Shown(File);
  EXPECT_EQ(Values.value("stereo", false), false);
  EXPECT_FALSE(Values.contains("layout")) << Values.dump();
  EXPECT_EQ(Values["preview"]["width"], 160);
  // One 4:3 view, not the 8:3 frame of both.
  EXPECT_EQ(Values["poster"]["width"], 640);
  EXPECT_EQ(Values["poster"]["height"], 480);
}

TEST_F(VideoCommands, TestPatternIsNeverStoredAsStereo)
{
  const std::string File = Copy("pattern.wmv");
  const auto Before = ReadFileBytes(File);
  TRun R = RunTool({"set", "--detect-layout", "--preview-from-video", "--poster-from-video", File});
  if (R.Status == 0) {
    EXPECT_EQ(Shown(File).value("stereo", false), false);
  } else {
    EXPECT_NE(R.Err.find("could not be detected with confidence"), std::string::npos) << R.Err;
    EXPECT_EQ(ReadFileBytes(File), Before);
  }
}

TEST_F(VideoCommands, BadVideoOptionsAreUsageErrors)
{
  const std::string File = Copy(Cases[0].Name);
  const std::vector<std::vector<std::string>> Runs = {
      {"set", "--preview-from-video=soon", File},
      {"set", "--poster-from-video=-1", File},
      {"set", "--preview-from-video=nan", File},
      {"set", "--preview-from-video", "--no-preview", File},
      {"set", "--poster-from-video=2", "--poster", "x.jpg", File},
      {"detect"},
  };
  const auto Before = ReadFileBytes(File);
  for (const auto& Arguments : Runs) {
    EXPECT_EQ(RunTool(Arguments).Status, 2) << Arguments[1];
  }
  EXPECT_EQ(ReadFileBytes(File), Before);
}

} // namespace
} // namespace QuillmarkTest
