#pragma once
// quillmark-tag compact: gives back the room each file's header holds
// beyond a small margin (see asf/HeaderCompact.h).
#include "tag/ToolLines.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace Quillmark {

struct TCompactOptions {
  bool DryRun = false; // say how much would be given back; the files are only read
  bool Json = false;
  bool Recursive = false; // folders among Files: their subfolders too
  TVerbosity Verbosity = TVerbosity::Normal;
  std::vector<std::string> Files;
};

// One line per file on Out, "FILE: gave back N bytes" (a dry run: "would
// give back"), or "nothing to give back"; with Json one array of objects
// with file and freed (a dry run: wouldFree), and for a failed file its
// error. 0 when every file was compacted (or needed nothing); 1 when one
// failed: a line on Err, and the other files are still tried.
int RunCompact(const TCompactOptions& Options, std::ostream& Out, std::ostream& Err);

} // namespace Quillmark
