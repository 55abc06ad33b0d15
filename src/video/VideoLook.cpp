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

struct TSample {
  bool Read = false;
  double Seconds = 0;
  TFrameVotes Votes;
};

// Reads the samples Start, Start + Step, ... of Times from Video.
void ReadSamples(TVideoFile& Video, const std::vector<double>& Times, std::size_t Start, std::size_t Step,
                 std::vector<TSample>& Samples)
{
  for (std::size_t Index = Start; Index < Times.size(); Index += Step) {
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
    Samples[Index] = {true, Frame.Seconds, CompareHalves(Frame.Image)};
  }
}

TLayoutGuess JudgeSamples(const std::vector<TSample>& Samples, double DisplayAspect)
{
  std::vector<TFrameVotes> Frames;
  const TSample* Last = nullptr;
  for (const TSample& Sample : Samples) {
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

// Decoding is most of the work: a second reader of the same descriptor
// takes every other sample at the same time. It is opened here, before
// Video reads on, as it takes over what Video found out.
void ReadSamplesOnTwoReaders(TVideoFile& Video, const std::vector<double>& Times,
                             std::vector<TSample>& Samples)
{
  std::exception_ptr HelperError;
  std::unique_ptr<TVideoFile> Second;
  try {
    Second = Video.SecondReader();
  } catch (...) {
    HelperError = std::current_exception();
  }
  std::thread Helper([&] {
    try {
      if (Second) {
        ReadSamples(*Second, Times, 1, 2, Samples);
      }
    } catch (...) {
      HelperError = std::current_exception();
    }
  });
  std::exception_ptr Error;
  try {
    ReadSamples(Video, Times, 0, 2, Samples);
  } catch (...) {
    Error = std::current_exception();
  }
  Helper.join();
  if (Error) {
    std::rethrow_exception(Error);
  }
  if (HelperError) {
    try {
      std::rethrow_exception(HelperError);
    } catch (const EVideoCancelled&) {
      throw;
    } catch (const EVideoBudget&) {
      throw;
    } catch (const EVideo&) {
      // The second reader did not open: its samples are read here.
      ReadSamples(Video, Times, 1, 2, Samples);
    }
  }
}

} // namespace

TLayoutGuess DetectLayout(TVideoFile& Video, double IntroSeconds)
{
  const std::vector<double> Times =
      SampleTimes(Video.Duration(), IntroSeconds, DetectionSampleCount(Video.Width(), Video.Height()));
  std::vector<TSample> Samples(Times.size());
  ReadSamplesOnTwoReaders(Video, Times, Samples);
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
