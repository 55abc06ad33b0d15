#pragma once
// quillmark-tag: the command-line tool over the metadata editor.
#include <iosfwd>

namespace Quillmark {

// Exit status: 0 success, 1 a file could not be read, 2 a usage error.
int RunTagTool(int ArgumentCount, const char* const* Arguments, std::ostream& Out, std::ostream& Err);
// The same on the process's own output streams.
int RunTagTool(int ArgumentCount, char** Arguments);

} // namespace Quillmark
