#pragma once
// The diagnostic log: one line per write, each ended by CR LF. The program
// keeps no log of its own; a descriptor is set here only by whoever wants
// the lines (a debugging session, a test).
#include <string>

namespace Quillmark {

// No log file: writes do nothing.
inline constexpr int NoLogFile = -1;

// A POSIX file descriptor open for writing, or NoLogFile. NoLogFile from
// start-up; the log never opens or closes it.
extern int LogFileHandle;

// Appends CR LF to Text and hands the whole byte string to one write call,
// so a line is never interleaved with another writer's. Errors are ignored:
// a diagnostic must never disturb the program.
void WriteLog(const std::string& Text);

} // namespace Quillmark
