#include "tag/video/DetectCommand.h"

#include "tag/CatalogueFile.h"
#include "tag/EachFile.h"
#include "tag/ToolLines.h"
#include "tag/video/LayoutText.h"
#include "video/VideoLook.h"

#include <nlohmann/json.hpp>
#include <ostream>

namespace Quillmark {

namespace {

// The 2D intro the file's header states; none when the header cannot be
// read, which leaves the video itself to be looked at.
double IntroOf(const std::string& File)
{
  TOpenedCatalogue Opened;
  if (!OpenCatalogue(File, TOpenAccess::Read, Opened).empty()) {
    return 0;
  }
  Opened.Editor->Close();
  return StatedIntroSeconds(Opened.Values, u'.');
}

// The video is opened, and checked to be a regular file, before anything
// else of the file is read; its frames come through that descriptor alone.
// The header is only read for its intro and let go, so the file is never
// held locked.
TLayoutGuess DetectFile(const std::string& File)
{
  TVideoFile Video(File);
  return DetectLayout(Video, IntroOf(File));
}

nlohmann::ordered_json GuessJson(const std::string& FileMember, const TLayoutGuess& Guess)
{
  nlohmann::ordered_json Json;
  Json["file"] = FileMember;
  Json["layout"] = GuessKey(Guess);
  Json["halfWidth"] = Guess.HalfWidth;
  Json["halfHeight"] = Guess.HalfHeight;
  Json["confidence"] = Rounded(Guess.Confidence);
  Json["sure"] = Guess.Sure();
  Json["layoutConfidence"] = Rounded(Guess.LayoutConfidence);
  // 2D has no eye order to be unsure of.
  if (Json["layout"] == "Mono") {
    Json["eyeOrderConfidence"] = nullptr;
  } else {
    Json["eyeOrderConfidence"] = Rounded(Guess.EyeOrderConfidence);
  }
  return Json;
}

} // namespace

namespace {

bool PrintDetected(const std::string& File, TJsonFileArray* Files, std::ostream& Out, std::ostream& Err)
{
  TLayoutGuess Guess;
  try {
    Guess = DetectFile(File);
  } catch (const EVideo& Error) {
    Err << FileLine(File, Error.what());
    if (Files != nullptr) {
      nlohmann::ordered_json Failed;
      Failed["file"] = Files->Member(File);
      Failed["error"] = ErrorJson(VideoCode, Error.what());
      Files->Add(Failed);
    }
    return false;
  }
  if (Files != nullptr) {
    Files->Add(GuessJson(Files->Member(File), Guess));
  } else {
    Out << File << ": " << GuessText(Guess) << '\n';
  }
  return true;
}

} // namespace

int RunDetect(const TDetectOptions& Options, std::ostream& Out, std::ostream& Err)
{
  return PrintEachFile(
      Options.Files, Options.Recursive, Options.Json, Out, Err,
      [&](const std::string& File, TJsonFileArray* Files) { return PrintDetected(File, Files, Out, Err); });
}

} // namespace Quillmark
