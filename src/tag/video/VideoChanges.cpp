#include "tag/video/VideoChanges.h"

#include "catalogue/Catalogue.h"
#include "metadata/TextConversion.h"
#include "tag/ToolLines.h"
#include "tag/video/LayoutText.h"
#include "video/VideoLook.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <ostream>
#include <sstream>

namespace Quillmark {

namespace {

constexpr char16_t Separator = u'.';

// The frame pictures are made from, read once for the preview and the poster
// when both are made from the same time: at 8K reading and converting it
// costs more than making either picture.
struct TPictureSource {
  TVideoFile& Video;
  TFrameLayout Layout;
  double IntroSeconds = 0;
  bool Read = false;
  std::optional<double> ReadAt; // the time asked for; none: the representative frame
  TVideoFrame Frame;

  const TVideoFrame& FrameFor(std::optional<double> Seconds)
  {
    if (!Read || ReadAt != Seconds) {
      Read = false;
      Frame = PictureFrame(Video, Seconds, IntroSeconds);
      Read = true;
      ReadAt = Seconds;
    }
    return Frame;
  }
};

void MakePicture(TPictureKind Kind, const std::string& Choice, TPictureSource& Source,
                 TCatalogueValues& Values)
{
  const TVideoFrame& Frame = Source.FrameFor(FrameSeconds(Choice));
  TVideoPicture Made = MakeVideoPicture(Frame, Kind, Source.Video.DisplayAspect(), Source.Layout);
  (Kind == TPictureKind::Preview ? Values.Preview : Values.Poster) = std::move(Made.Picture);
  Values.Changed.Mark(Kind == TPictureKind::Preview ? TAttribute::StereoscopicPreview
                                                    : TAttribute::StereoDiscTitlePoster);
}

// The changes, from the video Open gives (it throws EVideo when it cannot).
bool ApplyToVideo(const TVideoChangeOptions& Options, const std::string& File,
                  const std::function<TVideoDescriptor()>& Open, TCatalogueValues& Values, std::ostream& Out,
                  std::ostream& Err)
{
  TCatalogueValues Changed = Values;
  try {
    // One reader of the open file, and one budget, for every change.
    TVideoFile Video(Open());
    const double Intro = StatedIntroSeconds(Changed, Separator);
    std::optional<TFrameLayout> Layout;
    if (Options.DetectLayout) {
      const TLayoutGuess Guess = DetectLayout(Video, Intro);
      if (Guess.Sure()) {
        Out << File << ": detected " << GuessText(Guess) << '\n';
        Changed.SetStereoLayout(Guess.LayoutIndex, Guess.HalfWidth, Guess.HalfHeight);
      } else if (Guess.LayoutSure() && GuessKey(Guess) != "Mono") {
        // The family is known and either eye's view makes a right picture;
        // only the layout waits for the user's word on the eye order.
        const auto [LeftFirst, RightFirst] = FamilyKeys(Guess);
        std::ostringstream Said;
        Said << "detected " << DescribeFamily(Guess) << " (layout confidence "
             << Rounded(Guess.LayoutConfidence)
             << "), but which eye comes first cannot be told from the frames (eye order confidence "
             << Rounded(Guess.EyeOrderConfidence) << "); the layout was not stored: choose it with --layout "
             << LeftFirst << " or --layout " << RightFirst;
        Err << FileLine(File, Said.str());
        Layout = DetectedPictureLayout(Guess);
      } else {
        Err << FileLine(File, "the stereo layout could not be detected with confidence (" + GuessText(Guess) +
                                  "); the file was left as it was");
        return false;
      }
    }
    if (Options.PreviewFromVideo || Options.PosterFromVideo) {
      // One layout for both pictures: the video is looked at once.
      if (!Layout) {
        Layout = PictureLayout(Video, Changed, Intro);
      }
      TPictureSource Source{Video, *Layout, Intro, false, std::nullopt, {}};
      if (Options.PreviewFromVideo) {
        MakePicture(TPictureKind::Preview, *Options.PreviewFromVideo, Source, Changed);
      }
      if (Options.PosterFromVideo) {
        MakePicture(TPictureKind::Poster, *Options.PosterFromVideo, Source, Changed);
      }
    }
  } catch (const EVideo& Error) {
    Err << FileLine(File, std::string(Error.what()) + "; the file was left as it was");
    return false;
  }
  Values = std::move(Changed);
  return true;
}

} // namespace

bool ApplyVideoChanges(const TVideoChangeOptions& Options, const std::string& File,
                       const TRef<IWMMetadataEditor2>& Editor, TCatalogueValues& Values, std::ostream& Out,
                       std::ostream& Err)
{
  return ApplyToVideo(
      Options, File, [&Editor] { return EditorVideoDescriptor(Editor); }, Values, Out, Err);
}

bool ApplyFileVideoChanges(const TVideoChangeOptions& Options, const std::string& File, int Fd,
                           TCatalogueValues& Values, std::ostream& Out, std::ostream& Err)
{
  const auto Open = [Fd] {
    TVideoDescriptor Copy(fcntl(Fd, F_DUPFD_CLOEXEC, 0));
    if (Copy.Get() < 0) {
      throw EVideo(std::string("The open file cannot be read for its video: ") + std::strerror(errno));
    }
    return Copy;
  };
  return ApplyToVideo(Options, File, Open, Values, Out, Err);
}

} // namespace Quillmark
