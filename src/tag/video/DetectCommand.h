#pragma once
// quillmark-tag detect: the stereo layout of each file's video, as the
// frames show it.
#include "tag/VideoOptions.h"

#include <iosfwd>

namespace Quillmark {

// One line per file, or a JSON array of objects with file, layout (a stored
// layout key, Mono for 2D), halfWidth, halfHeight, confidence (0 to 1: the
// chance that the whole answer is right), sure (confidence of at least
// 0.6), layoutConfidence (the family and halves alone) and
// eyeOrderConfidence (null for 2D). A guess that is not sure is printed as
// such, with what it is unsure of. 0 when every file's video could be
// looked at; 1 when one could not (a line on Err, the JSON holds it with
// its error, and the other files are still looked at).
int RunDetect(const TDetectOptions& Options, std::ostream& Out, std::ostream& Err);

} // namespace Quillmark
