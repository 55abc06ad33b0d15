#pragma once
// quillmark-tag show: the sixteen values of each file as the window shows
// them after opening it.
#include "catalogue/Catalogue.h"

#include "tag/ToolLines.h"

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

namespace Quillmark {

struct TShowOptions {
  bool Json = false;
  bool Recursive = false; // folders among Files: their subfolders too
  TVerbosity Verbosity = TVerbosity::Normal;
  std::vector<std::string> Files;
};

// The sixteen values as show prints them, label and text, in the window's
// order: boxes as "yes" or "no", an empty value as an empty text.
std::vector<std::pair<std::string, std::string>> ValueLines(const TCatalogueValues& Values);

// Prints the file's name, then a line "  Label:  value" for each of Lines.
void PrintValueLines(const std::string& File, const std::vector<std::pair<std::string, std::string>>& Lines,
                     std::ostream& Out);

// 0 when every file was shown; 1 when one was not (a line on Err, and the
// other files are still shown). JSON is one array of objects, a failed
// file's with its error.
int RunShow(const TShowOptions& Options, std::ostream& Out, std::ostream& Err);

} // namespace Quillmark
