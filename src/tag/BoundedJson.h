#pragma once
// Parsing JSON from a file the user named. The JSON library's parser
// recurses once per level of nesting, so a deeply nested text could exhaust
// the stack: nesting is bounded while the text is parsed.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace Quillmark {

// Deeper than anything this program writes or reads.
inline constexpr int MaxJsonDepth = 64;

// The parsed value; on failure a discarded value and the problem, as
// "is not valid JSON" or "is nested too deeply".
nlohmann::json ParseBoundedJson(const std::vector<std::uint8_t>& Bytes, std::string& Problem);

} // namespace Quillmark
