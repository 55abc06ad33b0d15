#include "asf/HeaderVerify.h"

#include "asf/EngineError.h"
#include "asf/HeaderParser.h"

#include <algorithm>
#include <tuple>

namespace Quillmark::Asf {

namespace {

auto KeyOf(const TStoredAttribute& A)
{
  return std::tie(A.Stream, A.Name, A.Language, A.Type, A.Value);
}

// The attributes in one order whatever the order they were stored in;
// compared in place, not copied, as a batch checks hundreds of headers.
std::vector<const TStoredAttribute*> Sorted(const TAttributeList& Attributes)
{
  std::vector<const TStoredAttribute*> Out;
  Out.reserve(Attributes.All().size());
  for (const TStoredAttribute& A : Attributes.All()) {
    Out.push_back(&A);
  }
  std::sort(Out.begin(), Out.end(),
            [](const TStoredAttribute* L, const TStoredAttribute* R) { return KeyOf(*L) < KeyOf(*R); });
  return Out;
}

bool SameAttributes(const TAttributeList& Left, const TAttributeList& Right)
{
  const std::vector<const TStoredAttribute*> L = Sorted(Left);
  const std::vector<const TStoredAttribute*> R = Sorted(Right);
  return std::equal(
      L.begin(), L.end(), R.begin(), R.end(),
      [](const TStoredAttribute* A, const TStoredAttribute* B) { return KeyOf(*A) == KeyOf(*B); });
}

} // namespace

HRESULT VerifyWrittenHeader(const std::vector<std::uint8_t>& HeaderBytesReadBack, const TAsfHeader& Model)
{
  try {
    TAsfHeader Written = ParseHeaderBytes(HeaderBytesReadBack);
    return SameAttributes(Written.Attributes, Model.Attributes) ? S_OK : E_CORRUPT_HEADER;
  } catch (const EAsfError&) {
    return E_CORRUPT_HEADER;
  }
}

} // namespace Quillmark::Asf
