#include "asf/AttributeObjects.h"

#include "asf/AsfHeader.h"
#include "asf/ByteWriter.h"
#include "asf/CheckedMath.h"

namespace Quillmark::Asf {

TBytes WriteContentDescription(const TContentFields& Fields)
{
  TByteWriter Writer;
  std::size_t Start = Writer.BeginObject(Guids::ContentDescription);
  std::array<TBytes, 5> Values;
  for (std::size_t I = 0; I < Fields.size(); ++I) {
    if (Fields[I] != nullptr) {
      Values[I] = StoredValue(*Fields[I], 4);
    }
    Writer.Word(ToWord(Values[I].size()));
  }
  for (const TBytes& Value : Values) {
    Writer.Append(Value);
  }
  Writer.EndObject(Start);
  return std::move(Writer.Bytes());
}

TBytes WriteExtendedContent(const std::vector<const TStoredAttribute*>& Records)
{
  TByteWriter Writer;
  std::size_t Start = Writer.BeginObject(Guids::ExtendedContentDescription);
  Writer.Word(ToWord(Records.size()));
  for (const TStoredAttribute* Record : Records) {
    TBytes Name = NameToBytes(Record->Name);
    TBytes Value = StoredValue(*Record, 4);
    Writer.Word(ToWord(Name.size()));
    Writer.Append(Name);
    Writer.Word(static_cast<std::uint16_t>(DiskTypeOf(Record->Type)));
    Writer.Word(ToWord(Value.size()));
    Writer.Append(Value);
  }
  Writer.EndObject(Start);
  return std::move(Writer.Bytes());
}

TBytes WriteMetadataRecords(const std::vector<const TStoredAttribute*>& Records, TStore Store)
{
  TByteWriter Writer;
  std::size_t Start = Writer.BeginObject(Store == TStore::Library ? Guids::MetadataLibrary : Guids::Metadata);
  Writer.Word(ToWord(Records.size()));
  for (const TStoredAttribute* Record : Records) {
    TBytes Name = NameToBytes(Record->Name);
    TBytes Value = StoredValue(*Record, 2);
    Writer.Word(Record->Language);
    Writer.Word(Record->Stream);
    Writer.Word(ToWord(Name.size()));
    Writer.Word(static_cast<std::uint16_t>(DiskTypeOf(Record->Type)));
    Writer.Dword(ToDword(Value.size()));
    Writer.Append(Name);
    Writer.Append(Value);
  }
  Writer.EndObject(Start);
  return std::move(Writer.Bytes());
}

} // namespace Quillmark::Asf
