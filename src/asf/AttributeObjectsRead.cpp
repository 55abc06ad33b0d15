#include "asf/AttributeObjects.h"

#include "asf/AsfHeader.h"
#include "asf/ByteReader.h"
#include "asf/CheckedMath.h"
#include "asf/EngineError.h"

namespace Quillmark::Asf {

namespace {

// Smallest stored descriptor or record: lengths, type and a one-character name.
constexpr std::uint64_t MinDescriptorSize = 10;
constexpr std::uint64_t MinRecordSize = 16;

std::u16string ReadName(TByteReader& Reader, std::uint64_t Length)
{
  std::span<const std::uint8_t> Bytes = Reader.Take(Length);
  Require(IsTerminatedName(Bytes), "attribute name that is empty, odd or not terminated");
  return NameFromBytes(Bytes);
}

WMT_ATTR_DATATYPE ReadType(TByteReader& Reader)
{
  std::optional<WMT_ATTR_DATATYPE> Type = ApiTypeOf(Reader.Word());
  Require(Type.has_value(), "unknown attribute type code");
  return *Type;
}

void CheckCount(std::uint64_t Count, std::uint64_t MinSize, const TByteReader& Reader)
{
  Require(CheckedMul(Count, MinSize) <= Reader.Remaining(), "more records than the object can hold");
}

} // namespace

std::u16string NameFromBytes(std::span<const std::uint8_t> Terminated)
{
  std::u16string Name;
  std::size_t Units = Terminated.size() / 2;
  Name.reserve(Units);
  for (std::size_t I = 0; I + 1 < Units; ++I) {
    Name.push_back(static_cast<char16_t>(Terminated[2 * I] | (Terminated[2 * I + 1] << 8)));
  }
  return Name;
}

TBytes NameToBytes(const std::u16string& Name)
{
  TBytes Bytes;
  Bytes.reserve(Name.size() * 2 + 2);
  for (char16_t Unit : Name) {
    Bytes.push_back(static_cast<std::uint8_t>(Unit & 0xFF));
    Bytes.push_back(static_cast<std::uint8_t>(Unit >> 8));
  }
  Bytes.push_back(0);
  Bytes.push_back(0);
  return Bytes;
}

std::vector<TStoredAttribute> ReadContentDescription(std::span<const std::uint8_t> Payload)
{
  TByteReader Reader(Payload);
  std::array<std::uint16_t, 5> Lengths{};
  for (std::uint16_t& Length : Lengths) {
    Length = Reader.Word();
  }
  std::vector<TStoredAttribute> Result;
  for (std::size_t I = 0; I < Lengths.size(); ++I) {
    std::span<const std::uint8_t> Text = Reader.Take(Lengths[I]);
    if (Lengths[I] == 0) {
      continue; // field absent
    }
    TStoredAttribute Attribute;
    Attribute.Name = std::u16string(ContentDescriptionNames[I]);
    Attribute.Type = WMT_TYPE_STRING;
    Attribute.Value = ValueFromDisk(WMT_TYPE_STRING, Text, 4);
    Attribute.Verbatim = VerbatimOf(WMT_TYPE_STRING, Text, 4);
    Attribute.Origin = TOrigin{TStore::ContentDescription, static_cast<std::uint32_t>(I)};
    Result.push_back(std::move(Attribute));
  }
  Require(Reader.Remaining() == 0, "bytes after the Content Description strings");
  return Result;
}

std::vector<TStoredAttribute> ReadExtendedContent(std::span<const std::uint8_t> Payload)
{
  TByteReader Reader(Payload);
  std::uint16_t Count = Reader.Word();
  CheckCount(Count, MinDescriptorSize, Reader);
  std::vector<TStoredAttribute> Result;
  Result.reserve(Count);
  for (std::uint32_t I = 0; I < Count; ++I) {
    TStoredAttribute Attribute;
    Attribute.Name = ReadName(Reader, Reader.Word());
    Attribute.Type = ReadType(Reader);
    std::span<const std::uint8_t> Value = Reader.Take(Reader.Word());
    Attribute.Value = ValueFromDisk(Attribute.Type, Value, 4);
    Attribute.Verbatim = VerbatimOf(Attribute.Type, Value, 4);
    Attribute.Origin = TOrigin{TStore::ExtendedContent, I};
    Result.push_back(std::move(Attribute));
  }
  Require(Reader.Remaining() == 0, "bytes after the last content descriptor");
  return Result;
}

std::vector<TStoredAttribute> ReadMetadataRecords(std::span<const std::uint8_t> Payload, TStore Store)
{
  TByteReader Reader(Payload);
  std::uint16_t Count = Reader.Word();
  CheckCount(Count, MinRecordSize, Reader);
  std::vector<TStoredAttribute> Result;
  Result.reserve(Count);
  for (std::uint32_t I = 0; I < Count; ++I) {
    TStoredAttribute Attribute;
    Attribute.Language = Reader.Word();
    Attribute.Stream = Reader.Word();
    Require(Attribute.Stream <= MaxStreamNumber, "stream number above 127");
    std::uint16_t NameLength = Reader.Word();
    Attribute.Type = ReadType(Reader);
    std::uint32_t DataLength = Reader.Dword();
    Attribute.Name = ReadName(Reader, NameLength);
    std::span<const std::uint8_t> Value = Reader.Take(DataLength);
    Attribute.Value = ValueFromDisk(Attribute.Type, Value, 2);
    Attribute.Verbatim = VerbatimOf(Attribute.Type, Value, 2);
    Attribute.Origin = TOrigin{Store, I};
    Result.push_back(std::move(Attribute));
  }
  Require(Reader.Remaining() == 0, "bytes after the last metadata record");
  return Result;
}

std::size_t ReadLanguageList(std::span<const std::uint8_t> Payload)
{
  TByteReader Reader(Payload);
  std::uint16_t Count = Reader.Word();
  for (std::uint32_t I = 0; I < Count; ++I) {
    Reader.Skip(Reader.Byte());
  }
  Require(Reader.Remaining() == 0, "bytes after the last language");
  return Count;
}

} // namespace Quillmark::Asf
