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

double Rounded(double Confidence)
{
  return std::round(Confidence * 100.0) / 100.0;
}

namespace {

std::string Number(double Confidence)
{
  char Text[16];
  std::snprintf(Text, sizeof Text, "%.2f", Rounded(Confidence));
  return Text;
}

} // namespace

std::string GuessText(const TLayoutGuess& Guess)
{
  std::string Text =
      GuessKey(Guess) + " (" + DescribeLayout(Guess) + "), confidence " + Number(Guess.Confidence);
  if (!Guess.Sure()) {
    Text += ", not sure (layout " + Number(Guess.LayoutConfidence);
    if (GuessKey(Guess) != "Mono") {
      Text += ", eye order " + Number(Guess.EyeOrderConfidence);
    }
    Text += ")";
  }
  return Text;
}

} // namespace Quillmark
