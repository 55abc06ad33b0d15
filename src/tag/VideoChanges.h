#pragma once
// The changes of quillmark-tag set that look at the file's video: the
// detected layout and the pictures made from a frame.
#include <iosfwd>
#include <optional>
#include <string>

#include "metadata/CatalogueValues.h"

namespace CLI {
class App;
}

namespace Quillmark {

struct TVideoChangeOptions {
  bool DetectLayout = false;
  // "true" for the representative frame, else the frame's time in seconds.
  std::optional<std::string> PreviewFromVideo;
  std::optional<std::string> PosterFromVideo;

  bool Any() const { return DetectLayout || PreviewFromVideo || PosterFromVideo; }
};

// Adds --detect-layout, --preview-from-video[=SECONDS] and
// --poster-from-video[=SECONDS] to the set command.
void AddVideoChangeOptions(CLI::App& Set, TVideoChangeOptions& Options);

// Changes Values of File as the options ask, reading the file's video; the
// 2D intro Values state is skipped. On a guess that is not sure, or a video
// that cannot be looked at, it says so on Err ("FILE: message"), leaves
// Values as they were and returns false: the file is then left alone. What
// was detected goes to Out.
bool ApplyVideoChanges(const TVideoChangeOptions& Options, const std::string& File, TCatalogueValues& Values,
                       std::ostream& Out, std::ostream& Err);

} // namespace Quillmark
