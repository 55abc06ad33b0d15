#pragma once
// The options of set that give one value as text: every catalogued value
// held as a text, named by the catalogue's option column. The command line,
// its help and its refusals all take them from here.
#include "catalogue/Catalogue.h"

#include <string>

namespace Quillmark {

// Whether an attribute is given on set's command line as a text.
constexpr bool IsValueOption(const TCatalogueEntry& Row)
{
  return IsTextField(Row.Field.Kind);
}

// "--title"
std::string OptionName(const TCatalogueEntry& Row);

// In the help: "TEXT", "SECONDS", "PIXELS", "N".
const char* OptionTypeName(const TCatalogueEntry& Row);

// The help line; a value stored only with Stereoscopic says that it ticks
// --stereo.
std::string OptionHelp(const TCatalogueEntry& Row);

// The tool's words for a refusal of the window's: a value the user gave is
// named with its option; one the file holds and the user did not give is
// named with its stored text and the option that replaces it.
std::string RefusalText(const std::u16string& Refusal, const TCatalogueValues& Values);

} // namespace Quillmark
