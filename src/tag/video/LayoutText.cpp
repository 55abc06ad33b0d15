#include "tag/video/LayoutText.h"

#include "catalogue/Layouts.h"
#include "metadata/TextConversion.h"
#include "video/VideoLook.h"

#include <cmath>
#include <cstdio>

namespace Quillmark {

namespace {

// No layout is taken for 2D.
TLayout GuessLayout(const TLayoutGuess& Guess)
{
  return LayoutAt(Guess.LayoutIndex).value_or(TLayout::Mono);
}

} // namespace

std::string GuessKey(const TLayoutGuess& Guess)
{
  return Utf16ToUtf8(LayoutEntry(GuessLayout(Guess)).Key);
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
    if (GuessLayout(Guess) != TLayout::Mono) {
      Text += ", eye order " + Number(Guess.EyeOrderConfidence);
    }
    Text += ")";
  }
  return Text;
}

} // namespace Quillmark
