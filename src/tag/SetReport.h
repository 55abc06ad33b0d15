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
  // Refusals of values and layouts, which name no failure of the system.
  static constexpr const char* RefusedKey = "refused";
  // Changes taken from the file's video that could not be made.
  static constexpr const char* VideoKey = "video";
  // A file whose values could not be read.
  static constexpr const char* UnreadableKey = "unreadable";

  // A report that is not Json keeps nothing.
  explicit TSetReport(bool Json) : FJson(Json) {}

  // Each file is begun in its order, before anything else is told of it.
  void Begin(std::size_t Position, const std::string& File);
  // The side file its open found, with the line printed about it.
  void SideFile(std::size_t Position, const TSideFileReport& Report, const std::string& Line);
  // A dry run's outcome: the values that would change.
  void WouldSave(std::size_t Position, const std::vector<TValueChange>& Changes);
  void Saved(std::size_t Position);
  // Key: FailureCauseKey's, or one of the keys above; Message: the line
  // printed after "FILE: ".
  void Failed(std::size_t Position, const std::string& Key, const std::string& Message);

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
