#pragma once
// How quillmark-tag words a detected layout.
#include <string>

#include "video/LayoutDetection.h"

namespace Quillmark {

// The stored key of the guess ("Mono" for 2D).
std::string GuessKey(const TLayoutGuess& Guess);

// "SideBySideLF (side by side, left image first, half width), confidence
// 0.93"; a guess below the sure confidence is followed by what it is unsure
// of: ", not sure (layout 0.95, eye order 0.40)".
std::string GuessText(const TLayoutGuess& Guess);

// Confidence rounded to two decimals.
double Rounded(double Confidence);

} // namespace Quillmark
