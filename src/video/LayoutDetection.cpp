#include "video/LayoutDetection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "catalogue/Catalogue.h"

namespace Quillmark {
namespace {

constexpr int BlockSize = 16;
constexpr int BlockArea = BlockSize * BlockSize;
// A block whose mean absolute deviation is below this is too plain to be
// found again (compression noise alone reaches 1 or 2).
constexpr int MinBlockDetail = 5;
// A block counts as found when its error is within this allowance for
// sensor and compression noise, a share of its detail, and half the error a
// shift of one pixel makes (a disparity between two pixels).
constexpr double MatchNoise = 2.5;
constexpr double MatchShare = 0.25;
// A block whose allowance comes near the error of unrelated content cannot
// tell a match from none: fine texture that a pixel's shift already changes.
constexpr double InformingShare = 0.7;
// Shifts closer than this to the block's own place are its own neighbours.
constexpr int SelfGap = 4;
constexpr int SelfRows = 16;
// The rows a rig may be out of line by, at the analysis size.
constexpr int RowSlack = 3;
// Disparities closer than this (pixels) to the frame's usual one are level.
constexpr double LevelBand = 0.5;
constexpr int MinFrameBlocks = 8;

struct TPlane {
  const TGrayImage* Image = nullptr;
  int X = 0; // where the half starts in Image
  int Y = 0;
  int Width = 0;
  int Height = 0;

  const std::uint8_t* At(int Column, int Row) const { return Image->Row(Y + Row) + X + Column; }
};

int Sad(const std::uint8_t* First, int FirstStride, const std::uint8_t* Second, int SecondStride)
{
  int Sum = 0;
  for (int Row = 0; Row < BlockSize; ++Row, First += FirstStride, Second += SecondStride) {
    for (int Column = 0; Column < BlockSize; ++Column) {
      Sum += std::abs(First[Column] - Second[Column]);
    }
  }
  return Sum;
}

int BlockDetail(const std::uint8_t* Block, int Stride)
{
  int Sum = 0;
  const std::uint8_t* Line = Block;
  for (int Row = 0; Row < BlockSize; ++Row, Line += Stride) {
    for (int Column = 0; Column < BlockSize; ++Column) {
      Sum += Line[Column];
    }
  }
  const int Mean = Sum / BlockArea;
  int Deviation = 0;
  Line = Block;
  for (int Row = 0; Row < BlockSize; ++Row, Line += Stride) {
    for (int Column = 0; Column < BlockSize; ++Column) {
      Deviation += std::abs(Line[Column] - Mean);
    }
  }
  return Deviation / BlockArea;
}

// The second half brought to the first half's brightness and contrast: the
// eyes of a rig differ a little in both.
TGrayImage Matched(const TPlane& First, const TPlane& Second)
{
  // Mean and mean absolute deviation, from the plane's histogram.
  const auto Stats = [](const TPlane& Plane) {
    std::array<std::int64_t, 256> Counts{};
    for (int Y = 0; Y < Plane.Height; ++Y) {
      const std::uint8_t* Line = Plane.At(0, Y);
      for (int X = 0; X < Plane.Width; ++X) {
        ++Counts[Line[X]];
      }
    }
    double Sum = 0;
    for (std::size_t Value = 0; Value < Counts.size(); ++Value) {
      Sum += static_cast<double>(Value) * static_cast<double>(Counts[Value]);
    }
    const double Count = std::max(1.0, static_cast<double>(Plane.Width) * Plane.Height);
    const double Mean = Sum / Count;
    double Deviation = 0;
    for (std::size_t Value = 0; Value < Counts.size(); ++Value) {
      Deviation += std::abs(static_cast<double>(Value) - Mean) * static_cast<double>(Counts[Value]);
    }
    return std::pair{Mean, Deviation / Count};
  };
  const auto [FirstMean, FirstDeviation] = Stats(First);
  const auto [SecondMean, SecondDeviation] = Stats(Second);
  const double Gain = SecondDeviation > 0.5 ? std::clamp(FirstDeviation / SecondDeviation, 0.5, 2.0) : 1.0;
  TGrayImage Image;
  Image.Width = Second.Width;
  Image.Height = Second.Height;
  Image.Pixels.resize(static_cast<std::size_t>(Image.Width) * static_cast<std::size_t>(Image.Height));
  std::array<std::uint8_t, 256> Map{};
  for (int Value = 0; Value < 256; ++Value) {
    Map[static_cast<std::size_t>(Value)] =
        static_cast<std::uint8_t>(std::clamp(std::lround((Value - SecondMean) * Gain + FirstMean), 0L, 255L));
  }
  for (int Y = 0; Y < Second.Height; ++Y) {
    const std::uint8_t* From = Second.At(0, Y);
    std::uint8_t* To =
        Image.Pixels.data() + static_cast<std::size_t>(Y) * static_cast<std::size_t>(Image.Width);
    for (int X = 0; X < Second.Width; ++X) {
      To[X] = Map[From[X]];
    }
  }
  return Image;
}

// One block of the first half and where it was found in the second.
struct TBlockMatch {
  bool Found = false;
  int Shift = 0; // whole pixels, second half less first
  int Rows = 0;
  double Disparity = 0; // with the sub-pixel part
  double Allowance = 0; // per pixel
};

class TSplitComparison {
public:
  TSplitComparison(const TPlane& First, const TPlane& Second)
      : FFirst(First),
        FSecondImage(Matched(First, Second)), FSecond{&FSecondImage, 0, 0, Second.Width, Second.Height},
        FMaxShift(std::clamp(First.Width / 12, 4, 48))
  {
  }

