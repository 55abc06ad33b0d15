#include "video/VideoLook.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <optional>
#include <thread>

#include "catalogue/Catalogue.h"
#include "catalogue/NumberSyntax.h"
#include "metadata/TextConversion.h"

namespace Quillmark {

namespace {

constexpr double UnitsPerSecond = 10'000'000.0;
// Tries at later times when the representative frame is black or flat.
constexpr int FlatRetries = 6;

// Sample times spread evenly over the part after the intro, each in the
// middle of its stretch so that the first and last frames (often black)
// are avoided.
std::vector<double> SampleTimes(double Duration, double IntroSeconds, int Count)
{
  std::vector<double> Times;
  if (!(Duration > 0)) {
    Times.push_back(0);
    return Times;
  }
  const double Start = IntroSeconds < Duration ? IntroSeconds : 0;
  const double Length = Duration - Start;
  for (int Index = 0; Index < Count; ++Index) {
    Times.push_back(Start + Length * (Index + 0.5) / Count);
  }
  return Times;
}

bool IsLargeFrame(int Width, int Height)
{
  return static_cast<long long>(Width) * Height > LargeFramePixels;
}

// Reads the samples Indices of Times from Video.
void ReadSamples(TVideoFile& Video, const std::vector<double>& Times, const std::vector<std::size_t>& Indices,
                 std::vector<TDetectionSample>& Samples)
{
  for (const std::size_t Index : Indices) {
    TGrayFrame Frame;
    try {
      Frame = Video.LumaAt(Times[Index], false, MaxAnalysisWidth, MaxAnalysisHeight);
    } catch (const EVideoCancelled&) {
      throw;
    } catch (const EVideoBudget&) {
      throw;
    } catch (const EVideo&) {
      continue; // a damaged stretch: the other samples still count
    }
    Samples[Index] = {true, Frame.Seconds, Frame.KeyFrameBytes, CompareHalves(Frame.Image)};
  }
}

TLayoutGuess JudgeSamples(const std::vector<TDetectionSample>& Samples, double DisplayAspect)
{
  std::vector<TFrameVotes> Frames;
  const TDetectionSample* Last = nullptr;
  for (const TDetectionSample& Sample : Samples) {
    // Samples closer than the key frame spacing land on the same frame.
    if (!Sample.Read || (Last != nullptr && Last->Seconds == Sample.Seconds)) {
      continue;
    }
    Last = &Sample;
    Frames.push_back(Sample.Votes);
  }
  if (Frames.empty()) {
    throw EVideo("No picture of the video can be decoded");
  }
  return JudgeLayout(Frames, DisplayAspect);
}

bool IsStereoLayout(int LayoutIndex)
{
  const std::optional<TLayout> Layout = LayoutAt(LayoutIndex);
  return Layout && *Layout != TLayout::Mono;
}

} // namespace

int DetectionSampleCount(int Width, int Height)
{
  return IsLargeFrame(Width, Height) ? LargeFrameSamples : DetectionSamples;
}

double StatedIntroSeconds(const TCatalogueValues& Values, char16_t Separator)
{
  if (IsBlank(Values.Duration)) {
    return 0;
  }
  const std::optional<std::int64_t> Units = ParseDurationUnits(Values.Duration, Separator);
  if (!Units || *Units <= 0) {
    return 0;
  }
  return static_cast<double>(*Units) / UnitsPerSecond;
}

TVideoDescriptor EditorVideoDescriptor(const TRef<IWMMetadataEditor>& Editor)
{
  TVideoDescriptor File(DuplicateOpenFile(Editor));
  if (File.Get() < 0) {
    throw EVideo(std::string("The open file cannot be read for its video: ") + std::strerror(errno));
  }
  return File;
}

namespace {

// Every other one of Indices, from the First.
std::vector<std::size_t> Alternate(const std::vector<std::size_t>& Indices, std::size_t First)
{
  std::vector<std::size_t> Taken;
  for (std::size_t Index = First; Index < Indices.size(); Index += 2) {
    Taken.push_back(Indices[Index]);
  }
  return Taken;
}

// Decoding is most of the work: Second, a second reader of the same
// descriptor, takes every other sample at the same time. Without it (it
// did not open) Video reads them all.
void ReadSamplesOnTwoReaders(TVideoFile& Video, TVideoFile* Second, const std::vector<double>& Times,
                             const std::vector<std::size_t>& Indices, std::vector<TDetectionSample>& Samples)
{
  if (Second == nullptr) {
    ReadSamples(Video, Times, Indices, Samples);
    return;
  }
  std::exception_ptr HelperError;
  std::thread Helper([&] {
    try {
      ReadSamples(*Second, Times, Alternate(Indices, 1), Samples);
    } catch (...) {
      HelperError = std::current_exception();
    }
  });
  std::exception_ptr Error;
  try {
    ReadSamples(Video, Times, Alternate(Indices, 0), Samples);
  } catch (...) {
    Error = std::current_exception();
  }
  Helper.join();
  if (Error) {
    std::rethrow_exception(Error);
  }
  if (HelperError) {
    std::rethrow_exception(HelperError);
  }
}

// The second reader, made before Video reads on, as it takes over what
// Video found out; none when it cannot be opened, unless the look was
// cancelled or its budget spent.
std::unique_ptr<TVideoFile> OpenSecondReader(const TVideoFile& Video)
{
  try {
    return Video.SecondReader();
  } catch (const EVideoCancelled&) {
    throw;
  } catch (const EVideoBudget&) {
    throw;
  } catch (const EVideo&) {
    return nullptr;
  }
}

// The first round: two samples a quarter of the count in from either end,
// past a 2D intro or a fade-in of the first quarter and apart enough to
// show different scenes.
std::vector<std::size_t> FirstRound(std::size_t Count)
{
  if (Count < 2) {
    return {};
  }
  return {Count / 4, Count - 1 - Count / 4};
}

bool SameAnswer(const TLayoutGuess& One, const TLayoutGuess& Other)
{
  return One.LayoutIndex == Other.LayoutIndex && One.HalfWidth == Other.HalfWidth &&
         One.HalfHeight == Other.HalfHeight;
}

// True when neither frame has an edge that tells the eyes apart in the
// split of Guess.
bool NoEyeEdges(const std::vector<TDetectionSample>& Round, const TLayoutGuess& Guess)
{
  const std::optional<TLayout> Layout = LayoutAt(Guess.LayoutIndex);
  const TSplit Split = Layout && LayoutEntry(*Layout).Family == TLayoutFamily::SideBySide ? TSplit::SideBySide
                                                                                          : TSplit::OverUnder;
  return std::all_of(Round.begin(), Round.end(), [&](const TDetectionSample& Sample) {
    const TSplitVotes& Votes = Sample.Votes.Of(Split);
    return Votes.FirstLeft == 0 && Votes.FirstRight == 0;
  });
}

} // namespace

bool FirstRoundSettles(const std::vector<TDetectionSample>& Round, int Width, int Height,
                       double DisplayAspect, TEarlyAnswer Rule)
{
  if (Round.size() != 2 || !Round[0].Read || !Round[1].Read || Round[0].Seconds == Round[1].Seconds) {
    return false;
  }
  const bool Costly = IsLargeFrame(Width, Height) &&
                      std::all_of(Round.begin(), Round.end(), [](const TDetectionSample& Sample) {
                        return Sample.KeyFrameBytes >= CostlyKeyFrameBytes;
                      });
  if (Rule == TEarlyAnswer::WhenCostly && !Costly) {
    return false;
  }
  const TLayoutGuess Together = JudgeLayout({Round[0].Votes, Round[1].Votes}, DisplayAspect);
  if (!IsStereoLayout(Together.LayoutIndex) || !Together.LayoutSure()) {
    return false;
  }
  for (const TDetectionSample& Sample : Round) {
    const TLayoutGuess Alone = JudgeLayout({Sample.Votes}, DisplayAspect);
    if (!Alone.LayoutSure() || !SameAnswer(Alone, Together)) {
      return false;
    }
  }
  return Together.EyeOrderSure() || NoEyeEdges(Round, Together);
}

TLayoutGuess DetectLayout(TVideoFile& Video, double IntroSeconds, TEarlyAnswer Rule)
{
  const std::vector<double> Times =
      SampleTimes(Video.Duration(), IntroSeconds, DetectionSampleCount(Video.Width(), Video.Height()));
  std::vector<TDetectionSample> Samples(Times.size());
  const std::unique_ptr<TVideoFile> Second = OpenSecondReader(Video);
  const bool TwoRounds = Rule == TEarlyAnswer::Always || IsLargeFrame(Video.Width(), Video.Height());
  const std::vector<std::size_t> First = TwoRounds ? FirstRound(Times.size()) : std::vector<std::size_t>{};
  std::vector<std::size_t> Rest;
  for (std::size_t Index = 0; Index < Times.size(); ++Index) {
    if (std::find(First.begin(), First.end(), Index) == First.end()) {
      Rest.push_back(Index);
    }
  }
  bool Settled = false;
  if (!First.empty()) {
    ReadSamplesOnTwoReaders(Video, Second.get(), Times, First, Samples);
    const std::vector<TDetectionSample> Round = {Samples[First[0]], Samples[First[1]]};
    Settled = FirstRoundSettles(Round, Video.Width(), Video.Height(), Video.DisplayAspect(), Rule);
  }
  if (!Settled) {
    ReadSamplesOnTwoReaders(Video, Second.get(), Times, Rest, Samples);
  }
  // Detection reads a stretch of the video at each sample, which at 8K
  // takes most of the budget: what is read after it (the pictures of the
  // layout found) is a look of its own.
  Video.RenewBudget();
  return JudgeSamples(Samples, Video.DisplayAspect());
}

TLayoutGuess DetectLayout(const std::string& Path, double IntroSeconds, const std::atomic<bool>* Cancel)
{
  TVideoFile Video(Path, Cancel);
  return DetectLayout(Video, IntroSeconds);
}

double DefaultPictureTime(double Duration, double IntroSeconds)
{
  if (!(Duration > 0)) {
    return 0;
  }
  const double Start = IntroSeconds < Duration ? std::max(0.0, IntroSeconds) : 0;
  return Start + (Duration - Start) / 3;
}

TVideoFrame RepresentativeFrame(TVideoFile& Video, double IntroSeconds)
{
  const double Duration = Video.Duration();
  const double First = DefaultPictureTime(Duration, IntroSeconds);
  const double Step = Duration > 0 ? (Duration - First) / (FlatRetries + 1) : 0;
  std::optional<TVideoFrame> Fallback;
  for (int Try = 0; Try <= FlatRetries; ++Try) {
    TVideoFrame Frame;
    try {
      Frame = Video.FrameAt(First + Step * Try, false);
    } catch (const EVideoCancelled&) {
      throw;
    } catch (const EVideoBudget&) {
      throw;
    } catch (const EVideo&) {
      continue;
    }
    if (!IsFlat(AnalysisImage(Frame.Image))) {
      return Frame;
    }
    if (!Fallback) {
      Fallback = std::move(Frame);
    }
    if (Step <= 0) {
      break;
    }
  }
  if (!Fallback) {
    throw EVideo("No picture of the video can be decoded");
  }
  return *Fallback;
}

TFrameLayout DetectedPictureLayout(const TLayoutGuess& Guess)
{
  if (Guess.LayoutSure() && IsStereoLayout(Guess.LayoutIndex)) {
    return {Guess.LayoutIndex, Guess.HalfWidth, Guess.HalfHeight};
  }
  return {};
}

TFrameLayout PictureLayout(TVideoFile& Video, const TCatalogueValues& Values, double IntroSeconds)
{
  if (Values.Stereo && Values.LayoutIndex >= 0) {
    return {Values.LayoutIndex, Values.HalfWidth, Values.HalfHeight};
  }
  return DetectedPictureLayout(DetectLayout(Video, IntroSeconds));
}

TVideoPicture MakeVideoPicture(TVideoFile& Video, TPictureKind Kind, std::optional<double> Seconds,
                               const TCatalogueValues& Values, char16_t Separator)
{
  const double Intro = StatedIntroSeconds(Values, Separator);
  return MakeVideoPicture(Video, Kind, Seconds, PictureLayout(Video, Values, Intro), Intro);
}

TVideoPicture MakeVideoPicture(TVideoFile& Video, TPictureKind Kind, std::optional<double> Seconds,
                               const TFrameLayout& Layout, double IntroSeconds)
{
  return MakeVideoPicture(PictureFrame(Video, Seconds, IntroSeconds), Kind, Video.DisplayAspect(), Layout);
}

TVideoFrame PictureFrame(TVideoFile& Video, std::optional<double> Seconds, double IntroSeconds)
{
  return Seconds ? Video.FrameAt(*Seconds, true) : RepresentativeFrame(Video, IntroSeconds);
}

TVideoPicture MakeVideoPicture(const TVideoFrame& Frame, TPictureKind Kind, double FrameAspect,
                               const TFrameLayout& Layout)
{
  return {MakeFramePicture(Kind, Frame.Image, FrameAspect, Layout), Frame.Seconds};
}

TVideoPicture MakeVideoPicture(const std::string& Path, TPictureKind Kind, std::optional<double> Seconds,
                               const TCatalogueValues& Values, char16_t Separator,
                               const std::atomic<bool>* Cancel)
{
  TVideoFile Video(Path, Cancel);
  return MakeVideoPicture(Video, Kind, Seconds, Values, Separator);
}

namespace {

std::string HalvesText(const TLayoutGuess& Guess)
{
  if (Guess.HalfWidth) {
    return ", half width";
  }
  return Guess.HalfHeight ? ", half height" : ", full resolution";
}

bool SideBySide(const TLayoutGuess& Guess)
{
  const std::optional<TLayout> Layout = LayoutAt(Guess.LayoutIndex);
  return Layout && LayoutEntry(*Layout).Family == TLayoutFamily::SideBySide;
}

} // namespace

std::string DescribeFamily(const TLayoutGuess& Guess)
{
  if (!IsStereoLayout(Guess.LayoutIndex)) {
    return "2D (monoscopic)";
  }
  return (SideBySide(Guess) ? "side by side" : "over/under") + HalvesText(Guess);
}

std::pair<std::string, std::string> FamilyKeys(const TLayoutGuess& Guess)
{
  if (!IsStereoLayout(Guess.LayoutIndex)) {
    return {};
  }
  const TLayoutFamily Family = SideBySide(Guess) ? TLayoutFamily::SideBySide : TLayoutFamily::OverUnder;
  return {Utf16ToUtf8(LayoutEntry(SplitLayout(Family, true)).Key),
          Utf16ToUtf8(LayoutEntry(SplitLayout(Family, false)).Key)};
}

std::string DescribeLayout(const TLayoutGuess& Guess)
{
  if (Guess.LayoutIndex < 0 || !IsStereoLayout(Guess.LayoutIndex)) {
    return "2D (monoscopic)";
  }
  // A split layout is described by its caption in lower case.
  const TLayoutEntry& Layout = LayoutEntry(*LayoutAt(Guess.LayoutIndex));
  std::string Text = "stereo";
  if (IsSplitLayout(Guess.LayoutIndex)) {
    Text = Utf16ToUtf8(Layout.Caption);
    std::transform(Text.begin(), Text.end(), Text.begin(),
                   [](char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C; });
  }
  return Text + HalvesText(Guess);
}

} // namespace Quillmark
