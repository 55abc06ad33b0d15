#pragma once
// The preview and the title poster made from one video frame: the left
// eye's view (the whole frame for 2D), shown at its display shape.
#include <cstdint>
#include <vector>

#include "catalogue/PictureRules.h"
#include "video/VideoFile.h"

namespace Quillmark {

// How the views sit in a frame, as the stereo values describe it.
struct TFrameLayout {
  int LayoutIndex = -1; // a position of LayoutKeys; -1 or a stream layout: the whole frame
  bool HalfWidth = false;
  bool HalfHeight = false;
};

// The part of Frame that holds the left eye's view.
TImagePart LeftViewPart(const TRgbImage& Frame, const TFrameLayout& Layout);

// The shape (width / height) the left view is shown at, from the shape
// the whole frame is shown at.
double ViewAspect(double FrameAspect, const TFrameLayout& Layout);

// The View part of Frame at Aspect fitted into 160 x 120 with black bars.
TRgbImage PreviewCanvas(const TRgbImage& Frame, const TImagePart& View, double Aspect);
// The View part of Frame at Aspect with its shorter side at least 480
// pixels.
TRgbImage PosterCanvas(const TRgbImage& Frame, const TImagePart& View, double Aspect);

// The preview at the highest quality whose file is at most 10,240 bytes.
std::vector<std::uint8_t> EncodePreview(const TRgbImage& Canvas);
inline constexpr int PosterQuality = 90;

// The picture of Kind made from Frame, which is shown at FrameAspect; it
// passes the picture rules, or EVideo is thrown.
std::shared_ptr<const TJpegImage> MakeFramePicture(TPictureKind Kind, const TRgbImage& Frame,
                                                   double FrameAspect, const TFrameLayout& Layout);

} // namespace Quillmark
