// Fuzz target: arbitrary bytes as the values file of `quillmark-tag set
// --values`. The reader gives values or says what is wrong, never throws;
// values it takes print as JSON that reads back to the same JSON.
#include "tag/CatalogueJson.h"
#include "tag/ValuesFile.h"

#include <cstdlib>
#include <vector>

using namespace Quillmark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
  TCatalogueValues Values;
  if (!ValuesFromBytes({Data, Data + Size}, Values).empty()) {
    return 0;
  }
  const std::string Printed = CatalogueJson("clip.wmv", Values).dump();
  TCatalogueValues Again;
  if (!ValuesFromBytes({Printed.begin(), Printed.end()}, Again).empty() ||
      CatalogueJson("clip.wmv", Again).dump() != Printed) {
    std::abort();
  }
  return 0;
}
