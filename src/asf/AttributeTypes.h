#pragma once
// The one table between the interface's attribute types and the type codes
// stored in the file, and the conversion of values between the two forms.
//
// Interface form: BOOL is a 4-byte DWORD holding 0 or 1, strings are UTF-16LE
// with their terminator, numbers little-endian. Stored form: the same, except
// that BOOL is 4 bytes wide in the Extended Content Description and 2 bytes in
// Metadata and Metadata Library records. Some writers store a string without
// its terminator, or true as another non-zero value: such a value reads as
// its interface form, and its stored bytes are kept apart so that it goes
// back unchanged while nobody changes it.
#include "metadata/MetadataEditor.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace Quillmark::Asf {

using TBytes = std::vector<std::uint8_t>;

// Stored type codes; the same in the three attribute-bearing objects.
enum class TDiskType : std::uint16_t {
  String = 0,
  Binary = 1,
  Bool = 2,
  Dword = 3,
  Qword = 4,
  Word = 5,
  Guid = 6
};

std::optional<WMT_ATTR_DATATYPE> ApiTypeOf(std::uint16_t DiskCode);
TDiskType DiskTypeOf(WMT_ATTR_DATATYPE Type);
bool IsKnownApiType(std::uint32_t Type);
// Fixed interface size of a type; nullopt for strings and byte arrays.
std::optional<std::size_t> FixedApiSize(WMT_ATTR_DATATYPE Type);

// Checks a value handed to the editor and returns its interface form (BOOL
// normalised to 0 or 1). Throws EAsfError(E_INVALID_ARGUMENT) when the
// length does not suit the type or a string lacks its terminator.
TBytes ValueFromCaller(WMT_ATTR_DATATYPE Type, std::span<const std::uint8_t> Value);

// Stored value to interface form; BoolWidth is the stored BOOL width of the
// object (4 or 2). A non-empty string without its terminator gets one.
// Throws E_CORRUPT_HEADER for a length that the type rules out.
TBytes ValueFromDisk(WMT_ATTR_DATATYPE Type, std::span<const std::uint8_t> Stored, std::size_t BoolWidth);
// The stored bytes when ValueToDisk of their interface form would not give
// them back; none when it would.
std::optional<TBytes> VerbatimOf(WMT_ATTR_DATATYPE Type, std::span<const std::uint8_t> Stored,
                                 std::size_t BoolWidth);
// Interface form to stored value.
TBytes ValueToDisk(WMT_ATTR_DATATYPE Type, const TBytes& Value, std::size_t BoolWidth);

// Whether the bytes are UTF-16LE text ending in its one terminator (no other
// null character). Used for names.
bool IsTerminatedName(std::span<const std::uint8_t> Bytes);

} // namespace Quillmark::Asf
