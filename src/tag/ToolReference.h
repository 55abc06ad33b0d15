#pragma once
// The texts installed beside quillmark-tag that list its options: the bash
// completion and the manual page. The build writes them from templates,
// filling in the lists from the tool's own options and the attribute table,
// so that neither goes stale when an option or an attribute is added.
#include <string>
#include <string_view>

namespace Quillmark {

// The completion script: the template's @COMMANDS@, @COMMAND_PATTERN@,
// @TOOL_OPTIONS@, @COMMAND_OPTIONS@, @VALUE_OPTIONS@ and @LAYOUT_KEYS@
// filled in. Throws std::invalid_argument when a word is missing.
std::string CompletionScript(std::string_view Template);

// The manual page: the template's line @TEXT_OPTIONS@ becomes the lines
// naming set's text options. Throws std::invalid_argument when it is missing.
std::string ManualPage(std::string_view Template);

// Writes Output from Template ("completion" or "manual" says which);
// 0, or 1 with a line on standard error.
int WriteToolReference(const std::string& Kind, const std::string& Template, const std::string& Output);

} // namespace Quillmark
