#pragma once
// What quillmark-tag says about files: the lines on its error stream and the
// error objects of its JSON, in one form for every command.
#include "metadata/MetadataEditor.h"

#include <nlohmann/json.hpp>
#include <string>

namespace Quillmark {

// How much a command tells beyond its errors and the output asked for.
enum class TVerbosity { Quiet, Normal, Verbose };

// "quillmark-tag: FILE: TEXT" with its line end; FILE as the user named it
// (or as a folder gave it), folder included.
std::string FileLine(const std::string& File, const std::string& Text);
// "quillmark-tag: TEXT" with its line end, about no file in particular.
std::string ToolLine(const std::string& Text);

// The cause of a failed open or save, cause first: "not found", "disk
// full", "side file found: PATH"; advice only where it applies. Otherwise
// when the editor gave no cause.
std::string CauseText(const TFailureReason& Reason, const std::string& Otherwise);
// The cause's code for programs, or Otherwise when the editor gave none.
std::string CauseCode(const TFailureReason& Reason, const std::string& Otherwise);

// A save's failure: the cause, then that nothing was saved.
std::string NotSavedText(const TFailureReason& Reason);

// The "error" member of a failed file's JSON object.
nlohmann::ordered_json ErrorJson(const std::string& Code, const std::string& Message);

// Codes of failures that name no cause of the system.
inline constexpr const char* RefusedCode = "refused";       // a value the save's rules refuse
inline constexpr const char* VideoCode = "video";           // the video could not be looked at
inline constexpr const char* UnreadableCode = "unreadable"; // the header could not be read

} // namespace Quillmark
