#include "metadata/asf/AttributeObjects.h"

#include "metadata/asf/AsfHeader.h"
#include "metadata/asf/ByteWriter.h"
#include "metadata/CheckedMath.h"

namespace Quillmark::Asf {

TBytes WriteContentDescription(const TContentFields& Fields)
{
  TByteWriter Writer;
  std::size_t Start = Writer.BeginObject(Guids::ContentDescription);
  for (const TAttribute* Field : Fields) {
    Writer.Word(Field != nullptr ? ToWord(Field->Value.size()) : 0);
  }
  for (const TAttribute* Field : Fields) {
    if (Field != nullptr) {
      Writer.Append(Field->Value);
    }
  }
  Writer.EndObject(Start);
  return std::move(Writer.Bytes());
}

TBytes WriteExtendedContent(const std::vector<const TAttribute*>& Records)
{
  TByteWriter Writer;
  std::size_t Start = Writer.BeginObject(Guids::ExtendedContentDescription);
  Writer.Word(ToWord(Records.size()));
  for (const TAttribute* Record : Records) {
    TBytes Name = NameToBytes(Record->Name);
    TBytes Value = ValueToDisk(Record->Type, Record->Value, 4);
    Writer.Word(ToWord(Name.size()));
    Writer.Append(Name);
    Writer.Word(static_cast<std::uint16_t>(DiskTypeOf(Record->Type)));
    Writer.Word(ToWord(Value.size()));
    Writer.Append(Value);
  }
  Writer.EndObject(Start);
  return std::move(Writer.Bytes());
}

TBytes WriteMetadataRecords(const std::vector<const TAttribute*>& Records, TStore Store)
{
  TByteWriter Writer;
  std::size_t Start = Writer.BeginObject(Store == TStore::Library ? Guids::MetadataLibrary : Guids::Metadata);
  Writer.Word(ToWord(Records.size()));
  for (const TAttribute* Record : Records) {
    TBytes Name = NameToBytes(Record->Name);
    TBytes Value = ValueToDisk(Record->Type, Record->Value, 2);
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
