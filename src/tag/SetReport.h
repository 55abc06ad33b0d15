#pragma once
// What set did with each file, for set --json: one object per file, in the
// order of the files, printed once every file was tried.
#include "metadata/MetadataEditor.h"
#include "tag/JsonFileNames.h"

#include <cstddef>
#include <iosfwd>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace Quillmark {

// One value a save would change, as show prints it.
struct TValueChange {
  std::string Label;
  std::string Old;
  std::string New;
};

class TSetReport {
public:
  // A report that is not Json keeps nothing.
  explicit TSetReport(bool Json) : FJson(Json) {}

  // Each file is begun in its order, before anything else is told of it.
  void Begin(std::size_t Position, const std::string& File);
  // The side file its open found, with the line printed about it.
  void SideFile(std::size_t Position, const TSideFileReport& Report, const std::string& Line);
  // A dry run's outcome: the values that would change.
  void WouldSave(std::size_t Position, const std::vector<TValueChange>& Changes);
  // Way: how it was written (empty when nothing needed writing); Kept: the
  // copies of its texts kept in step.
  void Saved(std::size_t Position, const std::string& Way, const std::vector<std::string>& Kept);
  // Code: FailureCauseKey's, or one of ToolLines.h's; Message: the line
  // printed after "quillmark-tag: FILE: ".
  void Failed(std::size_t Position, const std::string& Code, const std::string& Message);

  // The array, when Json.
  void Print(std::ostream& Out) const;

private:
  nlohmann::ordered_json* Entry(std::size_t Position);

  bool FJson;
  TJsonFileNames FNames;
  std::map<std::size_t, nlohmann::ordered_json> FEntries;
};

// The key of a side file state, such as "rolled-back"; empty for None.
std::string SideFileStateKey(TSideFileState State);

} // namespace Quillmark
