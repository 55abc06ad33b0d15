#include "tag/video/VideoChanges.h"

#include "metadata/Catalogue.h"
#include "metadata/TextConversion.h"
#include "tag/video/LayoutText.h"
#include "video/VideoLook.h"

#include <ostream>

namespace Quillmark {

namespace {

constexpr char16_t Separator = u'.';

void MakePicture(TPictureKind Kind, const std::string& Choice, const std::string& File,
                 TCatalogueValues& Values)
{
  const std::optional<double> Seconds = FrameSeconds(Choice);
  TVideoPicture Made = MakeVideoPicture(File, Kind, Seconds, Values, Separator);
  (Kind == TPictureKind::Preview ? Values.Preview : Values.Poster) = std::move(Made.Picture);
  Values.Changed.Mark(Kind == TPictureKind::Preview ? TAttribute::StereoscopicPreview
                                                    : TAttribute::StereoDiscTitlePoster);
}

} // namespace

bool ApplyVideoChanges(const TVideoChangeOptions& Options, const std::string& File, TCatalogueValues& Values,
                       std::ostream& Out, std::ostream& Err)
{
  TCatalogueValues Changed = Values;
  try {
    if (Options.DetectLayout) {
      const TLayoutGuess Guess = DetectLayout(File, StatedIntroSeconds(Changed, Separator));
      if (!Guess.Sure()) {
        Err << File << ": the stereo layout could not be detected with confidence (" << GuessText(Guess)
            << "); the file was left as it was\n";
        return false;
      }
      Out << File << ": detected " << GuessText(Guess) << '\n';
      Changed.SetStereoLayout(Guess.LayoutIndex, Guess.HalfWidth, Guess.HalfHeight);
    }
    if (Options.PreviewFromVideo) {
      MakePicture(TPictureKind::Preview, *Options.PreviewFromVideo, File, Changed);
    }
    if (Options.PosterFromVideo) {
      MakePicture(TPictureKind::Poster, *Options.PosterFromVideo, File, Changed);
    }
  } catch (const EVideo& Error) {
    Err << File << ": " << Error.what() << "; the file was left as it was\n";
    return false;
  }
  Values = std::move(Changed);
  return true;
}

} // namespace Quillmark
