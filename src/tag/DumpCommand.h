#pragma once
// quillmark-tag dump: every attribute of a header, in all streams and
// languages, as text or JSON.
#include "tag/ToolLines.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace Quillmark {

struct TDumpOptions {
  bool Json = false;
  bool Recursive = false; // folders among Files: their subfolders too
  TVerbosity Verbosity = TVerbosity::Normal;
  std::vector<std::string> Files;
};

// 0 when every file was read; 1 when one was not (a line on Err names it,
// the JSON holds it with its error, and the other files are still listed).
// A copy of a catalogued text under another name is marked as one.
int RunDump(const TDumpOptions& Options, std::ostream& Out, std::ostream& Err);

} // namespace Quillmark
