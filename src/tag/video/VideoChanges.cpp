#include "tag/video/VideoChanges.h"

#include "metadata/Catalogue.h"
#include "metadata/TextConversion.h"
#include "tag/ToolLines.h"
#include "tag/video/LayoutText.h"
#include "video/VideoLook.h"

#include <ostream>

namespace Quillmark {

namespace {

constexpr char16_t Separator = u'.';

void MakePicture(TPictureKind Kind, const std::string& Choice, TVideoFile& Video, TCatalogueValues& Values)
{
  const std::optional<double> Seconds = FrameSeconds(Choice);
  TVideoPicture Made = MakeVideoPicture(Video, Kind, Seconds, Values, Separator);
  (Kind == TPictureKind::Preview ? Values.Preview : Values.Poster) = std::move(Made.Picture);
  Values.Changed.Mark(Kind == TPictureKind::Preview ? TAttribute::StereoscopicPreview
                                                    : TAttribute::StereoDiscTitlePoster);
}

} // namespace

bool ApplyVideoChanges(const TVideoChangeOptions& Options, const std::string& File,
                       const TRef<IWMMetadataEditor2>& Editor, TCatalogueValues& Values, std::ostream& Out,
                       std::ostream& Err)
{
  TCatalogueValues Changed = Values;
  try {
    // One reader of the editor's own file, and one budget, for every change.
    TVideoFile Video(EditorVideoDescriptor(Editor));
    if (Options.DetectLayout) {
      const TLayoutGuess Guess = DetectLayout(Video, StatedIntroSeconds(Changed, Separator));
      if (!Guess.Sure()) {
        Err << FileLine(File, "the stereo layout could not be detected with confidence (" + GuessText(Guess) +
                                  "); the file was left as it was");
        return false;
      }
      Out << File << ": detected " << GuessText(Guess) << '\n';
      Changed.SetStereoLayout(Guess.LayoutIndex, Guess.HalfWidth, Guess.HalfHeight);
    }
    if (Options.PreviewFromVideo) {
      MakePicture(TPictureKind::Preview, *Options.PreviewFromVideo, Video, Changed);
    }
    if (Options.PosterFromVideo) {
      MakePicture(TPictureKind::Poster, *Options.PosterFromVideo, Video, Changed);
    }
  } catch (const EVideo& Error) {
    Err << FileLine(File, std::string(Error.what()) + "; the file was left as it was");
    return false;
  }
  Values = std::move(Changed);
  return true;
}

} // namespace Quillmark
