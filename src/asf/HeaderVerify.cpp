#include "metadata/asf/HeaderVerify.h"

#include "metadata/EngineError.h"
#include "metadata/asf/HeaderParser.h"

#include <algorithm>
#include <tuple>

namespace Quillmark::Asf {

namespace {

auto KeyOf(const TAttribute& A)
{
  return std::tie(A.Stream, A.Name, A.Language, A.Type, A.Value);
}

// The attributes in one order whatever the order they were stored in;
// compared in place, not copied, as a batch checks hundreds of headers.
std::vector<const TAttribute*> Sorted(const TAttributeList& Attributes)
{
  std::vector<const TAttribute*> Out;
  Out.reserve(Attributes.All().size());
  for (const TAttribute& A : Attributes.All()) {
    Out.push_back(&A);
  }
  std::sort(Out.begin(), Out.end(),
            [](const TAttribute* L, const TAttribute* R) { return KeyOf(*L) < KeyOf(*R); });
  return Out;
}

bool SameAttributes(const TAttributeList& Left, const TAttributeList& Right)
{
  const std::vector<const TAttribute*> L = Sorted(Left);
  const std::vector<const TAttribute*> R = Sorted(Right);
  return std::equal(L.begin(), L.end(), R.begin(), R.end(),
                    [](const TAttribute* A, const TAttribute* B) { return KeyOf(*A) == KeyOf(*B); });
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
