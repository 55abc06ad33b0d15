#include "metadata/asf/HeaderVerify.h"

#include "metadata/EngineError.h"
#include "metadata/asf/HeaderParser.h"

#include <algorithm>
#include <tuple>

namespace Quillmark::Asf {

namespace {

using TKey = std::tuple<std::uint16_t, std::u16string, std::uint16_t, std::uint32_t, TBytes>;

std::vector<TKey> SortedKeys(const TAttributeList& Attributes)
{
  std::vector<TKey> Keys;
  Keys.reserve(Attributes.All().size());
  for (const TAttribute& A : Attributes.All()) {
    Keys.emplace_back(A.Stream, A.Name, A.Language, static_cast<std::uint32_t>(A.Type), A.Value);
  }
  std::sort(Keys.begin(), Keys.end());
  return Keys;
}

} // namespace

HRESULT VerifyWrittenHeader(const std::vector<std::uint8_t>& HeaderBytesReadBack, const TAsfHeader& Model)
{
  try {
    TAsfHeader Written = ParseHeaderBytes(HeaderBytesReadBack);
    return SortedKeys(Written.Attributes) == SortedKeys(Model.Attributes) ? S_OK : E_CORRUPT_HEADER;
  } catch (const EAsfError&) {
    return E_CORRUPT_HEADER;
  }
}

} // namespace Quillmark::Asf
