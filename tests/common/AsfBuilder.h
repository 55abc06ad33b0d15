#pragma once
// Builds ASF headers and small complete files byte by byte, for tests of the
// engine and of everything on top of it.
//
//   TAsfBuilder Builder;                       // File Properties, Stream Properties, Header Extension
//   Builder.Add(ContentDescriptionObject({u"Title"}));
//   Builder.AddToExtension(LibraryObject({StringRecord(u"WM/Genre", u"Jazz")}));
//   WriteFileBytes(Path, Builder.File());      // header + Data Object with a few packets
#include "asf/AsfGuids.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace QuillmarkTest {

using TBytes = std::vector<std::uint8_t>;

TBytes Le16(std::uint16_t Value);
TBytes Le32(std::uint32_t Value);
TBytes Le64(std::uint64_t Value);
TBytes Utf16z(std::u16string_view Text); // UTF-16LE with its terminator
TBytes Concat(const std::vector<TBytes>& Parts);

// One attribute as stored: DiskType is the file's type code (0 string,
// 1 binary, 2 bool, 3 dword, 4 qword, 5 word, 6 guid), Value the stored bytes.
struct TRecord {
  std::u16string Name;
  std::uint16_t DiskType = 1;
  TBytes Value;
  std::uint16_t Stream = 0;
  std::uint16_t Language = 0;
};

TRecord StringRecord(std::u16string Name, std::u16string_view Text, std::uint16_t Stream = 0,
                     std::uint16_t Language = 0);
TRecord BinaryRecord(std::u16string Name, TBytes Value, std::uint16_t Stream = 0, std::uint16_t Language = 0);
TRecord DwordRecord(std::u16string Name, std::uint32_t Value, std::uint16_t Stream = 0);
TRecord QwordRecord(std::u16string Name, std::uint64_t Value);
TRecord WordRecord(std::u16string Name, std::uint16_t Value);
// Width 4 in the Extended Content Description, 2 in Metadata and the Library.
TRecord BoolRecord(std::u16string Name, std::uint32_t Value, std::size_t Width);
TRecord GuidRecord(std::u16string Name, const Quillmark::Asf::TGuid& Value, std::uint16_t Stream = 0);

TBytes MakeObject(const Quillmark::Asf::TGuid& Guid, const TBytes& Payload);
TBytes FilePropertiesObject(std::uint64_t FileSize, std::uint32_t Flags = 2, std::uint32_t PacketSize = 256,
                            std::uint64_t Packets = 4);
TBytes StreamPropertiesObject(std::uint16_t Stream);
TBytes ContentDescriptionObject(const std::array<std::optional<std::u16string>, 5>& Fields);
TBytes ExtendedContentObject(const std::vector<TRecord>& Records);
TBytes MetadataObject(const std::vector<TRecord>& Records);
TBytes LibraryObject(const std::vector<TRecord>& Records);
TBytes LanguageListObject(const std::vector<std::u16string>& Languages);
TBytes PaddingObject(std::size_t Size);
TBytes UnknownObject(std::uint8_t Seed, std::size_t PayloadSize);
TBytes HeaderExtensionObject(const std::vector<TBytes>& Children);
TBytes HeaderObject(const std::vector<TBytes>& Children);
TBytes DataObject(std::uint64_t Packets, std::uint32_t PacketSize);

class TAsfBuilder {
public:
  // File Properties, Stream Properties of stream 1 and an empty Header Extension.
  TAsfBuilder();
  // Top-level children after those; extension children in the Header Extension.
  TAsfBuilder& Add(TBytes Object);
  TAsfBuilder& AddToExtension(TBytes Object);
  TAsfBuilder& WithoutExtension();
  TAsfBuilder& Broadcast();

  TBytes Header() const;
  // Header and a Data Object of four 256-byte packets; File Size is right.
  TBytes File() const;

private:
  TBytes HeaderFor(std::uint64_t FileSize) const;

  std::vector<TBytes> FObjects;
  std::vector<TBytes> FExtension;
  bool FHasExtension = true;
  std::uint32_t FFlags = 2;
};

} // namespace QuillmarkTest
