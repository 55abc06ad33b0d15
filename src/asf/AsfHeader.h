#pragma once
// A parsed Header Object: every child kept as its raw bytes in file order, the
// Header Extension's children likewise, and the attributes of all
// attribute-bearing objects gathered into one list.
#include "asf/AsfGuids.h"
#include "asf/AttributeList.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace Quillmark::Asf {

struct TAsfObject {
  TGuid Guid;
  TObjectKind Kind = TObjectKind::Unknown;
  TBytes Bytes; // the whole object: GUID, size and payload (of top-level padding, no payload)
};

// What the attribute-bearing objects held when the header was read, so the
// renderer can tell an untouched object from a changed one.
struct TOriginalLayout {
  std::array<bool, 5> ContentFields{};
  std::uint32_t ExtendedCount = 0;
  std::uint32_t MetadataCount = 0;
  std::uint32_t LibraryCount = 0;
};

struct TAsfHeader {
  std::uint64_t Size = 0; // of the Header Object as read
  std::uint8_t Reserved1 = 1;
  std::uint8_t Reserved2 = 2;
  std::vector<TAsfObject> Objects;
  std::optional<std::size_t> ExtensionIndex; // position of the Header Extension in Objects
  TBytes ExtensionReserved;                  // its Reserved Field 1 and 2, 18 bytes
  std::vector<TAsfObject> ExtensionChildren;
  std::size_t LanguageCount = 0; // entries of the Language List
  TAttributeList Attributes;
  TOriginalLayout Layout;
};

// The five fields of the Content Description Object, in their stored order.
constexpr std::array<std::u16string_view, 5> ContentDescriptionNames = {u"Title", u"Author", u"Copyright",
                                                                        u"Description", u"Rating"};
std::optional<std::size_t> ContentDescriptionField(const std::u16string& Name);

// Limits that keep a hostile header from costing memory or time.
constexpr std::uint64_t MaxHeaderSize = 256ULL << 20;
constexpr std::size_t MaxObjectCount = 50000;
constexpr std::uint16_t MaxStreamNumber = 127;

// Object header: GUID and 64-bit size.
constexpr std::size_t ObjectHeaderSize = 24;
constexpr std::size_t HeaderObjectFixedSize = 30;
constexpr std::size_t ExtensionFixedSize = 46;
constexpr std::size_t FilePropertiesSize = 104;
constexpr std::size_t FileSizeFieldOffset = 40; // in File Properties
constexpr std::size_t FlagsFieldOffset = 88;    // in File Properties
constexpr std::uint32_t BroadcastFlag = 1;

} // namespace Quillmark::Asf
