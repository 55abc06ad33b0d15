#include "tag/VideoOptions.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <exception>

namespace Quillmark {

namespace {

const CLI::Validator& SecondsValidator()
{
  static const CLI::Validator Validator(
      [](std::string& Text) -> std::string {
        if (Text == RepresentativeFrameChoice || FrameSeconds(Text)) {
          return {};
        }
        return "'" + Text + "' is not a time in seconds";
      },
      "SECONDS");
  return Validator;
}

} // namespace

std::optional<double> FrameSeconds(const std::string& Choice)
{
  if (Choice == RepresentativeFrameChoice) {
    return std::nullopt;
  }
  std::size_t Used = 0;
  try {
    const double Seconds = std::stod(Choice, &Used);
    if (Used == Choice.size() && std::isfinite(Seconds) && Seconds >= 0) {
      return Seconds;
    }
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

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

} // namespace Quillmark
