// Detection and pictures on small videos made by ffmpeg for each layout.
#include "video/VideoLook.h"
#include "catalogue/Catalogue.h"
#include "common/SyntheticVideo.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
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
    const TLayoutGuess Right{LayoutIndexOfKey(Case.Key), Case.HalfWidth, Case.HalfHeight};
    EXPECT_EQ(DescribeFamily(Guess), DescribeFamily(Right));
    EXPECT_TRUE(Guess.LayoutSure()) << Guess.LayoutConfidence;
    // Views squeezed to 128 pixels show too little of the edges between
    // depths to tell the eyes apart; the rest must be sure, and right.
    EXPECT_TRUE(Case.HalfWidth || Guess.Sure()) << Guess.Confidence;
    if (Guess.Sure()) {
      EXPECT_EQ(Guess.LayoutIndex, Right.LayoutIndex) << DescribeLayout(Guess);
    }
    EXPECT_LE(Guess.Confidence, 1.0);
  }
}

// Where the first round of samples settles detection, the answer is the one
// all the samples give.
TEST_F(TVideos, FirstRoundAnswersAsAllSamplesDo)
{
  // 2D, full views side by side, half views over/under, and after an intro.
  for (const std::size_t Index : std::initializer_list<std::size_t>{0, 1, 8, 9}) {
    const TSceneCase& Case = SceneCases.at(Index);
    SCOPED_TRACE(Case.Name);
    const std::string Path = VideoOf(Case.Name, Case.Scene);
    const TLayoutGuess All = DetectLayout(Path, 0);
    TVideoFile Video(Path);
    const TLayoutGuess Early = DetectLayout(Video, 0, TEarlyAnswer::Always);
    EXPECT_EQ(DescribeLayout(Early), DescribeLayout(All));
    EXPECT_EQ(Early.Sure(), All.Sure());
    EXPECT_EQ(Early.LayoutSure(), All.LayoutSure());
  }
}

