#include "asf/AttributeList.h"

#include "asf/EngineError.h"

#include <algorithm>

namespace Quillmark::Asf {

namespace {

// The stream indices of the attributes that match, highest first.
template <class TMatch>
std::vector<std::uint16_t> IndicesWhere(const std::vector<TStoredAttribute>& Items, std::uint16_t Stream,
                                        TMatch&& Match)
{
  std::vector<std::uint16_t> Result;
  std::size_t Index = 0;
  for (const TStoredAttribute& A : Items) {
    if (A.Stream != Stream) {
      continue;
    }
    if (Match(A)) {
      Result.push_back(static_cast<std::uint16_t>(Index));
    }
    ++Index;
  }
  std::reverse(Result.begin(), Result.end());
  return Result;
}

} // namespace

TBytes StoredValue(const TStoredAttribute& Attribute, std::size_t BoolWidth)
{
  if (Attribute.Origin && Attribute.Verbatim) {
    return *Attribute.Verbatim;
  }
  return ValueToDisk(Attribute.Type, Attribute.Value, BoolWidth);
}

const TAttributeList::TPositions& TAttributeList::Positions() const
{
  if (!FPositions) {
    TPositions Built;
    for (std::size_t I = 0; I < FItems.size(); ++I) {
      Built[FItems[I].Stream].push_back(I);
    }
    FPositions = std::move(Built);
  }
  return *FPositions;
}

std::size_t TAttributeList::Count(std::uint16_t Stream) const
{
  const auto Found = Positions().find(Stream);
  return Found == Positions().end() ? 0 : Found->second.size();
}

std::optional<std::size_t> TAttributeList::Position(std::uint16_t Stream, std::size_t Index) const
{
  const auto Found = Positions().find(Stream);
  if (Found == Positions().end() || Index >= Found->second.size()) {
    return std::nullopt;
  }
  return Found->second[Index];
}

const TStoredAttribute* TAttributeList::At(std::uint16_t Stream, std::size_t Index) const
{
  std::optional<std::size_t> At = Position(Stream, Index);
  return At ? &FItems[*At] : nullptr;
}

TStoredAttribute* TAttributeList::At(std::uint16_t Stream, std::size_t Index)
{
  std::optional<std::size_t> At = Position(Stream, Index);
  return At ? &FItems[*At] : nullptr;
}

std::vector<std::uint16_t> TAttributeList::IndicesOf(std::uint16_t Stream, std::u16string_view Name,
                                                     const std::uint16_t* Language) const
{
  return IndicesWhere(FItems, Stream, [&](const TStoredAttribute& A) {
    return A.Name == Name && (Language == nullptr || A.Language == *Language);
  });
}

std::vector<std::uint16_t> TAttributeList::IndicesOf(std::uint16_t Stream,
                                                     const std::uint16_t* Language) const
{
  return IndicesWhere(FItems, Stream, [&](const TStoredAttribute& A) {
    return Language == nullptr || A.Language == *Language;
  });
}

std::optional<std::size_t> TAttributeList::FirstOf(std::uint16_t Stream, std::u16string_view Name) const
{
  std::size_t Index = 0;
  for (const TStoredAttribute& A : FItems) {
    if (A.Stream != Stream) {
      continue;
    }
    if (A.Name == Name) {
      return Index;
    }
    ++Index;
  }
  return std::nullopt;
}

std::size_t TAttributeList::Add(TStoredAttribute Attribute)
{
  std::size_t Index = Count(Attribute.Stream);
  if (Index >= MaxAttributesPerStream) {
    throw EAsfError(E_INVALID_REQUEST, "the stream holds the most attributes it can");
  }
  FPositions.reset();
  FItems.push_back(std::move(Attribute));
  return Index;
}

bool TAttributeList::Delete(std::uint16_t Stream, std::size_t Index)
{
  std::optional<std::size_t> At = Position(Stream, Index);
  if (!At) {
    return false;
  }
  FPositions.reset();
  FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(*At));
  return true;
}

void TAttributeList::Set(TStoredAttribute Attribute)
{
  std::uint16_t Stream = Attribute.Stream;
  std::u16string Name = Attribute.Name;
  auto Same = [&](const TStoredAttribute& A) { return A.Stream == Stream && A.Name == Name; };
  FPositions.reset();
  auto First = std::find_if(FItems.begin(), FItems.end(), Same);
  if (First == FItems.end()) {
    Add(std::move(Attribute));
    return;
  }
  *First = std::move(Attribute);
  FItems.erase(std::remove_if(First + 1, FItems.end(), Same), FItems.end());
}

} // namespace Quillmark::Asf
