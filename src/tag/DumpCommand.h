#pragma once
// quillmark-tag dump: every attribute of a header, in all streams and
// languages, as text or JSON.
#include <iosfwd>
#include <string>
#include <vector>

namespace Quillmark {

struct TDumpOptions {
  bool Json = false;
  bool Recursive = false; // folders among Files: their subfolders too
  std::vector<std::string> Files;
};

// 0 when every file was read; 1 when one was not (a line on Err names it, and
// the other files are still listed).
int RunDump(const TDumpOptions& Options, std::ostream& Out, std::ostream& Err);

} // namespace Quillmark
