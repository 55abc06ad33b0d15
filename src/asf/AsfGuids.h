#pragma once
// GUIDs of the ASF objects. On disk a GUID is Data1 (DWORD), Data2 and Data3
// (WORDs), all little-endian, then the last eight bytes in text order.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace Quillmark::Asf {

struct TGuid {
  std::array<std::uint8_t, 16> Bytes{};
  bool operator==(const TGuid&) const = default;
};

namespace Detail {

constexpr std::uint8_t HexDigit(char C)
{
  if (C >= '0' && C <= '9') {
    return static_cast<std::uint8_t>(C - '0');
  }
  if (C >= 'A' && C <= 'F') {
    return static_cast<std::uint8_t>(C - 'A' + 10);
  }
  if (C >= 'a' && C <= 'f') {
    return static_cast<std::uint8_t>(C - 'a' + 10);
  }
  throw "not a hexadecimal digit";
}

constexpr std::uint8_t HexByte(std::string_view Text, std::size_t At)
{
  return static_cast<std::uint8_t>(HexDigit(Text[At]) * 16 + HexDigit(Text[At + 1]));
}

} // namespace Detail

// Makes the on-disk form from the canonical text: 8-4-4-4-12 hexadecimal
// digits separated by hyphens.
constexpr TGuid GuidFromText(std::string_view Text)
{
  if (Text.size() != 36 || Text[8] != '-' || Text[13] != '-' || Text[18] != '-' || Text[23] != '-') {
    throw "not a canonical GUID";
  }
  // Text positions of the on-disk bytes 0..15.
  constexpr std::array<std::size_t, 16> Positions = {6,  4,  2,  0,  11, 9,  16, 14,
                                                     19, 21, 24, 26, 28, 30, 32, 34};
  TGuid Guid;
  for (std::size_t I = 0; I < 16; ++I) {
    Guid.Bytes[I] = Detail::HexByte(Text, Positions[I]);
  }
  return Guid;
}

// Canonical upper-case text of a GUID.
std::string GuidToText(const TGuid& Guid);

namespace Guids {
constexpr TGuid Header = GuidFromText("75B22630-668E-11CF-A6D9-00AA0062CE6C");
constexpr TGuid Data = GuidFromText("75B22636-668E-11CF-A6D9-00AA0062CE6C");
constexpr TGuid FileProperties = GuidFromText("8CABDCA1-A947-11CF-8EE4-00C00C205365");
constexpr TGuid StreamProperties = GuidFromText("B7DC0791-A9B7-11CF-8EE6-00C00C205365");
constexpr TGuid HeaderExtension = GuidFromText("5FBF03B5-A92E-11CF-8EE3-00C00C205365");
constexpr TGuid Reserved1 = GuidFromText("ABD3D211-A9BA-11CF-8EE6-00C00C205365");
constexpr TGuid ContentDescription = GuidFromText("75B22633-668E-11CF-A6D9-00AA0062CE6C");
constexpr TGuid ExtendedContentDescription = GuidFromText("D2D0A440-E307-11D2-97F0-00A0C95EA850");
constexpr TGuid Metadata = GuidFromText("C5F8CBEA-5BAF-4877-8467-AA8C44FA4CCA");
constexpr TGuid MetadataLibrary = GuidFromText("44231C94-9498-49D1-A141-1D134E457054");
constexpr TGuid LanguageList = GuidFromText("7C4346A9-EFE0-4BFC-B229-393EDE415C85");
constexpr TGuid Padding = GuidFromText("1806D474-CADF-4509-A4BA-9AABCB96AAE8");
constexpr TGuid CodecList = GuidFromText("86D15240-311D-11D0-A3A4-00A0C90348F6");
constexpr TGuid StreamBitrateProperties = GuidFromText("7BF875CE-468D-11D1-8D82-006097C9A2B2");
constexpr TGuid ExtendedStreamProperties = GuidFromText("14E6A5CB-C672-4332-8399-A96952065B5A");
constexpr TGuid Marker = GuidFromText("F487CD01-A951-11CF-8EE6-00C00C205365");
constexpr TGuid ContentEncryption = GuidFromText("2211B3FB-BD23-11D2-B4B7-00A0C955FC6E");
constexpr TGuid ExtendedContentEncryption = GuidFromText("298AE614-2622-4C17-B935-DAE07EE9289C");
constexpr TGuid DigitalSignature = GuidFromText("2211B3FC-BD23-11D2-B4B7-00A0C955FC6E");
constexpr TGuid SimpleIndex = GuidFromText("33000890-E5B1-11CF-89F4-00A0C90349CB");
constexpr TGuid Index = GuidFromText("D6E229D3-35DA-11D1-9034-00A0C90349BE");
constexpr TGuid MediaObjectIndex = GuidFromText("FEB103F8-12AD-4C64-840F-2A1D2F7AD48C");
constexpr TGuid TimecodeIndex = GuidFromText("3CB73FD0-0C4A-4803-953D-EDF7B6228F0C");
constexpr TGuid IndexParameters = GuidFromText("D6E229DF-35DA-11D1-9034-00A0C90349BE");
} // namespace Guids

// The objects the engine decodes; every other GUID is kept as raw bytes.
enum class TObjectKind {
  Unknown,
  FileProperties,
  HeaderExtension,
  ContentDescription,
  ExtendedContentDescription,
  Metadata,
  MetadataLibrary,
  LanguageList,
  Padding,
};

// Kind of a top-level header child.
TObjectKind TopLevelKind(const TGuid& Guid);
// Kind of a child of the Header Extension.
TObjectKind ExtensionKind(const TGuid& Guid);

} // namespace Quillmark::Asf
