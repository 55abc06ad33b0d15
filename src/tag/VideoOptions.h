#pragma once
// The options of quillmark-tag that look at a file's video. They are parsed
// by every build of the tool; the work itself is done by the video program
// (see VideoHandOff.h).
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace Quillmark {

// quillmark-tag detect's.
struct TDetectOptions {
  bool Json = false;
  bool Recursive = false; // folders among Files: their subfolders too
  std::vector<std::string> Files;
};

struct TVideoChangeOptions {
  bool DetectLayout = false;
  // "true" for the representative frame, else the frame's time in seconds.
  std::optional<std::string> PreviewFromVideo;
  std::optional<std::string> PosterFromVideo;

  bool Any() const { return DetectLayout || PreviewFromVideo || PosterFromVideo; }
};

// What --preview-from-video and --poster-from-video hold without a value.
inline constexpr const char* RepresentativeFrameChoice = "true";

// The frame time a --*-from-video value names: none for the representative
// frame or a value that is not a time in seconds.
std::optional<double> FrameSeconds(const std::string& Choice);

// Adds --detect-layout, --preview-from-video[=SECONDS] and
// --poster-from-video[=SECONDS] to the set command.
void AddVideoChangeOptions(CLI::App& Set, TVideoChangeOptions& Options);

} // namespace Quillmark
