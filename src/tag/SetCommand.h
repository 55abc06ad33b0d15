#pragma once
// quillmark-tag set: changes the named values of each file and saves them
// with the window's rules and messages.
#include <array>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "tag/ToolLines.h"
#include "tag/VideoOptions.h"

namespace Quillmark {

struct TVideoWork;

enum class TPictureChange { Keep, Load, Remove };

struct TSetOptions {
  // A value left empty (no option given) keeps the file's own value.
  std::optional<bool> Stereo;
  std::optional<bool> HalfWidth;
  std::optional<bool> HalfHeight;
  std::optional<std::string> Layout; // a stored key
  // The values held as texts (see IsTextField), by attribute, as typed
  // into the window's edits, UTF-8; empty clears.
  std::array<std::optional<std::string>, CatalogueSize> Texts;
  std::optional<std::string>& Text(TAttribute Attribute)
  {
    return Texts[static_cast<std::size_t>(Attribute)];
  }
  const std::optional<std::string>& Text(TAttribute Attribute) const
  {
    return Texts[static_cast<std::size_t>(Attribute)];
  }
  TPictureChange Preview = TPictureChange::Keep;
  std::string PreviewFile;
  TPictureChange Poster = TPictureChange::Keep;
  std::string PosterFile;
  // What show --json printed for one file: every value but the pictures is
  // taken from it before the options above are applied.
  std::optional<std::string> ValuesFile;
  // The stereo box, layout and half boxes from the tags in each file's name.
  bool LayoutFromName = false;
  // Changes taken from the file's own video, after the options above.
  TVideoChangeOptions Video;
  // What makes those changes; the tool built without video work has none.
  const TVideoWork* VideoWork = nullptr;
  bool DryRun = false;
  // One JSON array on Out, an object per file with what became of it
  // (see SetReport.h); the messages still go to Err.
  bool Json = false;
  bool ShowProgress = false;
  // Quiet: errors only; Verbose: for each file saved, how it was written
  // and which copies of its texts were kept in step.
  TVerbosity Verbosity = TVerbosity::Normal;
  bool Recursive = false; // folders among Files: their subfolders too
  std::vector<std::string> Files;
};

// Whether the options set a value of the stereo tab that is only stored
// with the Stereoscopic box ticked, which they then tick.
bool TicksStereo(const TSetOptions& Options);

// 0 when every file was saved (or, with DryRun, would be); 1 when one was
// not: each message is a line "quillmark-tag: FILE: message" on Err (see
// ToolLines.h), the JSON holds the file with its error, and the other files are
// still tried. 2, before any file is tried, when the values file or a
// picture cannot be used. A dry run opens each file for reading only and
// prints on Out, for each file, each value that would change, old and new. Files are saved in groups that
// share their syncs (see FlushEditors).
int RunSet(const TSetOptions& Options, std::ostream& Out, std::ostream& Err);

} // namespace Quillmark
