#include "common/AsfBuilder.h"

#include "asf/AsfGuids.h"

namespace QuillmarkTest {

namespace Guids = Quillmark::Asf::Guids;
using Quillmark::Asf::TGuid;

namespace {

constexpr std::uint32_t DataPackets = 4;
constexpr std::uint32_t DataPacketSize = 256;

TBytes GuidBytes(const TGuid& Guid)
{
  return {Guid.Bytes.begin(), Guid.Bytes.end()};
}

TBytes MetadataRecords(const std::vector<TRecord>& Records)
{
  TBytes Payload = Le16(static_cast<std::uint16_t>(Records.size()));
  for (const TRecord& R : Records) {
    TBytes Name = Utf16z(R.Name);
    Payload =
        Concat({Payload, Le16(R.Language), Le16(R.Stream), Le16(static_cast<std::uint16_t>(Name.size())),
                Le16(R.DiskType), Le32(static_cast<std::uint32_t>(R.Value.size())), Name, R.Value});
  }
  return Payload;
}

} // namespace

TBytes Le16(std::uint16_t Value)
{
  return {static_cast<std::uint8_t>(Value), static_cast<std::uint8_t>(Value >> 8)};
}

TBytes Le32(std::uint32_t Value)
{
  return Concat({Le16(static_cast<std::uint16_t>(Value)), Le16(static_cast<std::uint16_t>(Value >> 16))});
}

TBytes Le64(std::uint64_t Value)
{
  return Concat({Le32(static_cast<std::uint32_t>(Value)), Le32(static_cast<std::uint32_t>(Value >> 32))});
}

TBytes Utf16z(std::u16string_view Text)
{
  TBytes Bytes;
  for (char16_t Unit : Text) {
    Bytes.push_back(static_cast<std::uint8_t>(Unit & 0xFF));
    Bytes.push_back(static_cast<std::uint8_t>(Unit >> 8));
  }
  Bytes.push_back(0);
  Bytes.push_back(0);
  return Bytes;
}

TBytes Concat(const std::vector<TBytes>& Parts)
{
  TBytes Out;
  for (const TBytes& Part : Parts) {
    Out.insert(Out.end(), Part.begin(), Part.end());
  }
  return Out;
}

TRecord StringRecord(std::u16string Name, std::u16string_view Text, std::uint16_t Stream,
                     std::uint16_t Language)
{
  return {std::move(Name), 0, Utf16z(Text), Stream, Language};
}

TRecord BinaryRecord(std::u16string Name, TBytes Value, std::uint16_t Stream, std::uint16_t Language)
{
  return {std::move(Name), 1, std::move(Value), Stream, Language};
}

TRecord DwordRecord(std::u16string Name, std::uint32_t Value, std::uint16_t Stream)
{
  return {std::move(Name), 3, Le32(Value), Stream, 0};
}

TRecord QwordRecord(std::u16string Name, std::uint64_t Value)
{
  return {std::move(Name), 4, Le64(Value), 0, 0};
}

TRecord WordRecord(std::u16string Name, std::uint16_t Value)
{
  return {std::move(Name), 5, Le16(Value), 0, 0};
}

TRecord BoolRecord(std::u16string Name, std::uint32_t Value, std::size_t Width)
{
  TBytes Bytes = Le32(Value);
  Bytes.resize(Width);
  return {std::move(Name), 2, Bytes, 0, 0};
}

TRecord GuidRecord(std::u16string Name, const TGuid& Value, std::uint16_t Stream)
{
  return {std::move(Name), 6, GuidBytes(Value), Stream, 0};
}

TBytes MakeObject(const TGuid& Guid, const TBytes& Payload)
{
  return Concat({GuidBytes(Guid), Le64(24 + Payload.size()), Payload});
}

TBytes FilePropertiesObject(std::uint64_t FileSize, std::uint32_t Flags, std::uint32_t PacketSize,
                            std::uint64_t Packets)
{
  TBytes FileId(16, 0x5A);
  return MakeObject(
      Guids::FileProperties,
      Concat({FileId, Le64(FileSize), Le64(0x01D0000000000000ULL), Le64(Packets), Le64(20000000),
              Le64(10000000), Le64(3000), Le32(Flags), Le32(PacketSize), Le32(PacketSize), Le32(128000)}));
}

TBytes StreamPropertiesObject(std::uint16_t Stream)
{
  TBytes StreamType(16, 0x11);
  TBytes Correction(16, 0x22);
  TBytes TypeData(8, 0x33);
  return MakeObject(Guids::StreamProperties, Concat({StreamType, Correction, Le64(0),
                                                     Le32(static_cast<std::uint32_t>(TypeData.size())),
                                                     Le32(0), Le16(Stream), Le32(0), TypeData}));
}

TBytes ContentDescriptionObject(const std::array<std::optional<std::u16string>, 5>& Fields)
{
  TBytes Lengths;
  TBytes Texts;
  for (const std::optional<std::u16string>& Field : Fields) {
    TBytes Text = Field ? Utf16z(*Field) : TBytes();
    Lengths = Concat({Lengths, Le16(static_cast<std::uint16_t>(Text.size()))});
    Texts = Concat({Texts, Text});
  }
  return MakeObject(Guids::ContentDescription, Concat({Lengths, Texts}));
}

TBytes ExtendedContentObject(const std::vector<TRecord>& Records)
{
  TBytes Payload = Le16(static_cast<std::uint16_t>(Records.size()));
  for (const TRecord& R : Records) {
    TBytes Name = Utf16z(R.Name);
    Payload = Concat({Payload, Le16(static_cast<std::uint16_t>(Name.size())), Name, Le16(R.DiskType),
                      Le16(static_cast<std::uint16_t>(R.Value.size())), R.Value});
  }
  return MakeObject(Guids::ExtendedContentDescription, Payload);
}

TBytes MetadataObject(const std::vector<TRecord>& Records)
{
  return MakeObject(Guids::Metadata, MetadataRecords(Records));
}

TBytes LibraryObject(const std::vector<TRecord>& Records)
{
  return MakeObject(Guids::MetadataLibrary, MetadataRecords(Records));
}

TBytes LanguageListObject(const std::vector<std::u16string>& Languages)
{
  TBytes Payload = Le16(static_cast<std::uint16_t>(Languages.size()));
  for (const std::u16string& Language : Languages) {
    TBytes Text = Utf16z(Language);
    Payload.push_back(static_cast<std::uint8_t>(Text.size()));
    Payload = Concat({Payload, Text});
  }
  return MakeObject(Guids::LanguageList, Payload);
}

TBytes PaddingObject(std::size_t Size)
{
  return MakeObject(Guids::Padding, TBytes(Size - 24, 0));
}

TBytes UnknownObject(std::uint8_t Seed, std::size_t PayloadSize)
{
  TGuid Guid = Quillmark::Asf::GuidFromText("0BADF00D-0000-4000-8000-000000000000");
  Guid.Bytes[15] = Seed;
  TBytes Payload(PayloadSize);
  for (std::size_t I = 0; I < PayloadSize; ++I) {
    Payload[I] = static_cast<std::uint8_t>(Seed + I * 7);
  }
  return MakeObject(Guid, Payload);
}

TBytes HeaderExtensionObject(const std::vector<TBytes>& Children)
{
  TBytes Data = Concat(Children);
  return MakeObject(Guids::HeaderExtension, Concat({GuidBytes(Guids::Reserved1), Le16(6),
                                                    Le32(static_cast<std::uint32_t>(Data.size())), Data}));
}

TBytes HeaderObject(const std::vector<TBytes>& Children)
{
  TBytes Data = Concat(Children);
  return Concat({GuidBytes(Guids::Header), Le64(30 + Data.size()),
                 Le32(static_cast<std::uint32_t>(Children.size())), TBytes{1, 2}, Data});
}

TBytes DataObject(std::uint64_t Packets, std::uint32_t PacketSize)
{
  TBytes Payload = Concat({TBytes(16, 0x5A), Le64(Packets), Le16(0x0101)});
  for (std::uint64_t P = 0; P < Packets; ++P) {
    TBytes Packet(PacketSize, static_cast<std::uint8_t>(0x82 + P));
    Payload = Concat({Payload, Packet});
  }
  return MakeObject(Guids::Data, Payload);
}

TAsfBuilder::TAsfBuilder()
{
  FObjects.push_back(TBytes()); // File Properties, made when the file size is known
  FObjects.push_back(StreamPropertiesObject(1));
  FObjects.push_back(TBytes()); // the Header Extension's place
}

TAsfBuilder& TAsfBuilder::Add(TBytes Object)
{
  FObjects.push_back(std::move(Object));
  return *this;
}

TAsfBuilder& TAsfBuilder::AddToExtension(TBytes Object)
{
  FExtension.push_back(std::move(Object));
  return *this;
}

TAsfBuilder& TAsfBuilder::WithoutExtension()
{
  FHasExtension = false;
  return *this;
}

TAsfBuilder& TAsfBuilder::Broadcast()
{
  FFlags |= 1;
  return *this;
}

TBytes TAsfBuilder::HeaderFor(std::uint64_t FileSize) const
{
  std::vector<TBytes> Children;
  for (std::size_t I = 0; I < FObjects.size(); ++I) {
    if (I == 0) {
      Children.push_back(FilePropertiesObject(FileSize, FFlags, DataPacketSize, DataPackets));
    } else if (I == 2) {
      if (FHasExtension) {
        Children.push_back(HeaderExtensionObject(FExtension));
      }
    } else {
      Children.push_back(FObjects[I]);
    }
  }
  return HeaderObject(Children);
}

TBytes TAsfBuilder::Header() const
{
  return HeaderFor(HeaderFor(0).size() + DataObject(DataPackets, DataPacketSize).size());
}

TBytes TAsfBuilder::File() const
{
  TBytes Data = DataObject(DataPackets, DataPacketSize);
  return Concat({HeaderFor(HeaderFor(0).size() + Data.size()), Data});
}

} // namespace QuillmarkTest
