// The cheap ways of reading a frame give what the full ones would: the luma
// read straight at the comparison's size, and parts scaled in place.
#include "common/SyntheticVideo.h"
#include "common/TestFiles.h"
#include "video/LayoutDetection.h"
#include "video/VideoLook.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

double MeanDifference(const TGrayImage& A, const TGrayImage& B)
{
  double Sum = 0;
  for (std::size_t Index = 0; Index < A.Pixels.size(); ++Index) {
    Sum += std::abs(int(A.Pixels[Index]) - int(B.Pixels[Index]));
  }
  return Sum / static_cast<double>(A.Pixels.size());
}

TRgbImage Quarters()
{
  // Red, green / blue, white quarters of 8 x 6.
  TRgbImage Image{8, 6, std::vector<std::uint8_t>(8 * 6 * 3)};
  for (int Y = 0; Y < 6; ++Y) {
    for (int X = 0; X < 8; ++X) {
      std::uint8_t* Pixel = Image.Pixels.data() + (Y * 8 + X) * 3;
      const int Quarter = (Y >= 3 ? 2 : 0) + (X >= 4 ? 1 : 0);
      Pixel[0] = Quarter == 0 || Quarter == 3 ? 255 : 0;
      Pixel[1] = Quarter == 1 || Quarter == 3 ? 255 : 0;
      Pixel[2] = Quarter >= 2 ? 255 : 0;
    }
  }
  return Image;
}

} // namespace

// The luma in full range and at the size the colour frame would have been
// shrunk to: the comparison's thresholds were set on that.
TEST(VideoFrames, LumaMatchesTheColourFramesLuma)
{
  TTempDir Folder;
  struct TCase {
    int ViewWidth;
    int MaxWidth;
    int MaxHeight;
  };
  for (const TCase& Case : {TCase{256, 0, 0}, TCase{256, 300, 200}, TCase{640, 320, 400}}) {
    SCOPED_TRACE(Case.MaxWidth);
    TScene Scene;
    Scene.ViewWidth = Case.ViewWidth;
    Scene.ViewHeight = Case.ViewWidth * 3 / 4;
    const auto Path = Folder.File("luma" + std::to_string(Case.ViewWidth) + ".wmv");
    ASSERT_TRUE(MakeSceneVideo(Scene, Path));
    TVideoFile Video(Path.string());
    const TVideoFrame Colour = Video.FrameAt(2.0, false, Case.MaxWidth, Case.MaxHeight);
    const TGrayFrame Luma = Video.LumaAt(2.0, false, Case.MaxWidth, Case.MaxHeight);
    const TGrayImage Expected = AnalysisImage(Colour.Image);
    ASSERT_EQ(Luma.Image.Width, Colour.Image.Width);
    ASSERT_EQ(Luma.Image.Height, Colour.Image.Height);
    EXPECT_EQ(Luma.Seconds, Colour.Seconds);
    EXPECT_LT(MeanDifference(Luma.Image, Expected), 2.0);
  }
}

TEST(VideoFrames, PartsAreScaledInPlaceAndCheckedFirst)
{
  const TRgbImage Image = Quarters();
  const TRgbImage Green = ScaleImagePart(Image, {4, 0, 4, 3}, 2, 2);
  for (std::size_t Index = 0; Index < Green.Pixels.size(); Index += 3) {
    EXPECT_LE(Green.Pixels[Index], 2);
    EXPECT_GE(Green.Pixels[Index + 1], 253);
  }
  const TRgbImage Bottom = ScaleImagePart(Image, {0, 3, 8, 3}, 4, 2);
  EXPECT_GE(Bottom.Pixels[2], 253); // blue on the left
  EXPECT_GE(Bottom.Pixels[Bottom.Pixels.size() - 2], 253);
  for (const TImagePart Part : {TImagePart{-1, 0, 4, 3}, TImagePart{5, 0, 4, 3}, TImagePart{0, 4, 8, 3},
                                TImagePart{0, 0, 0, 3}, TImagePart{2147483647, 0, 4, 3}}) {
    EXPECT_THROW(ScaleImagePart(Image, Part, 2, 2), EVideo);
  }
  TRgbImage Short = Image;
  Short.Pixels.resize(Short.Pixels.size() / 2);
  EXPECT_THROW(ScaleImagePart(Short, {0, 0, 8, 6}, 2, 2), EVideo);
}

TEST(VideoFrames, FramesBeyond4KAreSampledLess)
{
  EXPECT_EQ(DetectionSampleCount(1920, 1080), DetectionSamples);
  EXPECT_EQ(DetectionSampleCount(4096, 2160), DetectionSamples);
  EXPECT_EQ(DetectionSampleCount(7680, 4320), LargeFrameSamples);
  EXPECT_LT(LargeFrameSamples, DetectionSamples);
}
