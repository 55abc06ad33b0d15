#pragma once
// The values file of `set --values`: the JSON of one file's values as
// `show --json` prints them (the array of one file is taken too).
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"

namespace Quillmark {

// Every text of one file's values at its longest is well under this.
inline constexpr std::uint64_t MaxValuesFileBytes = 4 * 1024 * 1024;

// Sets Values from the file at Path, a regular file of at most
// MaxValuesFileBytes. Empty on success; otherwise what is wrong with the
// file, as "cannot be read: ..." or "is not valid JSON", and Values may be
// partly set.
std::string ReadValuesFile(const std::string& Path, TCatalogueValues& Values);

// The same for a values file's bytes, read already.
std::string ValuesFromBytes(const std::vector<std::uint8_t>& Bytes, TCatalogueValues& Values);

} // namespace Quillmark
