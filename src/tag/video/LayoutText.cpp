#include "tag/video/LayoutText.h"

#include "metadata/Catalogue.h"
#include "metadata/TextConversion.h"
#include "video/VideoLook.h"

#include <cmath>
#include <cstdio>

namespace Quillmark {

std::string GuessKey(const TLayoutGuess& Guess)
{
  const char16_t* Key = LayoutKeyAt(Guess.LayoutIndex);
  return Utf16ToUtf8(Key != nullptr ? Key : u"Mono");
}

double RoundedConfidence(const TLayoutGuess& Guess)
{
  return std::round(Guess.Confidence * 100.0) / 100.0;
}

std::string GuessText(const TLayoutGuess& Guess)
{
  char Confidence[16];
  std::snprintf(Confidence, sizeof Confidence, "%.2f", RoundedConfidence(Guess));
  return GuessKey(Guess) + " (" + DescribeLayout(Guess) + "), confidence " + Confidence +
         (Guess.Sure() ? "" : ", not sure");
}

} // namespace Quillmark
