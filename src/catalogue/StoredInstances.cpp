#include "catalogue/StoredInstances.h"

#include <algorithm>
#include <new>

namespace Quillmark {

std::optional<std::vector<WORD>> InstanceIndices(IWMHeaderInfo3& Header, const char16_t* Name)
{
  WORD Count = 0;
  if (Header.GetAttributeIndices(0, Name, nullptr, nullptr, &Count) != S_OK) {
    return std::nullopt;
  }
  std::vector<WORD> Indices(Count);
  if (Count > 0 && Header.GetAttributeIndices(0, Name, nullptr, Indices.data(), &Count) != S_OK) {
    return std::nullopt;
  }
  Indices.resize(std::min<std::size_t>(Indices.size(), Count));
  return Indices;
}

std::optional<TStoredInstance> FetchInstance(IWMHeaderInfo3& Header, WORD Index)
{
  TStoredInstance Instance;
  Instance.Index = Index;
  DWORD Length = 0;
  if (Header.GetAttributeByIndexEx(0, Index, nullptr, nullptr, &Instance.Type, &Instance.Language, nullptr,
                                   &Length) != S_OK) {
    return std::nullopt;
  }
  try {
    Instance.Value.resize(Length);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (Header.GetAttributeByIndexEx(0, Index, nullptr, nullptr, &Instance.Type, &Instance.Language,
                                   Instance.Value.data(), &Length) != S_OK) {
    return std::nullopt;
  }
  Instance.Value.resize(std::min<std::size_t>(Instance.Value.size(), Length));
  return Instance;
}

} // namespace Quillmark
