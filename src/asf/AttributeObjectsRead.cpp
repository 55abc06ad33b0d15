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

// An attribute's value as read, with the bytes kept as stored and where
// they stood. BoolWidth: the bytes a stored BOOL takes in this object.
void TakeValue(TStoredAttribute& Attribute, std::span<const std::uint8_t> Value, std::size_t BoolWidth,
               TOrigin Origin)
{
  Attribute.Value = ValueFromDisk(Attribute.Type, Value, BoolWidth);
  Attribute.Verbatim = VerbatimOf(Attribute.Type, Value, BoolWidth);
  Attribute.Origin = Origin;
}

// Reads the entries of an object that counts them in a WORD first, each
// with ReadOne(Reader, Index); no bytes may follow the last.
template <class TReadOne>
std::vector<TStoredAttribute> ReadCounted(std::span<const std::uint8_t> Payload, std::uint64_t MinSize,
                                          const char* Trailing, TReadOne&& ReadOne)
{
  TByteReader Reader(Payload);
  std::uint16_t Count = Reader.Word();
  CheckCount(Count, MinSize, Reader);
  std::vector<TStoredAttribute> Result;
  Result.reserve(Count);
  for (std::uint32_t I = 0; I < Count; ++I) {
    Result.push_back(ReadOne(Reader, I));
  }
  Require(Reader.Remaining() == 0, Trailing);
  return Result;
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
    TakeValue(Attribute, Text, 4, {TStore::ContentDescription, static_cast<std::uint32_t>(I)});
    Result.push_back(std::move(Attribute));
  }
  Require(Reader.Remaining() == 0, "bytes after the Content Description strings");
  return Result;
}

std::vector<TStoredAttribute> ReadExtendedContent(std::span<const std::uint8_t> Payload)
{
  return ReadCounted(Payload, MinDescriptorSize, "bytes after the last content descriptor",
                     [](TByteReader& Reader, std::uint32_t I) {
                       TStoredAttribute Attribute;
                       Attribute.Name = ReadName(Reader, Reader.Word());
                       Attribute.Type = ReadType(Reader);
                       TakeValue(Attribute, Reader.Take(Reader.Word()), 4, {TStore::ExtendedContent, I});
                       return Attribute;
                     });
}

std::vector<TStoredAttribute> ReadMetadataRecords(std::span<const std::uint8_t> Payload, TStore Store)
{
  return ReadCounted(Payload, MinRecordSize, "bytes after the last metadata record",
                     [Store](TByteReader& Reader, std::uint32_t I) {
                       TStoredAttribute Attribute;
                       Attribute.Language = Reader.Word();
                       Attribute.Stream = Reader.Word();
                       Require(Attribute.Stream <= MaxStreamNumber, "stream number above 127");
                       std::uint16_t NameLength = Reader.Word();
                       Attribute.Type = ReadType(Reader);
                       std::uint32_t DataLength = Reader.Dword();
                       Attribute.Name = ReadName(Reader, NameLength);
                       TakeValue(Attribute, Reader.Take(DataLength), 2, {Store, I});
                       return Attribute;
                     });
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
