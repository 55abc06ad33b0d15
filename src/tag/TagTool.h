#pragma once
// quillmark-tag: the command-line tool over the metadata editor.
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace Quillmark {

struct TVideoWork;

// Exit status: 0 success, 1 a file could not be read, 2 a usage error.
// Without Video, a command that looks at videos is handed to the video
// program (see VideoHandOff.h).
int RunTagTool(int ArgumentCount, const char* const* Arguments, std::ostream& Out, std::ostream& Err,
               const TVideoWork* Video);
// Every option name the tool takes, short and long, by command ("" for
// the tool's own, before any command; a command's list holds those of the
// tool's own that may follow it), sorted: what its completion offers.
std::map<std::string, std::vector<std::string>> ToolOptionNames();
// The same on the process's own output streams.
int RunTagTool(int ArgumentCount, char** Arguments, const TVideoWork* Video);

} // namespace Quillmark
