// Detection with the first round of samples allowed to settle the answer on
// every video, whatever its frames cost: bench_detect.py --early-stop runs
// it over the detection set to show that the rule changes no answer. Prints
// the JSON array `quillmark-tag detect --json` prints (the set's files state
// no 2D intro, so none is read from their headers).
//   DetectEarlyStop FILE...
#include "tag/video/LayoutText.h"
#include "video/VideoLook.h"

#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

namespace {

using namespace Quillmark;

nlohmann::ordered_json GuessJson(const std::string& File, const TLayoutGuess& Guess)
{
  nlohmann::ordered_json Json;
  Json["file"] = File;
  Json["layout"] = GuessKey(Guess);
  Json["halfWidth"] = Guess.HalfWidth;
  Json["halfHeight"] = Guess.HalfHeight;
  Json["confidence"] = Rounded(Guess.Confidence);
  Json["sure"] = Guess.Sure();
  Json["layoutConfidence"] = Rounded(Guess.LayoutConfidence);
  if (Json["layout"] == "Mono") {
    Json["eyeOrderConfidence"] = nullptr;
  } else {
    Json["eyeOrderConfidence"] = Rounded(Guess.EyeOrderConfidence);
  }
  return Json;
}

} // namespace

int main(int Count, char** Arguments)
{
  nlohmann::ordered_json Files = nlohmann::ordered_json::array();
  int Status = 0;
  for (int Index = 1; Index < Count; ++Index) {
    const std::string File = Arguments[Index];
    try {
      TVideoFile Video(File);
      Files.push_back(GuessJson(File, DetectLayout(Video, 0, TEarlyAnswer::Always)));
    } catch (const EVideo& Error) {
      std::cerr << File << ": " << Error.what() << '\n';
      Status = 1;
    }
  }
  std::cout << Files.dump(2) << '\n';
  return Status;
}
