#pragma once
// Telling a video's stereo layout from its frames. The two views of one
// scene are nearly the same picture, shifted horizontally by a disparity
// that varies across the scene; so when a frame's two halves (left and
// right, or top and bottom) match each other block by block at small
// horizontal shifts, the frame holds two views in that arrangement. Most of
// a scene lies at or behind the screen, where a point sits further left in
// the left eye's view: the sign of the dominant shift tells which half is
// the left eye's.
#include <array>
#include <cstdint>
#include <vector>

#include "video/VideoFile.h"

namespace Quillmark {

// The largest frame the comparison looks at; larger ones are shrunk.
inline constexpr int MaxAnalysisWidth = 640;
inline constexpr int MaxAnalysisHeight = 480;

// Luma samples, one byte each, rows of Width.
struct TGrayImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;

  int At(int X, int Y) const
  {
    return Pixels[static_cast<std::size_t>(Y) * static_cast<std::size_t>(Width) +
                  static_cast<std::size_t>(X)];
  }
};

// The luma of Image, shrunk by a whole factor to at most 640 x 480 so that
// the comparison costs the same for every frame size.
TGrayImage AnalysisImage(const TRgbImage& Image);

// A frame with almost no detail: black, a single colour or a soft fade.
bool IsFlat(const TGrayImage& Image);

enum class TSplit { SideBySide, OverUnder };
inline constexpr int SplitCount = 2;

// What the blocks of a frame's first half (left or top) say about a split.
struct TSplitVotes {
  int Textured = 0; // blocks with enough detail to be found again
  int Matched = 0;  // of those, found in the second half at a small shift
  int Positive = 0; // matched distinctly further right in the second half
  int Negative = 0; // matched distinctly further left in the second half
};

struct TFrameVotes {
  std::array<TSplitVotes, SplitCount> Splits;
  const TSplitVotes& Of(TSplit Split) const { return Splits[static_cast<std::size_t>(Split)]; }
};

TFrameVotes CompareHalves(const TGrayImage& Frame);

// Below this a guess is reported as a guess and never stored.
inline constexpr double SureConfidence = 0.6;

struct TLayoutGuess {
  int LayoutIndex = -1; // a position of LayoutKeys: side by side, over/under or Mono
  bool HalfWidth = false;
  bool HalfHeight = false;
  double Confidence = 0; // 0 to 1

  bool Sure() const { return Confidence >= SureConfidence; }
};

// Judges the votes of frames sampled in time order across the video. A run
// of 2D frames at the start followed by stereo ones is taken for a 2D intro
// and left out. DisplayAspect is the shape the whole frame is shown at: a
// usual display shape for the whole frame means squeezed halves.
TLayoutGuess JudgeLayout(const std::vector<TFrameVotes>& Frames, double DisplayAspect);

// True when halves of the split carry half resolution, judged by which of
// the frame and the half has the more usual display shape.
bool HalvesSqueezed(TSplit Split, double DisplayAspect);

} // namespace Quillmark
