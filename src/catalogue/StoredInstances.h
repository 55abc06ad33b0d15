#pragma once
// The stored instances of a file-level attribute, read by index with the
// 32-bit calls, so that values of any length and in any language are seen.
#include <optional>
#include <vector>

#include "metadata/MetadataEditor.h"

namespace Quillmark {

struct TStoredInstance {
  WORD Index = 0;
  WMT_ATTR_DATATYPE Type = WMT_TYPE_BINARY;
  WORD Language = 0;
  std::vector<BYTE> Value;

  // Same type, language and bytes: the index does not count.
  bool SameValue(const TStoredInstance& Other) const
  {
    return Type == Other.Type && Language == Other.Language && Value == Other.Value;
  }
};

// The stream-0 indices of every instance of Name in the order the editor
// hands them out (highest first); none when a call fails.
std::optional<std::vector<WORD>> InstanceIndices(IWMHeaderInfo3& Header, const char16_t* Name);

// The instance at a stream-0 index; none when a call fails or its value
// does not fit in memory.
std::optional<TStoredInstance> FetchInstance(IWMHeaderInfo3& Header, WORD Index);

} // namespace Quillmark
