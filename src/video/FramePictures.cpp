#include "video/FramePictures.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "catalogue/Catalogue.h"
#include "metadata/TextConversion.h"
#include "video/JpegEncoder.h"

namespace Quillmark {

namespace {

enum class TPart { Whole, Left, Right, Top, Bottom };

TPart LeftEyePart(int LayoutIndex)
{
  if (!IsSplitLayout(LayoutIndex)) {
    return TPart::Whole;
  }
  const TLayoutEntry& Layout = LayoutEntry(*LayoutAt(LayoutIndex));
  if (Layout.Family == TLayoutFamily::SideBySide) {
    return Layout.LeftFirst ? TPart::Left : TPart::Right;
  }
  return Layout.LeftFirst ? TPart::Top : TPart::Bottom;
}

int Rounded(double Value)
{
  return std::max(1, static_cast<int>(std::lround(Value)));
}

double SafeAspect(double Aspect, const TImagePart& View)
{
  if (Aspect > 0 && std::isfinite(Aspect)) {
    return std::clamp(Aspect, 0.05, 20.0);
  }
  return static_cast<double>(View.Width) / static_cast<double>(View.Height);
}

} // namespace

TImagePart LeftViewPart(const TRgbImage& Frame, const TFrameLayout& Layout)
{
  const int HalfWidth = Frame.Width / 2;
  const int HalfHeight = Frame.Height / 2;
  switch (LeftEyePart(Layout.LayoutIndex)) {
  case TPart::Left:
    return {0, 0, HalfWidth, Frame.Height};
  case TPart::Right:
    return {Frame.Width - HalfWidth, 0, HalfWidth, Frame.Height};
  case TPart::Top:
    return {0, 0, Frame.Width, HalfHeight};
  case TPart::Bottom:
    return {0, Frame.Height - HalfHeight, Frame.Width, HalfHeight};
  case TPart::Whole:
    break;
  }
  return {0, 0, Frame.Width, Frame.Height};
}

double ViewAspect(double FrameAspect, const TFrameLayout& Layout)
{
  // A half-resolution view is squeezed into its half and shown stretched
  // back to the whole frame's shape; a full one keeps its half's shape.
  switch (LeftEyePart(Layout.LayoutIndex)) {
  case TPart::Left:
  case TPart::Right:
    return Layout.HalfWidth ? FrameAspect : FrameAspect / 2;
  case TPart::Top:
  case TPart::Bottom:
    return Layout.HalfHeight ? FrameAspect : FrameAspect * 2;
  case TPart::Whole:
    break;
  }
  return FrameAspect;
}

TRgbImage PreviewCanvas(const TRgbImage& Frame, const TImagePart& View, double Aspect)
{
  Aspect = SafeAspect(Aspect, View);
  const double BoxAspect = static_cast<double>(PreviewWidth) / PreviewHeight;
  const int Width =
      Aspect >= BoxAspect ? PreviewWidth : std::min(PreviewWidth, Rounded(PreviewHeight * Aspect));
  const int Height =
      Aspect >= BoxAspect ? std::min(PreviewHeight, Rounded(PreviewWidth / Aspect)) : PreviewHeight;
  const TRgbImage Scaled = ScaleImagePart(Frame, View, Width, Height);
  TRgbImage Canvas;
  Canvas.Width = PreviewWidth;
  Canvas.Height = PreviewHeight;
  Canvas.Pixels.assign(static_cast<std::size_t>(PreviewWidth) * PreviewHeight * 3, 0);
  const int Left = (PreviewWidth - Width) / 2;
  const int Top = (PreviewHeight - Height) / 2;
  const auto Row = static_cast<std::size_t>(Width) * 3;
  for (int Line = 0; Line < Height; ++Line) {
    std::memcpy(Canvas.Pixels.data() + (static_cast<std::size_t>(Top + Line) * PreviewWidth + Left) * 3,
                Scaled.Pixels.data() + Row * static_cast<std::size_t>(Line), Row);
  }
  return Canvas;
}

TRgbImage PosterCanvas(const TRgbImage& Frame, const TImagePart& View, double Aspect)
{
  Aspect = SafeAspect(Aspect, View);
  // The view's own rows set the size, so nothing is lost to scaling; a
  // small video is enlarged to the poster's minimum.
  double Height = View.Height;
  double Width = Height * Aspect;
  const double Shorter = std::min(Width, Height);
  if (Shorter < MinPosterSide) {
    Width *= MinPosterSide / Shorter;
    Height *= MinPosterSide / Shorter;
  }
  return ScaleImagePart(Frame, View, std::max(MinPosterSide, static_cast<int>(std::ceil(Width - 1e-6))),
                        std::max(MinPosterSide, static_cast<int>(std::ceil(Height - 1e-6))));
}

std::vector<std::uint8_t> EncodePreview(const TRgbImage& Canvas)
{
  // Each encoding of 160 x 120 takes well under a millisecond; walking down
  // from the top finds the highest quality that fits, where a bisection
  // could miss it because size is not strictly monotonic in quality.
  for (int Quality = 100; Quality >= 1; --Quality) {
    std::vector<std::uint8_t> Bytes = EncodeJpeg(Canvas, Quality);
    if (PreviewByteSizeFits(static_cast<std::int64_t>(Bytes.size()))) {
      return Bytes;
    }
  }
  throw EVideo("The preview does not fit into 10,240 bytes");
}

std::shared_ptr<const TJpegImage> MakeFramePicture(TPictureKind Kind, const TRgbImage& Frame,
                                                   double FrameAspect, const TFrameLayout& Layout)
{
  // The view is scaled where it lies in the frame, never copied out first:
  // at 8K a copy alone costs more than the scaling.
  const TImagePart View = LeftViewPart(Frame, Layout);
  if (Frame.Empty() || View.Width <= 0 || View.Height <= 0) {
    throw EVideo("The frame has no picture");
  }
  const double Aspect = ViewAspect(FrameAspect, Layout);
  std::vector<std::uint8_t> Bytes = Kind == TPictureKind::Preview
                                        ? EncodePreview(PreviewCanvas(Frame, View, Aspect))
                                        : EncodeJpeg(PosterCanvas(Frame, View, Aspect), PosterQuality);
  // The made picture enters as a loaded one does, through the same rules.
  std::shared_ptr<const TJpegImage> Picture = AcceptStoredPicture(Kind, std::move(Bytes));
  if (!Picture) {
    throw EVideo(Utf16ToUtf8(PictureRejectedMessage(Kind)));
  }
  return Picture;
}

} // namespace Quillmark
