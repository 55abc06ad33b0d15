#pragma once
// The attributes of a header as one list, indexed per stream the way the
// editor interface counts them: the index of an attribute is its position
// among the attributes of its stream.
#include "asf/AttributeTypes.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Quillmark::Asf {

// The objects that hold attributes.
enum class TStore : std::uint8_t { ContentDescription, ExtendedContent, Metadata, Library };

// Where an unchanged attribute was read from: its object and its position
// there (for Content Description, the field number 0..4).
struct TOrigin {
  TStore Store;
  std::uint32_t Ordinal;
  bool operator==(const TOrigin&) const = default;
};

struct TStoredAttribute {
  std::u16string Name; // without its terminator
  std::uint16_t Stream = 0;
  std::uint16_t Language = 0;
  WMT_ATTR_DATATYPE Type = WMT_TYPE_BINARY;
  TBytes Value;                  // interface form
  std::optional<TOrigin> Origin; // none once changed or when added
  // The stored bytes, when they are not what Value would be written as (see
  // VerbatimOf); written instead of Value while Origin is set.
  std::optional<TBytes> Verbatim;
};

// The bytes an attribute is stored as in an object whose BOOL is BoolWidth wide.
TBytes StoredValue(const TStoredAttribute& Attribute, std::size_t BoolWidth);

// Largest count of attributes in one stream: indices and counts are WORDs.
constexpr std::size_t MaxAttributesPerStream = 0xFFFF;

class TAttributeList {
public:
  const std::vector<TStoredAttribute>& All() const { return FItems; }
  // Changing the list through this drops the index of positions.
  std::vector<TStoredAttribute>& All()
  {
    FPositions.reset();
    return FItems;
  }

  std::size_t Count(std::uint16_t Stream) const;
  // The attribute at a stream's index, or null. Its stream must not be
  // changed through the pointer.
  const TStoredAttribute* At(std::uint16_t Stream, std::size_t Index) const;
  TStoredAttribute* At(std::uint16_t Stream, std::size_t Index);
  // Stream indices of a name, highest first; Language null means any.
  std::vector<std::uint16_t> IndicesOf(std::uint16_t Stream, std::u16string_view Name,
                                       const std::uint16_t* Language) const;
  // Stream indices of every attribute in a language (any when null), highest first.
  std::vector<std::uint16_t> IndicesOf(std::uint16_t Stream, const std::uint16_t* Language) const;
  // Index of the first instance of a name in a stream.
  std::optional<std::size_t> FirstOf(std::uint16_t Stream, std::u16string_view Name) const;

  // Appends; returns the new attribute's stream index. Throws E_INVALID_REQUEST
  // when the stream is full.
  std::size_t Add(TStoredAttribute Attribute);
  // Removes one; every higher index of the stream moves down by one.
  bool Delete(std::uint16_t Stream, std::size_t Index);
  // Gives the first instance of the name the new value and removes the other
  // instances; appends when there is none.
  void Set(TStoredAttribute Attribute);

private:
  std::optional<std::size_t> Position(std::uint16_t Stream, std::size_t Index) const;
  // Positions in FItems of each stream's attributes, in index order.
  using TPositions = std::map<std::uint16_t, std::vector<std::size_t>>;
  const TPositions& Positions() const;

  std::vector<TStoredAttribute> FItems;
  // Built when first asked for after a change, so that reading every
  // attribute by index is linear rather than quadratic.
  mutable std::optional<TPositions> FPositions;
};

} // namespace Quillmark::Asf