  TSplitVotes Compare()
  {
    FRows = RowOffset();
    // Rows of blocks every other block row on large halves: enough blocks,
    // at half the cost; each row is whole, for the edges between its blocks.
    const int RowStep = BlockSize;
    std::vector<double> Disparities;
    for (int Y = 0; Y + BlockSize <= FFirst.Height; Y += RowStep) {
      std::vector<TBlockMatch> Row;
      for (int X = 0; X + BlockSize <= FFirst.Width; X += BlockSize) {
        Row.push_back(Block(X, Y));
        if (Row.back().Found) {
          Disparities.push_back(Row.back().Disparity);
        }
      }
      // Neighbours, or found blocks on either side of one or two that were not: a
      // block holding a wide hidden strip is not found itself.
      for (std::size_t Index = 0; Index < Row.size(); ++Index) {
        for (std::size_t Next = Index + 1; Next <= Index + 3 && Next < Row.size(); ++Next) {
          if (Row[Next].Found) {
            VoteEdge(static_cast<int>(Index) * BlockSize, Y, static_cast<int>(Next - Index + 1) * BlockSize,
                     Row[Index], Row[Next]);
            break;
          }
        }
      }
    }
    CountLevel(Disparities);
    return FVotes;
  }

private:
  int Error(int X, int Y, int Shift, int Rows) const
  {
    return Sad(FFirst.At(X, Y), FFirst.Image->Width, FSecond.At(X + Shift, Y + Rows), FSecond.Image->Width);
  }

  int SelfError(int X, int Y, int Dx, int Dy) const
  {
    return Sad(FFirst.At(X, Y), FFirst.Image->Width, FFirst.At(X + Dx, Y + Dy), FFirst.Image->Width);
  }

