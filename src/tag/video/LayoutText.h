#pragma once
// How quillmark-tag words a detected layout.
#include <string>

#include "video/LayoutDetection.h"

namespace Quillmark {

// The stored key of the guess ("Mono" for 2D).
std::string GuessKey(const TLayoutGuess& Guess);

// "SideBySideLF (side by side, left image first, half width), confidence
// 0.93", with ", not sure" after a guess below the sure confidence.
std::string GuessText(const TLayoutGuess& Guess);

// The confidence rounded to two decimals.
double RoundedConfidence(const TLayoutGuess& Guess);

} // namespace Quillmark
