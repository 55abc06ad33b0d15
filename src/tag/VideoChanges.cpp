#include "tag/VideoChanges.h"

#include "metadata/Catalogue.h"
#include "metadata/TextConversion.h"
#include "tag/LayoutText.h"
#include "video/VideoLook.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <ostream>

namespace Quillmark {

namespace {

// What a flag without a value holds.
constexpr const char* DefaultFrame = "true";
constexpr char16_t Separator = u'.';

std::optional<double> SecondsOf(const std::string& Text)
{
  std::size_t Used = 0;
  try {
    const double Seconds = std::stod(Text, &Used);
    if (Used == Text.size() && std::isfinite(Seconds) && Seconds >= 0) {
      return Seconds;
    }
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

const CLI::Validator& SecondsValidator()
{
  static const CLI::Validator Validator(
      [](std::string& Text) -> std::string {
        if (Text == DefaultFrame || SecondsOf(Text)) {
          return {};
        }
        return "'" + Text + "' is not a time in seconds";
      },
      "SECONDS");
  return Validator;
}

void MakePicture(TPictureKind Kind, const std::string& Choice, const std::string& File,
                 TCatalogueValues& Values)
{
  const std::optional<double> Seconds = Choice == DefaultFrame ? std::nullopt : SecondsOf(Choice);
  TVideoPicture Made = MakeVideoPicture(File, Kind, Seconds, Values, Separator);
  (Kind == TPictureKind::Preview ? Values.Preview : Values.Poster) = std::move(Made.Picture);
  Values.Changed.Mark(Kind == TPictureKind::Preview ? TAttribute::StereoscopicPreview
                                                    : TAttribute::StereoDiscTitlePoster);
}

} // namespace

void AddVideoChangeOptions(CLI::App& Set, TVideoChangeOptions& Options)
{
  Set.add_flag(
      "--detect-layout", Options.DetectLayout,
      "Tick the Stereoscopic box and set the layout and the half boxes from the video's frames; a file "
      "whose layout is not detected with confidence is left as it was");
  CLI::Option* Preview = Set.add_flag(
      "--preview-from-video", Options.PreviewFromVideo,
      "Make the preview from the video's frame at SECONDS (by default a third into the part after "
      "the 2D intro): the left view, 160 x 120 with black bars, at most 10,240 bytes");
  CLI::Option* Poster = Set.add_flag("--poster-from-video", Options.PosterFromVideo,
                                     "Make the title poster from the video's frame at SECONDS (as for the "
                                     "preview): the left view, its shorter side at least 480 pixels");
  for (CLI::Option* Option : {Preview, Poster}) {
    Option->option_text("[=SECONDS]")->check(SecondsValidator());
  }
  for (const char* Name : {"--preview", "--no-preview"}) {
    if (CLI::Option* Other = Set.get_option_no_throw(Name)) {
      Preview->excludes(Other);
    }
  }
  for (const char* Name : {"--poster", "--no-poster"}) {
    if (CLI::Option* Other = Set.get_option_no_throw(Name)) {
      Poster->excludes(Other);
    }
  }
}

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
      Changed.Stereo = true;
      Changed.LayoutIndex = Guess.LayoutIndex;
      Changed.HalfWidth = Guess.HalfWidth;
      Changed.HalfHeight = Guess.HalfHeight;
      for (TAttribute Attribute : {TAttribute::Stereoscopic, TAttribute::StereoscopicLayout,
                                   TAttribute::StereoscopicHalfWidth, TAttribute::StereoscopicHalfHeight}) {
        Changed.Changed.Mark(Attribute);
      }
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
