#include "tag/DumpCommand.h"

#include "catalogue/Catalogue.h"
#include "metadata/TextConversion.h"

#include "tag/AttributeText.h"
#include "tag/CatalogueFile.h"
#include "tag/EachFile.h"
#include "tag/MatroskaCatalogue.h"
#include "tag/MatroskaCommands.h"

#include <nlohmann/json.hpp>
#include <ostream>
#include <utility>

namespace Quillmark {

namespace {

// The catalogued text an attribute copies under another name, which a save
// keeps in step with it; empty for none. Only file-level copies count.
std::string CopyOf(const TListedAttribute& A)
{
  const TCatalogueEntry* Copied = A.Stream == 0 ? CopiedEntry(Utf8ToUtf16(A.Name)) : nullptr;
  return Copied != nullptr ? Utf16ToUtf8(Copied->Name) : std::string();
}

void PrintText(const std::string& File, const std::vector<TListedAttribute>& Attributes, std::ostream& Out)
{
  Out << File << '\n';
  for (const TListedAttribute& A : Attributes) {
    Out << "  stream " << A.Stream << "  language " << A.Language << "  " << TypeName(A.Type) << "  "
        << EscapeText(A.Name) << " = " << ValueText(A);
    if (const std::string Copied = CopyOf(A); !Copied.empty()) {
      Out << "  (copy of " << Copied << ')';
    }
    Out << '\n';
  }
}

nlohmann::json FileJson(const std::string& File, const std::vector<TListedAttribute>& Attributes)
{
  nlohmann::json List = nlohmann::json::array();
  for (const TListedAttribute& A : Attributes) {
    nlohmann::json Item = {{"name", A.Name},
                           {"stream", A.Stream},
                           {"language", A.Language},
                           {"type", TypeName(A.Type)},
                           {"value", ValueJson(A)}};
    if (const std::string Copied = CopyOf(A); !Copied.empty()) {
      Item["copyOf"] = Copied;
    }
    List.push_back(std::move(Item));
  }
  return {{"file", File}, {"attributes", List}};
}

bool DumpAsf(const std::string& File, const TDumpOptions& Options, TJsonFileArray* Files, std::ostream& Out,
             std::ostream& Err)
{
  std::vector<TListedAttribute> Attributes;
  std::string SideFile;
  TFailureReason Reason;
  HRESULT Result = ListAttributes(File, Attributes, &SideFile, &Reason);
  if (!SideFile.empty() && Options.Verbosity != TVerbosity::Quiet) {
    Err << FileLine(File, SideFile);
  }
  if (Result != S_OK) {
    const std::string Message = CauseText(Reason, ResultName(Result));
    Err << FileLine(File, Message);
    if (Files != nullptr) {
      const std::string Member = Files->Member(File);
      Files->Add(
          nlohmann::json{{"file", Member}, {"error", ErrorJson(CauseCode(Reason, UnreadableCode), Message)}});
    }
    return false;
  }
  if (Files != nullptr) {
    Files->Add(FileJson(Files->Member(File), Attributes));
  } else {
    PrintText(File, Attributes, Out);
  }
  return true;
}

} // namespace

int RunDump(const TDumpOptions& Options, std::ostream& Out, std::ostream& Err)
{
  return PrintEachFile(Options.Files, Options.Recursive, Options.Json, Out, Err,
                       [&](const std::string& File, TJsonFileArray* Files) {
                         if (THeldFile Held = OpenIfMatroska(File, false, true)) {
                           return DumpMatroska(File, std::move(Held), Files, Out, Err);
                         }
                         return DumpAsf(File, Options, Files, Out, Err);
                       });
}

} // namespace Quillmark