// Footage that fooled detection: whatever the guess, it is never sure when
// wrong, and the family is found where the frames show it.
TEST_F(TVideos, SureOnlyWhenRight)
{
  struct TCase {
    const char* Name;
    TScene Scene;
    const char16_t* Key;
    bool LayoutSure; // the family and halves must be found sure
  };
  TScene Pattern = Mono;
  Pattern.TestPattern = true;
  Pattern.ViewWidth = 360;
  Pattern.ViewHeight = 288;
  TScene InFront = Of(TSceneLayout::SideBySideRF, false);
  InFront.BackgroundDisparity = 4;
  InFront.CardDisparity = 14;
  TScene Misaligned = Of(TSceneLayout::OverUnderLT, false);
  Misaligned.Misaligned = true;
  TScene Slanted = Of(TSceneLayout::SideBySideLF, true);
  Slanted.Slanted = true;
  const TCase Cases[] = {
      {"TestPattern", Pattern, u"Mono", false},
      {"InFront", InFront, u"SideBySideRF", true},
      {"Misaligned", Misaligned, u"OverUnderLT", true},
      {"Slanted", Slanted, u"SideBySideLF", true},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    const TLayoutGuess Guess = DetectLayout(VideoOf(Case.Name, Case.Scene), 0);
    const TLayoutGuess Right{LayoutIndexOfKey(Case.Key)};
    if (Guess.Sure()) {
      EXPECT_EQ(Guess.LayoutIndex, Right.LayoutIndex) << DescribeLayout(Guess);
    }
    if (Guess.LayoutSure()) {
      EXPECT_EQ(DescribeFamily(Guess),
                DescribeFamily({Right.LayoutIndex, Guess.HalfWidth, Guess.HalfHeight}));
    }
    EXPECT_TRUE(!Case.LayoutSure || Guess.LayoutSure())
        << DescribeLayout(Guess) << " " << Guess.LayoutConfidence;
  }
  // One surface, no edges: nothing in the frames tells the eyes apart.
  const TLayoutGuess Slant = DetectLayout(VideoOf("Slanted", Slanted), 0);
  EXPECT_FALSE(Slant.EyeOrderSure()) << Slant.EyeOrderConfidence;
  EXPECT_TRUE(Slant.HalfWidth);
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

// Votes of one frame: side by side, then over/under. Each is {textured,
// matched, unmatched, level, positive, negative, first left, first right}.
TFrameVotes Votes(TSplitVotes SideBySide, TSplitVotes OverUnder)
{
  TFrameVotes Frame;
  Frame.Splits[0] = SideBySide;
  Frame.Splits[1] = OverUnder;
  return Frame;
}

const TSplitVotes NoMatch{900, 8, 600, 4, 3, 3, 0, 0};

struct TJudgeCase {
  const char* Name;
  std::vector<TFrameVotes> Frames;
  const char16_t* Key; // the guess's key; nullptr: any
  bool Sure;
  bool LayoutSure;
  bool EyeOrderSure; // 2D has no eye order to doubt
};

TEST(LayoutJudgement, VotePatterns)
{
  const TSplitVotes Stereo{900, 700, 60, 500, 400, 300, 20, 1};
  const std::vector<TJudgeCase> Cases = {
      {"hidden strips tell the eyes", {Votes(Stereo, NoMatch)}, u"SideBySideLF", true, true, true},
      {"over/under, right view on top",
       {Votes(NoMatch, {900, 700, 60, 500, 300, 400, 1, 20})},
       u"OverUnderRT",
       true,
       true,
       true},
      {"a parallel rig: every shift one way, the strips the other",
       {Votes({900, 700, 60, 500, 0, 700, 18, 1}, NoMatch)},
       u"SideBySideLF",
       true,
       true,
       true},
      {"the sign of the shifts alone is an assumption",
       {Votes({900, 700, 60, 500, 0, 700, 0, 0}, NoMatch)},
       nullptr,
       false,
       true,
       false},
      {"hundreds of matches, one or two eye votes",
       {Votes({900, 300, 20, 200, 2, 0, 1, 0}, NoMatch)},
       nullptr,
       false,
       true,
       false},
      {"hidden strips split evenly",
       {Votes({900, 700, 60, 500, 400, 300, 10, 9}, NoMatch)},
       nullptr,
       false,
       true,
       false},
      {"the screen plane mid-scene: shifts split, strips clear",
       {Votes({900, 700, 60, 500, 310, 290, 25, 2}, NoMatch)},
       u"SideBySideLF",
       true,
       true,
       true},
      {"informing blocks that match nowhere", {Votes(NoMatch, NoMatch)}, u"Mono", true, true, true},
      {"detailed blocks too fine to inform are no proof of 2D",
       {Votes({900, 0, 6, 0, 0, 0, 0, 0}, {900, 0, 6, 0, 0, 0, 0, 0})},
       nullptr,
       false,
       false,
       true},
      {"2D needs both splits to inform",
       {Votes(NoMatch, {900, 0, 12, 0, 0, 0, 0, 0})},
       nullptr,
       false,
       false,
       true},
      {"both splits match",
       {Votes(Stereo, {900, 650, 80, 450, 300, 300, 15, 2})},
       nullptr,
       false,
       false,
       true},
      {"the same clip twice: one disparity everywhere",
       {Votes({900, 800, 20, 800, 0, 0, 0, 0}, NoMatch)},
       nullptr,
       false,
       false,
       false},
      {"half the blocks match",
       {Votes({900, 300, 300, 200, 150, 50, 20, 1}, NoMatch)},
       nullptr,
       false,
       false,
       true},
      {"a handful of blocks",
       {Votes({30, 25, 2, 15, 10, 5, 3, 0}, {30, 0, 20, 0, 0, 0, 0, 0})},
       nullptr,
       false,
       false,
       false},
      {"a black video", {Votes({}, {}), Votes({}, {})}, nullptr, false, false, true},
      {"a 2D intro before the stereo part",
       {Votes(NoMatch, NoMatch), Votes(NoMatch, NoMatch), Votes(Stereo, NoMatch), Votes(Stereo, NoMatch),
        Votes(Stereo, NoMatch)},
       u"SideBySideLF",
       true,
       true,
       true},
  };
  for (const TJudgeCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    const TLayoutGuess Guess = JudgeLayout(Case.Frames, 16.0 / 9.0);
    if (Case.Key != nullptr) {
      EXPECT_EQ(Guess.LayoutIndex, LayoutIndexOfKey(Case.Key)) << DescribeLayout(Guess);
    }
    EXPECT_EQ(Guess.Sure(), Case.Sure) << Guess.Confidence;
    EXPECT_EQ(Guess.LayoutSure(), Case.LayoutSure) << Guess.LayoutConfidence;
    EXPECT_EQ(Guess.EyeOrderSure(), Case.EyeOrderSure) << Guess.EyeOrderConfidence;
    // The whole answer is never surer than either of its parts.
    EXPECT_LE(Guess.Confidence, Guess.LayoutConfidence + 1e-9);
    EXPECT_LE(Guess.Confidence, Guess.EyeOrderConfidence + 1e-9);
    EXPECT_GE(Guess.Confidence, 0.0);
  }
}

TEST(LayoutJudgement, SqueezedHalvesFollowTheShape)
{
  const TFrameVotes Frame = Votes({900, 700, 60, 500, 400, 300, 20, 1}, NoMatch);
  EXPECT_TRUE(JudgeLayout({Frame}, 16.0 / 9.0).HalfWidth);
  EXPECT_FALSE(JudgeLayout({Frame}, 32.0 / 9.0).HalfWidth);
}

TEST(LayoutJudgement, FirstRoundSettlesOnlyCostlyAgreeingSureFrames)
{
  const TSplitVotes Stereo{900, 700, 60, 500, 400, 300, 20, 1};
  const TSplitVotes Swapped{900, 700, 60, 500, 300, 400, 1, 20};
  const TSplitVotes SignOnly{900, 700, 60, 500, 0, 700, 0, 0};
  const TSplitVotes FewEdges{900, 700, 60, 500, 0, 700, 2, 0};
  const TSplitVotes Handful{30, 25, 2, 15, 10, 5, 3, 0};
  constexpr std::size_t Costly = 15U << 20;
  constexpr std::size_t Cheap = 2U << 20;
  const auto Sample = [](double Seconds, std::size_t Bytes, TFrameVotes Votes) {
    return TDetectionSample{true, Seconds, Bytes, Votes};
  };
  struct TCase {
    const char* Name;
    std::vector<TDetectionSample> Round;
    int Width;
    TEarlyAnswer Rule;
    bool Settles;
  };
  const std::vector<TCase> Cases = {
      {"two costly frames agree, sure",
       {Sample(2, Costly, Votes(Stereo, NoMatch)), Sample(6, Costly, Votes(Stereo, NoMatch))},
       7680,
       TEarlyAnswer::WhenCostly,
       true},
      {"no edges in either: the eye order stays the same guess",
       {Sample(2, Costly, Votes(SignOnly, NoMatch)), Sample(6, Costly, Votes(SignOnly, NoMatch))},
       7680,
       TEarlyAnswer::WhenCostly,
       true},
      {"small key frames",
       {Sample(2, Cheap, Votes(Stereo, NoMatch)), Sample(6, Costly, Votes(Stereo, NoMatch))},
       7680,
       TEarlyAnswer::WhenCostly,
       false},
      {"frames of 4K UHD",
       {Sample(2, Costly, Votes(Stereo, NoMatch)), Sample(6, Costly, Votes(Stereo, NoMatch))},
       3840,
       TEarlyAnswer::WhenCostly,
       false},
      {"small frames when the rule is forced",
       {Sample(2, Cheap, Votes(Stereo, NoMatch)), Sample(6, Cheap, Votes(Stereo, NoMatch))},
       1920,
       TEarlyAnswer::Always,
       true},
      {"families disagree",
       {Sample(2, Costly, Votes(Stereo, NoMatch)), Sample(6, Costly, Votes(NoMatch, Stereo))},
       7680,
       TEarlyAnswer::WhenCostly,
       false},
      {"eye orders disagree",
       {Sample(2, Costly, Votes(Stereo, NoMatch)), Sample(6, Costly, Votes(Swapped, NoMatch))},
       7680,
       TEarlyAnswer::WhenCostly,
       false},
      {"a few edges: more frames may settle the eye order",
       {Sample(2, Costly, Votes(FewEdges, NoMatch)), Sample(6, Costly, Votes(FewEdges, NoMatch))},
       7680,
       TEarlyAnswer::WhenCostly,
       false},
      {"one frame unsure on its own",
       {Sample(2, Costly, Votes(Stereo, NoMatch)), Sample(6, Costly, Votes(Handful, NoMatch))},
       7680,
       TEarlyAnswer::WhenCostly,
       false},
      {"2D reads on: stereo may follow",
       {Sample(2, Costly, Votes(NoMatch, NoMatch)), Sample(6, Costly, Votes(NoMatch, NoMatch))},
       7680,
       TEarlyAnswer::Always,
       false},
      {"both samples landed on one key frame",
       {Sample(2, Costly, Votes(Stereo, NoMatch)), Sample(2, Costly, Votes(Stereo, NoMatch))},
       7680,
       TEarlyAnswer::WhenCostly,
       false},
      {"a sample could not be decoded",
       {Sample(2, Costly, Votes(Stereo, NoMatch)), TDetectionSample{}},
       7680,
       TEarlyAnswer::Always,
       false},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    const int Height = Case.Width * 9 / 16;
    EXPECT_EQ(FirstRoundSettles(Case.Round, Case.Width, Height, 16.0 / 9.0, Case.Rule), Case.Settles);
  }
}
