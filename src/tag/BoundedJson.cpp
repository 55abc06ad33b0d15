#include "tag/BoundedJson.h"

#include <algorithm>

namespace Quillmark {

namespace {

class ETooDeep : public std::exception {};

bool IsHex(std::uint8_t Char)
{
  return (Char >= '0' && Char <= '9') || (Char >= 'a' && Char <= 'f') || (Char >= 'A' && Char <= 'F');
}

// The value of the four-hex-digit \u escape at At, or -1 when there is none.
long EscapeAt(const std::vector<std::uint8_t>& Text, std::size_t At)
{
  if (At + 6 > Text.size() || Text[At] != '\\' || Text[At + 1] != 'u') {
    return -1;
  }
  for (std::size_t Digit = At + 2; Digit < At + 6; ++Digit) {
    if (!IsHex(Text[Digit])) {
      return -1;
    }
  }
  return std::stol(std::string(Text.begin() + static_cast<std::ptrdiff_t>(At + 2),
                               Text.begin() + static_cast<std::ptrdiff_t>(At + 6)),
                   nullptr, 16);
}

// A name that is no UTF-8 is printed with its bytes as lone low surrogates
// (\udc80 to \udcff), which the parser refuses; read back they stand for
// U+FFFD, as any text that is not Unicode does in this program.
std::vector<std::uint8_t> WithEscapedBytesReplaced(std::vector<std::uint8_t> Text)
{
  bool AfterHigh = false;
  for (std::size_t At = 0; At < Text.size(); ++At) {
    if (Text[At] != '\\') {
      AfterHigh = false;
      continue;
    }
    const long Unit = EscapeAt(Text, At);
    if (Unit >= 0xDC80 && Unit <= 0xDCFF && !AfterHigh) {
      const char* Replacement = "fffd";
      std::copy(Replacement, Replacement + 4, Text.begin() + static_cast<std::ptrdiff_t>(At + 2));
    }
    AfterHigh = Unit >= 0xD800 && Unit <= 0xDBFF;
    At += Unit >= 0 ? 5 : 1; // past the escape, or past the escaped character
  }
  return Text;
}

} // namespace

nlohmann::json ParseBoundedJson(const std::vector<std::uint8_t>& Bytes, std::string& Problem)
{
  // The callback sees each object and array as it opens, before the parser
  // goes a level deeper, and stops the parse by throwing past it.
  auto Bound = [](int Depth, nlohmann::json::parse_event_t Event, nlohmann::json&) {
    const bool Opens = Event == nlohmann::json::parse_event_t::object_start ||
                       Event == nlohmann::json::parse_event_t::array_start;
    if (Opens && Depth >= MaxJsonDepth) {
      throw ETooDeep();
    }
    return true;
  };
  Problem.clear();
  try {
    const std::vector<std::uint8_t> Text = WithEscapedBytesReplaced(Bytes);
    nlohmann::json Json = nlohmann::json::parse(Text.begin(), Text.end(), Bound, false);
    if (Json.is_discarded()) {
      Problem = "is not valid JSON";
    }
    return Json;
  } catch (const ETooDeep&) {
    Problem = "is nested too deeply";
  }
  return nlohmann::json(nlohmann::json::value_t::discarded);
}

} // namespace Quillmark
