// Detection and pictures on small videos made by ffmpeg for each layout.
#include "video/VideoLook.h"
#include "common/SyntheticVideo.h"
#include "common/TestFiles.h"
#include "metadata/Catalogue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

struct TSceneCase {
  const char* Name;
  TScene Scene;
  const char16_t* Key; // expected layout key
  bool HalfWidth;
  bool HalfHeight;
};

const TScene Mono{TSceneLayout::Mono};
TScene Of(TSceneLayout Layout, bool Half, double Intro = 0)
{
  TScene Scene;
  Scene.Layout = Layout;
  Scene.Half = Half;
  Scene.IntroSeconds = Intro;
  return Scene;
}

const std::vector<TSceneCase> SceneCases = {
    {"Mono", Mono, u"Mono", false, false},
    {"SideBySideLeftFull", Of(TSceneLayout::SideBySideLF, false), u"SideBySideLF", false, false},
    {"SideBySideLeftHalf", Of(TSceneLayout::SideBySideLF, true), u"SideBySideLF", true, false},
    {"SideBySideRightFull", Of(TSceneLayout::SideBySideRF, false), u"SideBySideRF", false, false},
    {"SideBySideRightHalf", Of(TSceneLayout::SideBySideRF, true), u"SideBySideRF", true, false},
    {"OverUnderLeftFull", Of(TSceneLayout::OverUnderLT, false), u"OverUnderLT", false, false},
    {"OverUnderLeftHalf", Of(TSceneLayout::OverUnderLT, true), u"OverUnderLT", false, true},
    {"OverUnderRightFull", Of(TSceneLayout::OverUnderRT, false), u"OverUnderRT", false, false},
    {"OverUnderRightHalf", Of(TSceneLayout::OverUnderRT, true), u"OverUnderRT", false, true},
    {"SideBySideAfterIntro", Of(TSceneLayout::SideBySideLF, false, 3), u"SideBySideLF", false, false},
    {"OverUnderAfterIntro", Of(TSceneLayout::OverUnderRT, true, 3), u"OverUnderRT", false, true},
};

// The videos are made once for the whole program: ffmpeg takes a moment.
class TVideos : public testing::Test {
protected:
  static void SetUpTestSuite() { Folder = new TTempDir(); }
  static void TearDownTestSuite()
  {
    delete Folder;
    Folder = nullptr;
    Made.clear();
  }

  static std::string VideoOf(const std::string& Name, const TScene& Scene)
  {
    auto Found = Made.find(Name);
    if (Found != Made.end()) {
      return Found->second;
    }
    const std::string Path = Folder->File(Name + ".wmv").string();
    EXPECT_TRUE(MakeSceneVideo(Scene, Path)) << Name;
    Made[Name] = Path;
    return Path;
  }

  static inline TTempDir* Folder = nullptr;
  static inline std::map<std::string, std::string> Made;
};

TCatalogueValues StereoValues(const char16_t* Key, bool HalfWidth, bool HalfHeight)
{
  TCatalogueValues Values;
  Values.Stereo = true;
  Values.LayoutIndex = LayoutIndexOfKey(Key);
  Values.HalfWidth = HalfWidth;
  Values.HalfHeight = HalfHeight;
  return Values;
}

// Mean absolute difference of two decoded pictures of one size.
double Difference(const TJpegImage& A, const TJpegImage& B)
{
  const auto& P = A.Pixels();
  const auto& Q = B.Pixels();
  if (P.size() != Q.size() || P.empty()) {
    return 255;
  }
  double Sum = 0;
  for (std::size_t Index = 0; Index < P.size(); ++Index) {
    Sum += std::abs(int(P[Index]) - int(Q[Index]));
  }
  return Sum / static_cast<double>(P.size());
}

} // namespace

TEST_F(TVideos, DetectsLayoutEyeOrderAndHalves)
{
  for (const TSceneCase& Case : SceneCases) {
    SCOPED_TRACE(Case.Name);
    const TLayoutGuess Guess = DetectLayout(VideoOf(Case.Name, Case.Scene), 0);
    EXPECT_EQ(Guess.LayoutIndex, LayoutIndexOfKey(Case.Key)) << DescribeLayout(Guess);
    EXPECT_EQ(Guess.HalfWidth, Case.HalfWidth);
    EXPECT_EQ(Guess.HalfHeight, Case.HalfHeight);
    EXPECT_TRUE(Guess.Sure()) << Guess.Confidence;
    EXPECT_LE(Guess.Confidence, 1.0);
  }
}

