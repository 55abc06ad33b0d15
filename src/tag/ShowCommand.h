#pragma once
// quillmark-tag show: the sixteen values of each file as the window shows
// them after opening it.
#include <iosfwd>
#include <string>
#include <vector>

namespace Quillmark {

struct TShowOptions {
  bool Json = false;
  std::vector<std::string> Files;
};

// 0 when every file was shown; 1 when one was not ("FILE: message" on Err,
// and the other files are still shown). JSON is one array of objects.
int RunShow(const TShowOptions& Options, std::ostream& Out, std::ostream& Err);

} // namespace Quillmark
