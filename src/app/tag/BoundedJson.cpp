#include "tag/BoundedJson.h"

namespace Quillmark {

namespace {

class ETooDeep : public std::exception {};

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
    nlohmann::json Json = nlohmann::json::parse(Bytes.begin(), Bytes.end(), Bound, false);
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
