#include "tag/EachFile.h"

#include "tag/FileArguments.h"
#include "tag/ReadAhead.h"

#include <optional>

namespace Quillmark {

int PrintEachFile(const std::vector<std::string>& Arguments, bool Recursive, bool Json, std::ostream& Out,
                  std::ostream& Err, const TPrintFile& Print)
{
  std::vector<std::string> Paths;
  int Status = ExpandFileArguments(Arguments, Recursive, Paths, Err) ? 0 : 1;
  std::optional<TJsonFileArray> Files;
  if (Json) {
    Files.emplace(Out);
  }
  TReadAhead Ahead(Paths);
  for (std::size_t Position = 0; Position < Paths.size(); ++Position) {
    Ahead.Reached(Position);
    Status |= Print(Paths[Position], Files ? &*Files : nullptr) ? 0 : 1;
  }
  if (Files) {
    Files->Close();
  }
  return Status;
}

} // namespace Quillmark