TEST_F(TVideos, StatedIntroIsSkipped)
{
  const TSceneCase& Case = SceneCases[9];
  const TLayoutGuess Unstated = DetectLayout(VideoOf(Case.Name, Case.Scene), 0);
  const TLayoutGuess Stated = DetectLayout(VideoOf(Case.Name, Case.Scene), Case.Scene.IntroSeconds);
  EXPECT_EQ(Stated.LayoutIndex, LayoutIndexOfKey(Case.Key));
  EXPECT_TRUE(Stated.Sure());
  // Every sample after a stated intro is stereo: no less sure than guessing.
  EXPECT_GE(Stated.Confidence, Unstated.Confidence);
}

TEST_F(TVideos, PicturesMeetTheRulesInEveryLayout)
{
  for (const TSceneCase& Case : SceneCases) {
    SCOPED_TRACE(Case.Name);
    const std::string Path = VideoOf(Case.Name, Case.Scene);
    TCatalogueValues Values = StereoValues(Case.Key, Case.HalfWidth, Case.HalfHeight);
    if (Case.Scene.IntroSeconds > 0) {
      Values.Duration = u"3";
    }
    const TVideoPicture Preview = MakeVideoPicture(Path, TPictureKind::Preview, std::nullopt, Values, u'.');
    ASSERT_TRUE(Preview.Picture);
    EXPECT_EQ(Preview.Picture->Width(), 160);
    EXPECT_EQ(Preview.Picture->Height(), 120);
    EXPECT_LE(Preview.Picture->Bytes().size(), 10240u);
    // A third into the part after the intro, to the key frame before it.
    const double Expected =
        DefaultPictureTime(Case.Scene.IntroSeconds + Case.Scene.Seconds, Case.Scene.IntroSeconds);
    EXPECT_NEAR(Preview.Seconds, Expected, 1.01);
    const TVideoPicture Poster = MakeVideoPicture(Path, TPictureKind::Poster, std::nullopt, Values, u'.');
    ASSERT_TRUE(Poster.Picture);
    // Every view is 4:3: the shorter side is the minimum, the other follows.
    EXPECT_EQ(Poster.Picture->Height(), 480);
    EXPECT_EQ(Poster.Picture->Width(), 640);
  }
}

TEST_F(TVideos, PicturesShowTheLeftView)
{
  // The same scene in each layout: the left eye's view is the same picture
  // wherever it sits in the frame, and unlike the right eye's.
  const std::string Time = "2";
  std::vector<std::shared_ptr<const TJpegImage>> Posters;
  for (int Index : {0, 1, 3, 5, 7}) {
    const TSceneCase& Case = SceneCases[static_cast<std::size_t>(Index)];
    SCOPED_TRACE(Case.Name);
    const TCatalogueValues Values = Index == 0 ? TCatalogueValues{} : StereoValues(Case.Key, false, false);
    Posters.push_back(
        MakeVideoPicture(VideoOf(Case.Name, Case.Scene), TPictureKind::Poster, 2.0, Values, u'.').Picture);
  }
  for (std::size_t Index = 1; Index < Posters.size(); ++Index) {
    EXPECT_LT(Difference(*Posters[0], *Posters[Index]), 8.0) << Index;
  }
  // The right view of the first video differs from its left one.
  const TSceneCase& LeftFirst = SceneCases[1];
  const auto Right = MakeVideoPicture(VideoOf(LeftFirst.Name, LeftFirst.Scene), TPictureKind::Poster, 2.0,
                                      StereoValues(u"SideBySideRF", false, false), u'.');
  EXPECT_GT(Difference(*Posters[0], *Right.Picture), 8.0);
}

TEST_F(TVideos, WideViewGetsBlackBarsAndAWidePoster)
{
  TScene Wide = Of(TSceneLayout::SideBySideLF, true);
  Wide.ViewWidth = 320;
  Wide.ViewHeight = 180;
  const std::string Path = VideoOf("Wide", Wide);
  EXPECT_EQ(DetectLayout(Path, 0).HalfWidth, true);
  const TCatalogueValues Values = StereoValues(u"SideBySideLF", true, false);
  const auto Preview = MakeVideoPicture(Path, TPictureKind::Preview, 1.0, Values, u'.').Picture;
  // 16:9 in 160 x 120: 90 rows of picture between bars of 15.
  const auto& Pixels = Preview->Pixels();
  ASSERT_EQ(Pixels.size(), 160u * 120u * 3u);
  const auto RowLevel = [&Pixels](int Row) {
    int Sum = 0;
    for (int X = 0; X < 160 * 3; ++X) {
      Sum += Pixels[static_cast<std::size_t>(Row * 160 * 3 + X)];
    }
    return Sum / (160 * 3);
  };
  EXPECT_LT(RowLevel(5), 8);
  EXPECT_LT(RowLevel(114), 8);
  EXPECT_GT(RowLevel(60), 40);
  const auto Poster = MakeVideoPicture(Path, TPictureKind::Poster, 1.0, Values, u'.').Picture;
  EXPECT_EQ(Poster->Height(), 480);
  EXPECT_EQ(Poster->Width(), 854);
}

