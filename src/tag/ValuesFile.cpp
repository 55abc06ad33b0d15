#include "tag/ValuesFile.h"

#include "catalogue/BoundedRead.h"
#include "tag/BoundedJson.h"
#include "tag/CatalogueJson.h"

#include <cstring>
#include <exception>

namespace Quillmark {

namespace {

std::string ValuesFromJson(const std::vector<std::uint8_t>& Bytes, TCatalogueValues& Values)
{
  std::string Problem;
  nlohmann::json Json = ParseBoundedJson(Bytes, Problem);
  if (!Problem.empty()) {
    return Problem;
  }
  // The array show --json prints is taken when it holds one file.
  if (Json.is_array()) {
    if (Json.size() != 1) {
      return "holds " + std::to_string(Json.size()) + " files' values; expected one";
    }
    Json = Json[0];
  }
  return ApplyCatalogueJson(Json, Values);
}

} // namespace

std::string ValuesFromBytes(const std::vector<std::uint8_t>& Bytes, TCatalogueValues& Values)
{
  try {
    return ValuesFromJson(Bytes, Values);
  } catch (const std::exception& Error) {
    return std::string("cannot be used: ") + Error.what();
  }
}

std::string ReadValuesFile(const std::string& Path, TCatalogueValues& Values)
{
  std::vector<std::uint8_t> Bytes;
  const TBoundedReadResult Read = ReadBoundedFile(Path, MaxValuesFileBytes, Bytes);
  switch (Read.Status) {
  case TBoundedRead::Ok:
    break;
  case TBoundedRead::CannotOpen:
    return std::string("cannot be read") +
           (Read.Error != 0 ? std::string(": ") + std::strerror(Read.Error) : "");
  case TBoundedRead::NotRegular:
    return "is not a regular file";
  case TBoundedRead::TooLarge:
    return "is larger than a values file can be";
  }
  return ValuesFromBytes(Bytes, Values);
}

} // namespace Quillmark
