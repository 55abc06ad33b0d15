#pragma once
// quillmark-tag: the command-line tool over the metadata editor.
#include <iosfwd>

namespace Quillmark {

struct TVideoWork;

// Exit status: 0 success, 1 a file could not be read, 2 a usage error.
// Without Video, a command that looks at videos is handed to the video
// program (see VideoWork.h).
int RunTagTool(int ArgumentCount, const char* const* Arguments, std::ostream& Out, std::ostream& Err,
               const TVideoWork* Video);
// The same on the process's own output streams.
int RunTagTool(int ArgumentCount, char** Arguments, const TVideoWork* Video);

} // namespace Quillmark
