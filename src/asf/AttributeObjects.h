#pragma once
// Payload layouts of the objects that hold attributes: Content Description,
// Extended Content Description, Metadata and Metadata Library. Readers take
// the payload after the 24-byte object header and throw E_CORRUPT_HEADER for
// anything that does not add up; writers produce complete objects.
#include "asf/AttributeList.h"

#include <array>
#include <span>
#include <vector>

namespace Quillmark::Asf {

std::u16string NameFromBytes(std::span<const std::uint8_t> Terminated);
TBytes NameToBytes(const std::u16string& Name);

// Each returns the attributes of the object, their Origin set to Store and
// their position in it.
std::vector<TStoredAttribute> ReadContentDescription(std::span<const std::uint8_t> Payload);
std::vector<TStoredAttribute> ReadExtendedContent(std::span<const std::uint8_t> Payload);
// Metadata and Metadata Library share one record layout; in Metadata the
// language slot is reserved and BOOL is 2 bytes in both.
std::vector<TStoredAttribute> ReadMetadataRecords(std::span<const std::uint8_t> Payload, TStore Store);
// Number of entries of a Language List.
std::size_t ReadLanguageList(std::span<const std::uint8_t> Payload);

using TContentFields = std::array<const TStoredAttribute*, 5>;
TBytes WriteContentDescription(const TContentFields& Fields);
TBytes WriteExtendedContent(const std::vector<const TStoredAttribute*>& Records);
TBytes WriteMetadataRecords(const std::vector<const TStoredAttribute*>& Records, TStore Store);

} // namespace Quillmark::Asf
