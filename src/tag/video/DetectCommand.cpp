#include "tag/DetectCommand.h"

#include "tag/CatalogueFile.h"
#include "tag/JsonFileNames.h"
#include "tag/video/LayoutText.h"
#include "video/VideoLook.h"

#include <nlohmann/json.hpp>
#include <ostream>

namespace Quillmark {

namespace {

// Detects the layout of File's video. When the header reads, the video is
// read from the file the editor opened and its stated 2D intro is skipped;
// otherwise the file is opened for its video alone.
TLayoutGuess DetectFile(const std::string& File)
{
  TOpenedCatalogue Opened;
  if (!OpenCatalogue(File, TOpenAccess::Read, Opened).empty()) {
    TVideoFile Video(File);
    return DetectLayout(Video, 0);
  }
  TVideoDescriptor Descriptor;
  try {
    Descriptor = EditorVideoDescriptor(Opened.Editor);
  } catch (const EVideo&) {
    Opened.Editor->Close();
    throw;
  }
  // The copy of the descriptor holds the editor's shared lock on until the
  // video is let go.
  Opened.Editor->Close();
  TVideoFile Video(std::move(Descriptor));
  return DetectLayout(Video, StatedIntroSeconds(Opened.Values, u'.'));
}

nlohmann::ordered_json GuessJson(const std::string& FileMember, const TLayoutGuess& Guess)
{
  nlohmann::ordered_json Json;
  Json["file"] = FileMember;
  Json["layout"] = GuessKey(Guess);
  Json["halfWidth"] = Guess.HalfWidth;
  Json["halfHeight"] = Guess.HalfHeight;
  Json["confidence"] = RoundedConfidence(Guess);
  return Json;
}

} // namespace

int RunDetect(const TDetectOptions& Options, std::ostream& Out, std::ostream& Err)
{
  int Status = 0;
  nlohmann::ordered_json Files = nlohmann::ordered_json::array();
  TJsonFileNames Names;
  for (const std::string& File : Options.Files) {
    TLayoutGuess Guess;
    try {
      Guess = DetectFile(File);
    } catch (const EVideo& Error) {
      Err << File << ": " << Error.what() << '\n';
      Status = 1;
      continue;
    }
    if (Options.Json) {
      Files.push_back(GuessJson(Names.Member(File), Guess));
    } else {
      Out << File << ": " << GuessText(Guess) << '\n';
    }
  }
  if (Options.Json) {
    Out << Names.Finish(Files.dump(2)) << '\n';
  }
  return Status;
}

} // namespace Quillmark