  TBlockMatch Block(int X, int Y)
  {
    TBlockMatch Match;
    const int Detail = BlockDetail(FFirst.At(X, Y), FFirst.Image->Width);
    if (Detail < MinBlockDetail) {
      return Match;
    }
    ++FVotes.Textured;
    const int Low = std::max(-FMaxShift, -X);
    const int High = std::min(FMaxShift, FFirst.Width - BlockSize - X);
    // What a pixel's shift does to the block: the error of a disparity that
    // falls between two pixels.
    int Jitter = 0;
    if (X + 1 + BlockSize <= FFirst.Width) {
      Jitter = std::max(Jitter, SelfError(X, Y, 1, 0));
    }
    if (Y + 1 + BlockSize <= FFirst.Height) {
      Jitter = std::max(Jitter, SelfError(X, Y, 0, 1));
    }
    double Allowance = MatchNoise + MatchShare * Detail + 0.5 * Jitter / BlockArea;
    // Texture that a pixel's shift already changes is found again only
    // where the disparity falls on a whole pixel: found, it is as good a
    // sign of two views as any; not found, it says nothing.
    const bool Fine = Allowance > InformingShare * Detail;
    if (Fine) {
      Allowance = MatchNoise + MatchShare * Detail;
    }
    // A block that is found near its own place in its own half (stripes,
    // a repeating pattern, a plain gradient) would be found anywhere.
    const int Limit = static_cast<int>(Allowance * BlockArea);
    // Out to twice the search: a pattern that repeats just beyond it still
    // meets its copies in the other half wherever they fall.
    const int SelfLow = std::max(-2 * FMaxShift, -X);
    const int SelfHigh = std::min(2 * FMaxShift, FFirst.Width - BlockSize - X);
    for (int Dx = SelfLow; Dx <= SelfHigh; Dx += std::abs(Dx) < FMaxShift ? 1 : 2) {
      if (std::abs(Dx) >= SelfGap && SelfError(X, Y, Dx, 0) <= Limit) {
        return Match;
      }
    }
    for (int Dy = -SelfRows; Dy <= SelfRows; ++Dy) {
      if (std::abs(Dy) >= SelfGap && Y + Dy >= 0 && Y + Dy + BlockSize <= FFirst.Height &&
          SelfError(X, Y, 0, Dy) <= Limit) {
        return Match;
      }
    }
    // Along the rows the rig is out of line by, then a row either side
    // around the best shift.
    const TBlockMatch Found = BestMatch(X, Y, Low, High);
    Match.Shift = Found.Shift;
    Match.Rows = Found.Rows;
    const int Best = static_cast<int>(Found.Disparity);
    if (Best > Limit) {
      FVotes.Unmatched += Fine ? 0 : 1;
      return Match;
    }
    ++FVotes.Matched;
    Match.Found = true;
    Match.Allowance = Allowance;
    Match.Disparity = Match.Shift + SubPixel(X, Y, Match, Low, High, Best);
    if (Match.Disparity >= 0.5) {
      ++FVotes.Positive;
    } else if (Match.Disparity <= -0.5) {
      ++FVotes.Negative;
    }
    return Match;
  }

  // The best shift and rows of the block at (X, Y); Disparity holds the error.
  TBlockMatch BestMatch(int X, int Y, int Low, int High, int RowsFrom, int RowsTo) const
  {
    TBlockMatch Match;
    int Best = std::numeric_limits<int>::max();
    for (int Rows = RowsFrom; Rows <= RowsTo; ++Rows) {
      if (Y + Rows < 0 || Y + Rows + BlockSize > FSecond.Height) {
        continue;
      }
      for (int Shift = Low; Shift <= High; ++Shift) {
        const int Value = Error(X, Y, Shift, Rows);
        // Ties go to the smaller shift: a plain block stays in place.
        if (Value < Best || (Value == Best && std::abs(Shift) < std::abs(Match.Shift))) {
          Best = Value;
          Match.Shift = Shift;
          Match.Rows = Rows;
        }
      }
    }
    Match.Disparity = Best;
    return Match;
  }

  TBlockMatch BestMatch(int X, int Y, int Low, int High) const
  {
    TBlockMatch Along = BestMatch(X, Y, Low, High, FRows, FRows);
    const TBlockMatch Near = BestMatch(X, Y, std::max(Low, Along.Shift - 2), std::min(High, Along.Shift + 2),
                                       FRows - 1, FRows + 1);
    return Near.Disparity < Along.Disparity ? Near : Along;
  }

  // The rows the second half is out of line by: a rig's eyes are off by the
  // same few rows everywhere, found on a sample of detailed blocks.
  int RowOffset() const
  {
    std::array<int, 2 * RowSlack + 1> Counts{};
    const int Step = std::max(1, FFirst.Width / BlockSize / 8) * BlockSize;
    for (int Y = BlockSize; Y + 2 * BlockSize <= FFirst.Height; Y += 2 * BlockSize) {
      for (int X = FMaxShift; X + BlockSize + FMaxShift <= FFirst.Width; X += Step) {
        if (BlockDetail(FFirst.At(X, Y), FFirst.Image->Width) < 2 * MinBlockDetail) {
          continue;
        }
        const TBlockMatch Match = BestMatch(X, Y, -FMaxShift, FMaxShift, -RowSlack, RowSlack);
        ++Counts[static_cast<std::size_t>(Match.Rows + RowSlack)];
      }
    }
    const auto Most = std::max_element(Counts.begin(), Counts.end());
    return *Most == 0 ? 0 : static_cast<int>(Most - Counts.begin()) - RowSlack;
  }

