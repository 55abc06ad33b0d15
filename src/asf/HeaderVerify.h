#pragma once
// Checking a header read back after a save against the model it was made from.
#include "asf/AsfHeader.h"

#include <cstdint>
#include <vector>

namespace Quillmark::Asf {

// Parses HeaderBytesReadBack (exactly one Header Object; bytes after it are
// not needed) and compares its attributes with Model's: the same attributes of
// every stream with the same names, languages, types and values. Their order
// may differ, since writing places attributes by object. S_OK when equal;
// E_CORRUPT_HEADER when the bytes do not parse or the attributes differ.
HRESULT VerifyWrittenHeader(const std::vector<std::uint8_t>& HeaderBytesReadBack, const TAsfHeader& Model);

} // namespace Quillmark::Asf
