#include "asf/Placement.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace Quillmark::Asf {

namespace {

constexpr std::size_t MaxSmallValue = 0xFFFF;

bool IsSmallPlain(const TStoredAttribute& A)
{
  // An unchanged value kept in its stored form is judged by that form.
  const std::size_t Size = A.Origin && A.Verbatim ? A.Verbatim->size() : A.Value.size();
  return A.Language == 0 && A.Type != WMT_TYPE_GUID && Size <= MaxSmallValue;
}

// Whether the object an unchanged attribute came from may keep it.
bool OriginAllows(const TStoredAttribute& A)
{
  switch (A.Origin->Store) {
  case TStore::ContentDescription:
  case TStore::Library:
    return true;
  case TStore::ExtendedContent:
  case TStore::Metadata:
    return IsSmallPlain(A);
  }
  return false;
}

class TPlacer {
public:
  TPlacer(const TAttributeList& Attributes, const TOriginalLayout& Layout)
      : FAttributes(Attributes), FLayout(Layout)
  {
    for (const TStoredAttribute& A : Attributes.All()) {
      ++FInstances[{A.Stream, A.Name}];
    }
  }

  TPlacement Run()
  {
    for (const TStoredAttribute& A : FAttributes.All()) {
      if (A.Origin && OriginAllows(A)) {
        Keep(A);
      }
    }
    for (const TStoredAttribute& A : FAttributes.All()) {
      bool First = FSeen.insert({A.Stream, A.Name}).second;
      if (!A.Origin || !OriginAllows(A)) {
        Place(A, First);
      }
    }
    SortLibrary();
    return std::move(FResult);
  }

private:
  void Keep(const TStoredAttribute& A)
  {
    switch (A.Origin->Store) {
    case TStore::ContentDescription:
      FResult.Content[A.Origin->Ordinal] = &A;
      break;
    case TStore::ExtendedContent:
      FResult.Extended.push_back(&A);
      break;
    case TStore::Metadata:
      FResult.Metadata.push_back(&A);
      break;
    case TStore::Library:
      FResult.Library.push_back(&A);
      break;
    }
  }

  void Place(const TStoredAttribute& A, bool First)
  {
    if (A.Stream != 0) {
      (First && IsSmallPlain(A) ? FResult.Metadata : FResult.Library).push_back(&A);
      return;
    }
    std::optional<std::size_t> Field = ContentDescriptionField(A.Name);
    if (Field) {
      bool Fits = A.Type == WMT_TYPE_STRING && IsSmallPlain(A) && !A.Value.empty() &&
                  FInstances[{A.Stream, A.Name}] == 1 && FResult.Content[*Field] == nullptr;
      if (Fits) {
        FResult.Content[*Field] = &A;
      } else {
        FResult.Library.push_back(&A);
      }
      return;
    }
    (First && IsSmallPlain(A) ? FResult.Extended : FResult.Library).push_back(&A);
  }

  // Records kept in place come first, in their old order, then the others;
  // large values go last. An untouched Library keeps its order.
  void SortLibrary()
  {
    if (IsOriginalSequence(FResult.Library, TStore::Library, FLayout.LibraryCount)) {
      return;
    }
    std::stable_partition(FResult.Library.begin(), FResult.Library.end(),
                          [](const TStoredAttribute* A) { return A->Value.size() <= MaxSmallValue; });
  }

  const TAttributeList& FAttributes;
  const TOriginalLayout& FLayout;
  std::map<std::pair<std::uint16_t, std::u16string>, std::size_t> FInstances;
  std::set<std::pair<std::uint16_t, std::u16string>> FSeen;
  TPlacement FResult;
};

} // namespace

bool IsOriginalSequence(const std::vector<const TStoredAttribute*>& Records, TStore Store,
                        std::uint32_t Count)
{
  if (Records.size() != Count) {
    return false;
  }
  for (std::size_t I = 0; I < Records.size(); ++I) {
    if (Records[I]->Origin != TOrigin{Store, static_cast<std::uint32_t>(I)}) {
      return false;
    }
  }
  return true;
}

bool IsOriginalContent(const TContentFields& Fields, const TOriginalLayout& Layout)
{
  for (std::size_t I = 0; I < Fields.size(); ++I) {
    bool Same = Fields[I] == nullptr
                    ? !Layout.ContentFields[I]
                    : Fields[I]->Origin == TOrigin{TStore::ContentDescription, static_cast<std::uint32_t>(I)};
    if (!Same) {
      return false;
    }
  }
  return true;
}

TPlacement PlaceAttributes(const TAttributeList& Attributes, const TOriginalLayout& Layout)
{
  return TPlacer(Attributes, Layout).Run();
}

} // namespace Quillmark::Asf
