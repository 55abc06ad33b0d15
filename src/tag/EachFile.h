#pragma once
// The loop of a command that reads file after file and prints each: the
// arguments expanded to files, the files read ahead, and the output either
// text or one JSON array streamed as the files are read.
#include "tag/JsonFileNames.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace Quillmark {

// Prints one file, as text on the command's output or as one more member of
// Files (null for text); false after a line about a failure.
using TPrintFile = std::function<bool(const std::string& File, TJsonFileArray* Files)>;

// Calls Print for each file Arguments name (folders: their files, and with
// Recursive their subfolders' too), in order. 0 when every file was
// printed, 1 when an argument or a file was not (the others still are).
int PrintEachFile(const std::vector<std::string>& Arguments, bool Recursive, bool Json, std::ostream& Out,
                  std::ostream& Err, const TPrintFile& Print);

} // namespace Quillmark
