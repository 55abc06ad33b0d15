#include "tag/DumpCommand.h"

#include "tag/AttributeText.h"
#include "tag/CatalogueFile.h"
#include "tag/FileArguments.h"
#include "tag/JsonFileNames.h"

#include <nlohmann/json.hpp>
#include <ostream>

namespace Quillmark {

namespace {

void PrintText(const std::string& File, const std::vector<TListedAttribute>& Attributes, std::ostream& Out)
{
  Out << File << '\n';
  for (const TListedAttribute& A : Attributes) {
    Out << "  stream " << A.Stream << "  language " << A.Language << "  " << TypeName(A.Type) << "  "
        << EscapeText(A.Name) << " = " << ValueText(A) << '\n';
  }
}

nlohmann::json FileJson(const std::string& File, const std::vector<TListedAttribute>& Attributes)
{
  nlohmann::json List = nlohmann::json::array();
  for (const TListedAttribute& A : Attributes) {
    List.push_back({{"name", A.Name},
                    {"stream", A.Stream},
                    {"language", A.Language},
                    {"type", TypeName(A.Type)},
                    {"value", ValueJson(A)}});
  }
  return {{"file", File}, {"attributes", List}};
}

} // namespace

int RunDump(const TDumpOptions& Options, std::ostream& Out, std::ostream& Err)
{
  std::vector<std::string> Paths;
  int Status = ExpandFileArguments(Options.Files, Options.Recursive, Paths, Err) ? 0 : 1;
  nlohmann::json Files = nlohmann::json::array();
  TJsonFileNames Names;
  for (const std::string& File : Paths) {
    std::vector<TListedAttribute> Attributes;
    std::string SideFile;
    TFailureReason Reason;
    HRESULT Result = ListAttributes(File, Attributes, &SideFile, &Reason);
    if (!SideFile.empty()) {
      Err << "quillmark-tag: " << File << ": " << SideFile << '\n';
    }
    if (Result != S_OK) {
      Err << "quillmark-tag: " << File << ": " << WithReason(ResultName(Result), Reason) << '\n';
      Status = 1;
      continue;
    }
    if (Options.Json) {
      Files.push_back(FileJson(Names.Member(File), Attributes));
    } else {
      PrintText(File, Attributes, Out);
    }
  }
  if (Options.Json) {
    Out << Names.Finish(Files.dump(2)) << '\n';
  }
  return Status;
}

} // namespace Quillmark
