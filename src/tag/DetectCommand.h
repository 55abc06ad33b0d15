#pragma once
// quillmark-tag detect: the stereo layout of each file's video, as the
// frames show it.
#include <iosfwd>
#include <string>
#include <vector>

namespace Quillmark {

struct TDetectOptions {
  bool Json = false;
  bool Recursive = false; // folders among Files: their subfolders too
  std::vector<std::string> Files;
};

// One line per file, or a JSON array of objects with file, layout (a stored
// layout key, Mono for 2D), halfWidth, halfHeight and confidence (0 to 1).
// A guess below the sure confidence is printed as such. 0 when every file's
// video could be looked at; 1 when one could not (a line on Err, the JSON
// holds it with its error, and the other files are still looked at).
int RunDetect(const TDetectOptions& Options, std::ostream& Out, std::ostream& Err);

} // namespace Quillmark