TEST_F(TVideos, ChosenTimeAndFlatFrames)
{
  TScene Dark = Mono;
  Dark.Seconds = 6;
  Dark.BlackSeconds = 3;
  const std::string Path = VideoOf("Dark", Dark);
  // A third in is black: the picture comes from later, where there is detail.
  const TVideoPicture Default = MakeVideoPicture(Path, TPictureKind::Preview, std::nullopt, {}, u'.');
  EXPECT_GE(Default.Seconds, 3.0);
  const TVideoPicture Chosen = MakeVideoPicture(Path, TPictureKind::Preview, 4.55, {}, u'.');
  EXPECT_NEAR(Chosen.Seconds, 4.5, 0.11);
}

TEST_F(TVideos, LooksWithoutWritingAndCanBeCancelled)
{
  const std::string Path = VideoOf(SceneCases[1].Name, SceneCases[1].Scene);
  const auto Before = ReadFileBytes(Path);
  DetectLayout(Path, 0);
  MakeVideoPicture(Path, TPictureKind::Poster, std::nullopt, {}, u'.');
  EXPECT_EQ(ReadFileBytes(Path), Before);
  const std::atomic<bool> Cancel{true};
  EXPECT_THROW(DetectLayout(Path, 0, &Cancel), EVideoCancelled);
}

TEST(VideoFile, BadFilesAreReportedNotCrashed)
{
  TTempDir Folder;
  WriteFileBytes(Folder.File("empty.wmv"), {});
  WriteFileBytes(Folder.File("text.wmv"), {'n', 'o', 't', ' ', 'a', ' ', 'v', 'i', 'd', 'e', 'o'});
  std::vector<std::uint8_t> Header(4096, 0);
  const std::uint8_t AsfGuid[] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                  0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
  std::copy(std::begin(AsfGuid), std::end(AsfGuid), Header.begin());
  WriteFileBytes(Folder.File("header.wmv"), Header);
  for (const char* Name : {"empty.wmv", "text.wmv", "header.wmv", "missing.wmv", "http:evil.wmv"}) {
    SCOPED_TRACE(Name);
    EXPECT_THROW(DetectLayout(Folder.File(Name).string(), 0), EVideo);
    EXPECT_THROW(MakeVideoPicture(Folder.File(Name).string(), TPictureKind::Preview, 1.0, {}, u'.'), EVideo);
  }
}

TEST(LayoutJudgement, HalvesFollowTheFrameShape)
{
  struct TCase {
    TSplit Split;
    double Aspect;
    bool Squeezed;
  };
  const TCase Cases[] = {
      {TSplit::SideBySide, 16.0 / 9.0, true}, {TSplit::SideBySide, 32.0 / 9.0, false},
      {TSplit::SideBySide, 4.0 / 3.0, true},  {TSplit::SideBySide, 8.0 / 3.0, false},
      {TSplit::SideBySide, 2.39, true},       {TSplit::SideBySide, 3.7, false},
      {TSplit::OverUnder, 16.0 / 9.0, true},  {TSplit::OverUnder, 8.0 / 9.0, false},
      {TSplit::OverUnder, 1.85, true},        {TSplit::OverUnder, 2.0 / 3.0, false},
  };
  for (const TCase& Case : Cases) {
    EXPECT_EQ(HalvesSqueezed(Case.Split, Case.Aspect), Case.Squeezed) << Case.Aspect;
  }
}

TEST(LayoutJudgement, WeakOrMixedVotesAreNotSure)
{
  TFrameVotes Plain; // no detail at all: a black video
  EXPECT_FALSE(JudgeLayout({Plain, Plain}, 16.0 / 9.0).Sure());
  TFrameVotes Split;
  Split.Splits[0] = {100, 90, 40, 38}; // halves match, but no eye order wins
  EXPECT_FALSE(JudgeLayout({Split}, 16.0 / 9.0).Sure());
  TFrameVotes Both;
  Both.Splits[0] = {100, 80, 70, 5};
  Both.Splits[1] = {100, 75, 70, 5}; // both splits match: no layout wins
  EXPECT_FALSE(JudgeLayout({Both}, 16.0 / 9.0).Sure());
  TFrameVotes Clear;
  Clear.Splits[0] = {100, 90, 70, 5};
  Clear.Splits[1] = {100, 5, 0, 0};
  const TLayoutGuess Guess = JudgeLayout({Clear}, 16.0 / 9.0);
  EXPECT_TRUE(Guess.Sure());
  EXPECT_EQ(Guess.LayoutIndex, LayoutIndexOfKey(u"SideBySideLF"));
}