  double SubPixel(int X, int Y, const TBlockMatch& Match, int Low, int High, int Best) const
  {
    if (Match.Shift <= Low || Match.Shift >= High) {
      return 0;
    }
    const double Before = Error(X, Y, Match.Shift - 1, Match.Rows);
    const double After = Error(X, Y, Match.Shift + 1, Match.Rows);
    const double Curve = Before - 2.0 * Best + After;
    return Curve > 0 ? std::clamp((Before - After) / (2 * Curve), -0.5, 0.5) : 0.0;
  }

  // The errors of each column of the block pair at X under one match.
  std::vector<int> ColumnErrors(int X, int Y, int Span, const TBlockMatch& Match) const
  {
    std::vector<int> Errors(static_cast<std::size_t>(Span));
    for (int Column = 0; Column < Span; ++Column) {
      int Sum = 0;
      for (int Row = 0; Row < BlockSize; ++Row) {
        Sum += std::abs(*FFirst.At(X + Column, Y + Row) -
                        *FSecond.At(X + Column + Match.Shift, Y + Row + Match.Rows));
      }
      Errors[static_cast<std::size_t>(Column)] = Sum;
    }
    return Errors;
  }

  int ColumnStep(int X, int Y) const
  {
    int Sum = 0;
    for (int Row = 0; Row < BlockSize; ++Row) {
      Sum += std::abs(*FFirst.At(X, Y + Row) - *FFirst.At(X - 1, Y + Row));
    }
    return Sum;
  }

  // Two neighbouring blocks at different depths. Where the disparity drops
  // from the left block to the right one, the first half shows a strip that
  // the second half does not: the far surface's, beside the near one's
  // edge. The strip continues the far surface smoothly and meets the near
  // surface at a step, so the side of the strip with the step is the near
  // one; whether the near side has the smaller or the larger disparity
  // tells which eye the first half is.
  void VoteEdge(int X, int Y, int Span, const TBlockMatch& Left, const TBlockMatch& Right)
  {
    const int Width = Left.Shift - Right.Shift;
    if (!Left.Found || !Right.Found || Width < 2 || Width > Span - BlockSize || X < 1) {
      return;
    }
    const int Lowest = std::min(Left.Shift, Right.Shift);
    const int Highest = std::max(Left.Shift, Right.Shift);
    if (X + Lowest < 0 || X + Span + Highest > FSecond.Width) {
      return;
    }
    const std::vector<int> LeftErrors = ColumnErrors(X, Y, Span, Left);
    const std::vector<int> RightErrors = ColumnErrors(X, Y, Span, Right);
    // The strip [Start, Start + Width) fits worst under both matches.
    int BestCost = std::numeric_limits<int>::max();
    int Start = 0;
    for (int Candidate = 3; Candidate + Width + 3 <= Span; ++Candidate) {
      int Cost = 0;
      for (int Column = 0; Column < Span; ++Column) {
        const auto At = static_cast<std::size_t>(Column);
        if (Column < Candidate) {
          Cost += LeftErrors[At];
        } else if (Column >= Candidate + Width) {
          Cost += RightErrors[At];
        }
      }
      if (Cost < BestCost) {
        BestCost = Cost;
        Start = Candidate;
      }
    }
    int Strip = 0;
    for (int Column = Start; Column < Start + Width; ++Column) {
      const auto At = static_cast<std::size_t>(Column);
      Strip += std::min(LeftErrors[At], RightErrors[At]);
    }
    const double Fitted = static_cast<double>(BestCost) / (Span - Width) / BlockSize;
    const double Hidden = static_cast<double>(Strip) / Width / BlockSize;
    // No strip stands out: a slanted surface, not an edge.
    if (Hidden < 2.0 * Fitted + std::max(Left.Allowance, Right.Allowance)) {
      return;
    }
    // The fit may miss the edge by a pixel.
    const auto StepNear = [&](int Column) {
      return std::max(
          {ColumnStep(X + Column - 1, Y), ColumnStep(X + Column, Y), ColumnStep(X + Column + 1, Y)});
    };
    const int StepBefore = StepNear(Start);
    const int StepAfter = StepNear(Start + Width);
    // The step after the strip: the near surface is on the right, with the
    // smaller disparity: the second half shows near things further left,
    // as the right eye does.
    if (2 * StepAfter > 3 * StepBefore) {
      ++FVotes.FirstLeft;
    } else if (2 * StepBefore > 3 * StepAfter) {
      ++FVotes.FirstRight;
    }
  }

