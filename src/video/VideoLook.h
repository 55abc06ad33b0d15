#pragma once
// Looking at a video file as a whole: detecting its stereo layout from
// frames sampled across it, and making the preview or the title poster from
// one of its frames, by seeking and decoding a handful of frames.
#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/Catalogue.h"
#include "catalogue/PictureRules.h"
#include "metadata/MetadataEditor.h"
#include "video/FramePictures.h"
#include "video/LayoutDetection.h"
#include "video/VideoFile.h"

namespace Quillmark {

// Frames sampled for detection.
inline constexpr int DetectionSamples = 9;
// Frames sampled from a video whose frames are larger than 4K UHD. Each
// such frame costs several times a 4K one to decode, yet is shrunk to the
// same size for the comparison and gives as many votes; the judge is less
// sure of fewer votes, never more sure of a wrong answer.
inline constexpr int LargeFrameSamples = 5;

// The number of frames sampled from a video of frames Width x Height.
int DetectionSampleCount(int Width, int Height);

// A key frame of this many bytes or more is costly: H.264 decodes about
// 10 MB of a key frame a second on one core here, so five samples, three of
// them one after another on one reader, would take over a second of
// decoding alone (an 8K key frame of Windows Media Video 8 is about 2 MB).
inline constexpr std::size_t CostlyKeyFrameBytes = 4U << 20;

// One frame sampled for detection.
struct TDetectionSample {
  bool Read = false;
  double Seconds = 0;
  std::size_t KeyFrameBytes = 0;
  TFrameVotes Votes;
};

// When the first round of samples may settle detection alone.
enum class TEarlyAnswer {
  WhenCostly, // only for frames beyond 4K UHD whose key frames are costly
  Always,     // whatever the frames cost: to measure the rule on any video
};

// True when the first round (two frames well inside the video, one per
// reader) settles the answer for a video of frames Width x Height, so the
// other samples need not be read: two different frames, each judged alone
// and both judged together, give the same stereo family, halves and eye
// order, the layout sure all three times; and the eye order either sure
// together, or told by no edge at all (a guess from the sign of the
// disparities, which more frames of the same scenes leave a guess). A 2D
// answer always reads on: a stereo stretch may follow a long 2D one.
bool FirstRoundSettles(const std::vector<TDetectionSample>& Round, int Width, int Height,
                       double DisplayAspect, TEarlyAnswer Rule);

// The 2D intro the values state, in seconds; 0 when none or unreadable.
double StatedIntroSeconds(const TCatalogueValues& Values, char16_t Separator);

// The descriptor of the file Editor has open, for TVideoFile: the frames
// then come from the very file whose header was read, whatever its name
// leads to by then. Throws EVideo when the editor holds none to give.
TVideoDescriptor EditorVideoDescriptor(const TRef<IWMMetadataEditor>& Editor);

// Detection on an open video, skipping IntroSeconds at its start. Up to
// 4K, a second reader of the same descriptor takes every other sample on a
// thread of its own.
// Frames beyond 4K UHD are read in two rounds: the first may settle the
// answer (FirstRoundSettles); Rule Always reads every video so.
TLayoutGuess DetectLayout(TVideoFile& Video, double IntroSeconds,
                          TEarlyAnswer Rule = TEarlyAnswer::WhenCostly);
TLayoutGuess DetectLayout(const std::string& Path, double IntroSeconds,
                          const std::atomic<bool>* Cancel = nullptr);

// A third of the way into the part after the intro.
double DefaultPictureTime(double Duration, double IntroSeconds);

// The frame a picture is made from by default: at DefaultPictureTime, or a
// little later where that frame is black or flat.
TVideoFrame RepresentativeFrame(TVideoFile& Video, double IntroSeconds);

// The layout pictures follow after Guess: its own when its family and
// halves are sure, even where the eye order is not (either eye's view makes
// a right picture); else the whole frame.
TFrameLayout DetectedPictureLayout(const TLayoutGuess& Guess);

// The layout the pictures follow: the values' own when they mark the file
// stereo with a layout; otherwise the detected one (DetectedPictureLayout).
TFrameLayout PictureLayout(TVideoFile& Video, const TCatalogueValues& Values, double IntroSeconds);

struct TVideoPicture {
  std::shared_ptr<const TJpegImage> Picture;
  double Seconds = 0; // the time of the frame it was made from
};

// The picture of Kind from the frame at Seconds, or from the representative
// frame when none is given. Throws EVideo with the user's message.
TVideoPicture MakeVideoPicture(TVideoFile& Video, TPictureKind Kind, std::optional<double> Seconds,
                               const TCatalogueValues& Values, char16_t Separator);
// The same in a layout already known, after a 2D intro of IntroSeconds.
TVideoPicture MakeVideoPicture(TVideoFile& Video, TPictureKind Kind, std::optional<double> Seconds,
                               const TFrameLayout& Layout, double IntroSeconds);
// The frame a picture is made from: the one at Seconds, or the
// representative frame when none is given.
TVideoFrame PictureFrame(TVideoFile& Video, std::optional<double> Seconds, double IntroSeconds);
// The picture of Kind from Frame, which is shown at FrameAspect: for
// pictures of one frame that read it once.
TVideoPicture MakeVideoPicture(const TVideoFrame& Frame, TPictureKind Kind, double FrameAspect,
                               const TFrameLayout& Layout);
TVideoPicture MakeVideoPicture(const std::string& Path, TPictureKind Kind, std::optional<double> Seconds,
                               const TCatalogueValues& Values, char16_t Separator,
                               const std::atomic<bool>* Cancel = nullptr);

// "side by side, left image first, half width" and the like.
std::string DescribeLayout(const TLayoutGuess& Guess);
// The family and halves alone: "side by side, half width", "2D (monoscopic)".
std::string DescribeFamily(const TLayoutGuess& Guess);

// The stored keys of the guess's family with either eye first
// ("SideBySideLF", "SideBySideRF"); none for 2D.
std::pair<std::string, std::string> FamilyKeys(const TLayoutGuess& Guess);

} // namespace Quillmark
