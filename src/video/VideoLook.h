#pragma once
// Looking at a video file as a whole: detecting its stereo layout from
// frames sampled across it, and making the preview or the title poster from
// one of its frames. Each call opens the file read-only, seeks, decodes a
// handful of frames and lets go of the file again.
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "metadata/CatalogueValues.h"
#include "metadata/PictureRules.h"
#include "video/FramePictures.h"
#include "video/LayoutDetection.h"
#include "video/VideoFile.h"

namespace Quillmark {

// Frames sampled for detection.
inline constexpr int DetectionSamples = 9;

// The 2D intro the values state, in seconds; 0 when none or unreadable.
double StatedIntroSeconds(const TCatalogueValues& Values, char16_t Separator);

// Detection on an open video, skipping IntroSeconds at its start. By path
// the file is read by two threads at once.
TLayoutGuess DetectLayout(TVideoFile& Video, double IntroSeconds);
TLayoutGuess DetectLayout(const std::string& Path, double IntroSeconds,
                          const std::atomic<bool>* Cancel = nullptr);

// A third of the way into the part after the intro.
double DefaultPictureTime(double Duration, double IntroSeconds);

// The frame a picture is made from by default: at DefaultPictureTime, or a
// little later where that frame is black or flat.
TVideoFrame RepresentativeFrame(TVideoFile& Video, double IntroSeconds);

// The layout the pictures follow: the values' own when they mark the file
// stereo with a layout; otherwise the detected one when it is sure; else
// the whole frame.
TFrameLayout PictureLayout(const std::string& Path, const TCatalogueValues& Values, double IntroSeconds,
                           const std::atomic<bool>* Cancel = nullptr);

struct TVideoPicture {
  std::shared_ptr<const TJpegImage> Picture;
  double Seconds = 0; // the time of the frame it was made from
};

// The picture of Kind from the frame at Seconds, or from the representative
// frame when none is given. Throws EVideo with the user's message.
TVideoPicture MakeVideoPicture(const std::string& Path, TPictureKind Kind, std::optional<double> Seconds,
                               const TCatalogueValues& Values, char16_t Separator,
                               const std::atomic<bool>* Cancel = nullptr);

// "side by side, left image first, half width" and the like.
std::string DescribeLayout(const TLayoutGuess& Guess);

} // namespace Quillmark
