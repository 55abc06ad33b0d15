#pragma once
// Telling a video's stereo layout from its frames. The two views of one
// scene are nearly the same picture, shifted horizontally by a disparity
// that varies with depth; so when a frame's two halves (left and right, or
// top and bottom) match each other block by block at small horizontal
// shifts, and those shifts differ across the scene, the frame holds two
// views in that arrangement.
//
// Which half is the left eye's is harder. Where a nearer surface covers a
// farther one, each eye sees a strip of the far surface that the other does
// not, and that strip always lies on the far surface's side of the edge;
// which side of the edge the strip lies on, against the order of the
// disparities, tells the eyes apart wherever the scene is. The sign of the
// disparities only tells them apart when the scene is known to lie behind
// the screen, which the frames cannot show: on its own it is a guess, and is
// never reported as sure.
#include <array>
#include <cstdint>
#include <vector>

#include "video/VideoFile.h"

namespace Quillmark {

// The largest frame the comparison looks at; larger ones are shrunk. Large
// enough that fine texture and disparities of a pixel or two at 1080p keep.
inline constexpr int MaxAnalysisWidth = 960;
inline constexpr int MaxAnalysisHeight = 600;

// The luma of Image, shrunk by a whole factor to at most MaxAnalysisWidth x
// MaxAnalysisHeight so that the comparison costs about the same for every
// frame size.
TGrayImage AnalysisImage(const TRgbImage& Image);

// A frame with almost no detail: black, a single colour or a soft fade.
bool IsFlat(const TGrayImage& Image);

enum class TSplit { SideBySide, OverUnder };
inline constexpr int SplitCount = 2;

// What the blocks of a frame's first half (left or top) say about a split.
// A block informs only when a match in the second half would mean something:
// detailed enough that a shift of a pixel leaves it recognisable, and unlike
// its own surroundings (no stripes, no repeating pattern).
struct TSplitVotes {
  int Textured = 0;  // blocks with detail
  int Matched = 0;   // informing blocks found in the second half
  int Unmatched = 0; // informing blocks not found there
  int Level = 0;     // matched within half a pixel of the frame's usual disparity
  int Positive = 0;  // matched further right in the second half
  int Negative = 0;  // matched further left in the second half
  int FirstLeft = 0; // edges whose hidden strip says the first half is the left eye's
  int FirstRight = 0;

  int Informing() const { return Matched + Unmatched; }
  TSplitVotes& operator+=(const TSplitVotes& Other);
};

struct TFrameVotes {
  std::array<TSplitVotes, SplitCount> Splits;
  const TSplitVotes& Of(TSplit Split) const { return Splits[static_cast<std::size_t>(Split)]; }
};

TFrameVotes CompareHalves(const TGrayImage& Frame);

// Below this a guess, or a part of it, is reported as a guess and never
// stored.
inline constexpr double SureConfidence = 0.6;

struct TLayoutGuess {
  int LayoutIndex = -1; // a position of LayoutKeys: side by side, over/under or Mono
  bool HalfWidth = false;
  bool HalfHeight = false;
  // The chance that the whole answer is right: the family (side by side,
  // over/under or 2D) with its halves, and the eye order.
  double Confidence = 0;
  double LayoutConfidence = 0;   // the family and the halves alone
  double EyeOrderConfidence = 0; // which half is the left eye's; 1 for 2D

  bool Sure() const { return Confidence >= SureConfidence; }
  bool LayoutSure() const { return LayoutConfidence >= SureConfidence; }
  bool EyeOrderSure() const { return EyeOrderConfidence >= SureConfidence; }
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
