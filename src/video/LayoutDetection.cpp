#include "video/LayoutDetection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "metadata/Catalogue.h"

namespace Quillmark {

namespace {

constexpr int BlockSize = 16;
// A block whose mean absolute deviation is below this is too plain to be
// found again reliably (compression noise alone reaches 1 or 2).
constexpr int MinBlockDetail = 5;
// A block counts as found when its best error is this share of its detail,
// plus an allowance for compression noise.
constexpr double MatchShare = 0.35;
constexpr double MatchNoise = 3.0;
// A shift counts for the eye order only when it is clearly better than the
// shifts around it: stripes along the shift match anywhere.
constexpr double DistinctShare = 0.6;
// Halves match in a stereo frame; in a 2D frame they are unrelated.
constexpr double StereoShare = 0.5;
// Votes from fewer blocks than this say little.
constexpr int EnoughBlocks = 60;
constexpr int MinFrameBlocks = 8;

struct THalves {
  int OffsetX = 0; // where the second half starts
  int OffsetY = 0;
  int Width = 0; // the size of one half
  int Height = 0;
};

THalves HalvesOf(const TGrayImage& Frame, TSplit Split)
{
  if (Split == TSplit::SideBySide) {
    return {Frame.Width / 2, 0, Frame.Width / 2, Frame.Height};
  }
  return {0, Frame.Height / 2, Frame.Width, Frame.Height / 2};
}

const std::uint8_t* RowAt(const TGrayImage& Frame, int X, int Y)
{
  return Frame.Pixels.data() + static_cast<std::size_t>(Y) * static_cast<std::size_t>(Frame.Width) +
         static_cast<std::size_t>(X);
}

int BlockDetail(const TGrayImage& Frame, int X, int Y)
{
  int Sum = 0;
  for (int Row = 0; Row < BlockSize; ++Row) {
    const std::uint8_t* Line = RowAt(Frame, X, Y + Row);
    for (int Column = 0; Column < BlockSize; ++Column) {
      Sum += Line[Column];
    }
  }
  const int Mean = Sum / (BlockSize * BlockSize);
  int Deviation = 0;
  for (int Row = 0; Row < BlockSize; ++Row) {
    const std::uint8_t* Line = RowAt(Frame, X, Y + Row);
    for (int Column = 0; Column < BlockSize; ++Column) {
      Deviation += std::abs(Line[Column] - Mean);
    }
  }
  return Deviation / (BlockSize * BlockSize);
}

// Mean absolute difference between the block at (X, Y) and the block at
// (X2, Y2).
double BlockError(const TGrayImage& Frame, int X, int Y, int X2, int Y2)
{
  int Sum = 0;
  for (int Row = 0; Row < BlockSize; ++Row) {
    const std::uint8_t* First = RowAt(Frame, X, Y + Row);
    const std::uint8_t* Second = RowAt(Frame, X2, Y2 + Row);
    for (int Column = 0; Column < BlockSize; ++Column) {
      Sum += std::abs(First[Column] - Second[Column]);
    }
  }
  return static_cast<double>(Sum) / (BlockSize * BlockSize);
}

void VoteBlock(const TGrayImage& Frame, const THalves& Halves, int X, int Y, int MaxShift, TSplitVotes& Votes)
{
  const int Detail = BlockDetail(Frame, X, Y);
  if (Detail < MinBlockDetail) {
    return;
  }
  ++Votes.Textured;
  double Best = std::numeric_limits<double>::max();
  double Worst = 0;
  int BestShift = 0;
  for (int Shift = -MaxShift; Shift <= MaxShift; ++Shift) {
    const double Error = BlockError(Frame, X, Y, X + Halves.OffsetX + Shift, Y + Halves.OffsetY);
    // Ties go to the smaller shift: a plain block stays at 0.
    if (Error < Best || (Error == Best && std::abs(Shift) < std::abs(BestShift))) {
      Best = Error;
      BestShift = Shift;
    }
    Worst = std::max(Worst, Error);
  }
  if (Best > MatchShare * Detail + MatchNoise) {
    return;
  }
  ++Votes.Matched;
  if (Best < DistinctShare * Worst && BestShift != 0) {
    ++(BestShift > 0 ? Votes.Positive : Votes.Negative);
  }
}

TSplitVotes CompareSplit(const TGrayImage& Frame, TSplit Split)
{
  TSplitVotes Votes;
  const THalves Halves = HalvesOf(Frame, Split);
  // Real disparities stay within a few percent of the view's width.
  const int MaxShift = std::clamp(Halves.Width / 12, 4, 48);
  for (int Y = 0; Y + BlockSize <= Halves.Height; Y += BlockSize) {
    for (int X = MaxShift; X + BlockSize + MaxShift <= Halves.Width; X += BlockSize) {
      VoteBlock(Frame, Halves, X, Y, MaxShift, Votes);
    }
  }
  return Votes;
}

double Share(int Part, int Whole)
{
  return Whole <= 0 ? 0.0 : static_cast<double>(Part) / static_cast<double>(Whole);
}

bool FrameLooksStereo(const TFrameVotes& Frame)
{
  return std::any_of(Frame.Splits.begin(), Frame.Splits.end(), [](const TSplitVotes& Votes) {
    return Share(Votes.Matched, Votes.Textured) >= StereoShare;
  });
}

// The frames that count: those with detail, less a leading run of 2D
// frames when most frames after it are stereo (an intro nobody stated).
std::vector<TFrameVotes> FramesThatCount(const std::vector<TFrameVotes>& Frames)
{
  std::vector<TFrameVotes> Detailed;
  for (const TFrameVotes& Frame : Frames) {
    const int Blocks = std::max(Frame.Splits[0].Textured, Frame.Splits[1].Textured);
    if (Blocks >= MinFrameBlocks) {
      Detailed.push_back(Frame);
    }
  }
  const auto First = std::find_if(Detailed.begin(), Detailed.end(), FrameLooksStereo);
  if (First == Detailed.begin() || First == Detailed.end()) {
    return Detailed;
  }
  const auto Stereo = std::count_if(First, Detailed.end(), FrameLooksStereo);
  if (2 * Stereo > std::distance(First, Detailed.end())) {
    Detailed.erase(Detailed.begin(), First);
  }
  return Detailed;
}

double Clamp01(double Value)
{
  return std::clamp(Value, 0.0, 1.0);
}

double AspectDistance(double Aspect)
{
  static constexpr std::array<double, 4> UsualAspects = {4.0 / 3.0, 16.0 / 9.0, 1.85, 2.39};
  double Nearest = std::numeric_limits<double>::max();
  for (double Usual : UsualAspects) {
    Nearest = std::min(Nearest, std::abs(std::log(Aspect / Usual)));
  }
  return Nearest;
}

int LayoutIndex(const char16_t* Key)
{
  return LayoutIndexOfKey(Key);
}

} // namespace

TGrayImage AnalysisImage(const TRgbImage& Image)
{
  TGrayImage Gray;
  if (Image.Empty()) {
    return Gray;
  }
  const int Factor = std::max({1, (Image.Width + MaxAnalysisWidth - 1) / MaxAnalysisWidth,
                               (Image.Height + MaxAnalysisHeight - 1) / MaxAnalysisHeight});
  Gray.Width = Image.Width / Factor;
  Gray.Height = Image.Height / Factor;
  Gray.Pixels.resize(static_cast<std::size_t>(Gray.Width) * static_cast<std::size_t>(Gray.Height));
  const auto Row = static_cast<std::size_t>(Image.Width) * 3;
  for (int Y = 0; Y < Gray.Height; ++Y) {
    for (int X = 0; X < Gray.Width; ++X) {
      int Sum = 0;
      for (int Dy = 0; Dy < Factor; ++Dy) {
        const std::uint8_t* Pixel = Image.Pixels.data() + Row * static_cast<std::size_t>(Y * Factor + Dy) +
                                    static_cast<std::size_t>(X * Factor) * 3;
        for (int Dx = 0; Dx < Factor; ++Dx, Pixel += 3) {
          // Rec. 601 luma weights in fixed point.
          Sum += (77 * Pixel[0] + 150 * Pixel[1] + 29 * Pixel[2]) >> 8;
        }
      }
      Gray.Pixels[static_cast<std::size_t>(Y * Gray.Width + X)] =
          static_cast<std::uint8_t>(Sum / (Factor * Factor));
    }
  }
  return Gray;
}

bool IsFlat(const TGrayImage& Image)
{
  int Blocks = 0;
  int Detailed = 0;
  for (int Y = 0; Y + BlockSize <= Image.Height; Y += BlockSize) {
    for (int X = 0; X + BlockSize <= Image.Width; X += BlockSize) {
      ++Blocks;
      Detailed += BlockDetail(Image, X, Y) >= MinBlockDetail ? 1 : 0;
    }
  }
  // A title card or a fade shows detail in a few blocks at most.
  return Blocks == 0 || Share(Detailed, Blocks) < 0.05;
}

TFrameVotes CompareHalves(const TGrayImage& Frame)
{
  TFrameVotes Votes;
  if (Frame.Width < 4 * BlockSize || Frame.Height < 2 * BlockSize) {
    return Votes;
  }
  Votes.Splits[0] = CompareSplit(Frame, TSplit::SideBySide);
  Votes.Splits[1] = CompareSplit(Frame, TSplit::OverUnder);
  return Votes;
}

bool HalvesSqueezed(TSplit Split, double DisplayAspect)
{
  if (!(DisplayAspect > 0) || !std::isfinite(DisplayAspect)) {
    return false;
  }
  const double HalfAspect = Split == TSplit::SideBySide ? DisplayAspect / 2 : DisplayAspect * 2;
  return AspectDistance(DisplayAspect) <= AspectDistance(HalfAspect);
}

TLayoutGuess JudgeLayout(const std::vector<TFrameVotes>& Frames, double DisplayAspect)
{
  std::array<TSplitVotes, SplitCount> Pooled{};
  for (const TFrameVotes& Frame : FramesThatCount(Frames)) {
    for (std::size_t Index = 0; Index < Pooled.size(); ++Index) {
      Pooled[Index].Textured += Frame.Splits[Index].Textured;
      Pooled[Index].Matched += Frame.Splits[Index].Matched;
      Pooled[Index].Positive += Frame.Splits[Index].Positive;
      Pooled[Index].Negative += Frame.Splits[Index].Negative;
    }
  }
  const double SideBySide = Share(Pooled[0].Matched, Pooled[0].Textured);
  const double OverUnder = Share(Pooled[1].Matched, Pooled[1].Textured);
  const TSplit Split = SideBySide >= OverUnder ? TSplit::SideBySide : TSplit::OverUnder;
  const TSplitVotes& Votes = Pooled[static_cast<std::size_t>(Split)];
  const double Best = std::max(SideBySide, OverUnder);
  const double Other = std::min(SideBySide, OverUnder);
  const double Evidence = Clamp01(Share(std::max(Pooled[0].Textured, Pooled[1].Textured), EnoughBlocks));

  TLayoutGuess Guess;
  if (Best < StereoShare) {
    Guess.LayoutIndex = LayoutIndex(u"Mono");
    Guess.Confidence = Clamp01((StereoShare - Best) / 0.35) * Evidence;
    return Guess;
  }
  // A positive shift puts the scene further left in the first half: that
  // half is the left eye's.
  const bool LeftFirst = Votes.Positive >= Votes.Negative;
  const int Eyed = Votes.Positive + Votes.Negative;
  const double EyeCertainty = Clamp01(2.0 * Share(std::abs(Votes.Positive - Votes.Negative), Eyed));
  const double SplitCertainty = Clamp01((Best - Other) / 0.5);
  Guess.Confidence = std::min(EyeCertainty, SplitCertainty) * Evidence;
  const bool Squeezed = HalvesSqueezed(Split, DisplayAspect);
  if (Split == TSplit::SideBySide) {
    Guess.LayoutIndex = LayoutIndex(LeftFirst ? u"SideBySideLF" : u"SideBySideRF");
    Guess.HalfWidth = Squeezed;
  } else {
    Guess.LayoutIndex = LayoutIndex(LeftFirst ? u"OverUnderLT" : u"OverUnderRT");
    Guess.HalfHeight = Squeezed;
  }
  return Guess;
}

} // namespace Quillmark
