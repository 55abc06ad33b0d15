#include "tag/SetReport.h"

#include "tag/ToolLines.h"

#include <ostream>

namespace Quillmark {

std::string SideFileStateKey(TSideFileState State)
{
  switch (State) {
  case TSideFileState::None:
    return {};
  case TSideFileState::Found:
    return "found";
  case TSideFileState::Pending:
    return "pending";
  case TSideFileState::RolledBack:
    return "rolled-back";
  case TSideFileState::Completed:
    return "completed";
  case TSideFileState::Removed:
    return "removed";
  }
  return {};
}

nlohmann::ordered_json* TSetReport::Entry(std::size_t Position)
{
  if (!FJson) {
    return nullptr;
  }
  const auto Found = FEntries.find(Position);
  return Found != FEntries.end() ? &Found->second : nullptr;
}

void TSetReport::Begin(std::size_t Position, const std::string& File)
{
  if (FJson) {
    nlohmann::ordered_json Json;
    Json["file"] = FNames.Member(File);
    FEntries[Position] = std::move(Json);
  }
}

void TSetReport::SideFile(std::size_t Position, const TSideFileReport& Report, const std::string& Line)
{
  if (auto* Json = Entry(Position); Json != nullptr && Report.State != TSideFileState::None) {
    (*Json)["sideFile"] = {{"path", Report.Path},
                           {"state", SideFileStateKey(Report.State)},
                           {"editing", SideFileStateKey(Report.Editing)},
                           {"message", Line}};
  }
}

void TSetReport::WouldSave(std::size_t Position, const std::vector<TValueChange>& Changes)
{
  if (auto* Json = Entry(Position)) {
    nlohmann::ordered_json List = nlohmann::ordered_json::array();
    for (const TValueChange& Change : Changes) {
      List.push_back({{"label", Change.Label}, {"old", Change.Old}, {"new", Change.New}});
    }
    (*Json)["wouldSave"] = !Changes.empty();
    (*Json)["changes"] = std::move(List);
  }
}

void TSetReport::Saved(std::size_t Position, const std::string& Way, const std::vector<std::string>& Kept)
{
  if (auto* Json = Entry(Position)) {
    (*Json)["saved"] = true;
    (*Json)["way"] = Way.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(Way);
    (*Json)["keptInStep"] = Kept;
  }
}

void TSetReport::Failed(std::size_t Position, const std::string& Code, const std::string& Message)
{
  if (auto* Json = Entry(Position)) {
    (*Json)["saved"] = false;
    (*Json)["error"] = ErrorJson(Code, Message);
  }
}

void TSetReport::Print(std::ostream& Out) const
{
  if (!FJson) {
    return;
  }
  nlohmann::ordered_json Files = nlohmann::ordered_json::array();
  for (const auto& [Position, Json] : FEntries) {
    Files.push_back(Json);
  }
  // A message may quote a name that is not UTF-8; only "file" keeps its bytes.
  Out << FNames.Finish(Files.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)) << '\n';
}

} // namespace Quillmark