  void CountLevel(std::vector<double>& Disparities)
  {
    if (Disparities.empty()) {
      return;
    }
    const auto Middle = Disparities.begin() + static_cast<std::ptrdiff_t>(Disparities.size() / 2);
    std::nth_element(Disparities.begin(), Middle, Disparities.end());
    const double Usual = *Middle;
    FVotes.Level =
        static_cast<int>(std::count_if(Disparities.begin(), Disparities.end(), [Usual](double Value) {
          return std::abs(Value - Usual) < LevelBand;
        }));
  }

  TPlane FFirst;
  TGrayImage FSecondImage;
  TPlane FSecond;
  int FMaxShift;
  int FRows = 0;
  TSplitVotes FVotes;
};

TSplitVotes CompareSplit(const TGrayImage& Frame, TSplit Split)
{
  TPlane First{&Frame, 0, 0, Frame.Width, Frame.Height};
  TPlane Second = First;
  if (Split == TSplit::SideBySide) {
    First.Width = Second.Width = Frame.Width / 2;
    Second.X = Frame.Width - Second.Width;
  } else {
    First.Height = Second.Height = Frame.Height / 2;
    Second.Y = Frame.Height - Second.Height;
  }
  return TSplitComparison(First, Second).Compare();
}

double Share(int Part, int Whole)
{
  return Whole <= 0 ? 0.0 : static_cast<double>(Part) / static_cast<double>(Whole);
}

double Clamp01(double Value)
{
  return std::clamp(Value, 0.0, 1.0);
}

// From 0 at Low to 1 at High.
double Ramp(double Value, double Low, double High)
{
  return Clamp01((Value - Low) / (High - Low));
}

bool FrameLooksStereo(const TFrameVotes& Frame)
{
  return std::any_of(Frame.Splits.begin(), Frame.Splits.end(), [](const TSplitVotes& Votes) {
    return Votes.Informing() >= MinFrameBlocks && Share(Votes.Matched, Votes.Informing()) >= 0.5;
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

double AspectDistance(double Aspect)
{
  static constexpr std::array<double, 4> UsualAspects = {4.0 / 3.0, 16.0 / 9.0, 1.85, 2.39};
  double Nearest = std::numeric_limits<double>::max();
  for (double Usual : UsualAspects) {
    Nearest = std::min(Nearest, std::abs(std::log(Aspect / Usual)));
  }
  return Nearest;
}

// How clearly the display shape tells full from squeezed halves.
double HalvesCertainty(TSplit Split, double DisplayAspect)
{
  if (!(DisplayAspect > 0) || !std::isfinite(DisplayAspect)) {
    return 0;
  }
  const double HalfAspect = Split == TSplit::SideBySide ? DisplayAspect / 2 : DisplayAspect * 2;
  return Ramp(std::abs(AspectDistance(DisplayAspect) - AspectDistance(HalfAspect)), 0.02, 0.08);
}

// How far Many outnumbers Few beyond chance, as a standard score turned
// into a certainty: a handful of votes, or an even split, says little.
double VoteCertainty(int Many, int Few)
{
  const int Votes = Many + Few;
  if (Votes <= 0 || Many <= Few) {
    return 0;
  }
  const double Score = (Many - Few) / std::sqrt(static_cast<double>(Votes));
  return Ramp(Score, 1.5, 3.5);
}

struct TEyeOrder {
  bool FirstLeft = true;
  double Confidence = 0;
};

TEyeOrder JudgeEyeOrder(const TSplitVotes& Votes)
{
  // Hidden strips at edges tell the order wherever the screen plane is.
  const double ByLeft = VoteCertainty(Votes.FirstLeft, Votes.FirstRight);
  const double ByRight = VoteCertainty(Votes.FirstRight, Votes.FirstLeft);
  if (ByLeft > 0 || ByRight > 0) {
    return {ByLeft > 0, std::max(ByLeft, ByRight)};
  }
  // Only the sign of the disparities is left, right where most of the scene
  // is behind the screen (a point there sits further left in the left eye's
  // view): a guess under that assumption, never sure.
  constexpr double AssumptionWeight = 0.5;
  const bool PositiveWins = Votes.Positive >= Votes.Negative;
  const double Sign = PositiveWins ? VoteCertainty(Votes.Positive, Votes.Negative)
                                   : VoteCertainty(Votes.Negative, Votes.Positive);
  return {PositiveWins, AssumptionWeight * Sign};
}

TLayoutGuess JudgeMono(const std::array<TSplitVotes, SplitCount>& Pooled)
{
  // 2D needs blocks that would have been found had the frame held two
  // views, in both splits, and few of them found: detail that nothing can
  // match says nothing either way.
  double Confidence = 1;
  for (const TSplitVotes& Votes : Pooled) {
    Confidence = std::min({Confidence, Ramp(Votes.Informing(), 30, 120),
                           Ramp(Share(Votes.Informing(), Votes.Textured), 0.1, 0.3),
                           Ramp(0.35 - Share(Votes.Matched, Votes.Informing()), 0.0, 0.2)});
  }
  TLayoutGuess Guess;
  Guess.LayoutIndex = LayoutIndex(TLayout::Mono);
  Guess.LayoutConfidence = Confidence;
  Guess.EyeOrderConfidence = 1;
  Guess.Confidence = Confidence;
  return Guess;
}

} // namespace

TSplitVotes& TSplitVotes::operator+=(const TSplitVotes& Other)
{
  Textured += Other.Textured;
  Matched += Other.Matched;
  Unmatched += Other.Unmatched;
  Level += Other.Level;
  Positive += Other.Positive;
  Negative += Other.Negative;
  FirstLeft += Other.FirstLeft;
  FirstRight += Other.FirstRight;
  return *this;
}

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
      Detailed += BlockDetail(Image.Row(Y) + X, Image.Width) >= MinBlockDetail ? 1 : 0;
    }
  }
  // A title card or a fade shows detail in a few blocks at most.
  return Blocks == 0 || Share(Detailed, Blocks) < 0.05;
}

TFrameVotes CompareHalves(const TGrayImage& Frame)
{
  TFrameVotes Votes;
  if (Frame.Width < 4 * BlockSize || Frame.Height < 4 * BlockSize) {
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
      Pooled[Index] += Frame.Splits[Index];
    }
  }
  const double SideBySide = Share(Pooled[0].Matched, Pooled[0].Informing());
  const double OverUnder = Share(Pooled[1].Matched, Pooled[1].Informing());
  const TSplit Split = SideBySide >= OverUnder ? TSplit::SideBySide : TSplit::OverUnder;
  const TSplitVotes& Votes = Pooled[static_cast<std::size_t>(Split)];
  const double Best = std::max(SideBySide, OverUnder);
  const double Other = std::min(SideBySide, OverUnder);
  if (Best < 0.25) {
    return JudgeMono(Pooled);
  }
  // Two views: most informing blocks found, few in the other split, and a
  // scene with depth: a clip put twice into the frame, or a pattern that
  // repeats at the half's size, matches at one disparity everywhere.
  const int Deep = Votes.Matched - Votes.Level;
  const double Layout =
      std::min({Ramp(Votes.Informing(), 20, 80), Ramp(Best, 0.4, 0.65), Ramp(Best - Other, 0.2, 0.45),
                Ramp(Share(Deep, Votes.Matched), 0.005, 0.02), Ramp(Deep, 2, 6),
                HalvesCertainty(Split, DisplayAspect)});
  const TEyeOrder Eyes = JudgeEyeOrder(Votes);
  TLayoutGuess Guess;
  Guess.LayoutConfidence = Layout;
  Guess.EyeOrderConfidence = Eyes.Confidence;
  Guess.Confidence = Layout * Eyes.Confidence;
  const bool Squeezed = HalvesSqueezed(Split, DisplayAspect);
  if (Split == TSplit::SideBySide) {
    Guess.LayoutIndex = LayoutIndex(SplitLayout(TLayoutFamily::SideBySide, Eyes.FirstLeft));
    Guess.HalfWidth = Squeezed;
  } else {
    Guess.LayoutIndex = LayoutIndex(SplitLayout(TLayoutFamily::OverUnder, Eyes.FirstLeft));
    Guess.HalfHeight = Squeezed;
  }
  return Guess;
}

} // namespace Quillmark
