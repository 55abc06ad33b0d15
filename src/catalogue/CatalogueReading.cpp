#include "catalogue/CatalogueReading.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <vector>

#include "catalogue/Catalogue.h"
#include "catalogue/NumberFormat.h"
#include "catalogue/PictureRules.h"
#include "catalogue/StoredInstances.h"

namespace Quillmark {

namespace {

// A fixed-size number read by name: none when the call fails, the type
// apart from the value so the caller can test it.
template <std::size_t Size> struct TFixedValue {
  WMT_ATTR_DATATYPE Type = WMT_TYPE_DWORD;
  std::array<BYTE, Size> Bytes{};
};

template <std::size_t Size>
std::optional<TFixedValue<Size>> ReadFixed(IWMHeaderInfo& Header, TAttribute Attribute)
{
  TFixedValue<Size> Value;
  WORD Stream = 0;
  WORD Length = Size;
  if (Header.GetAttributeByName(&Stream, AttributeName(Attribute), &Value.Type, Value.Bytes.data(),
                                &Length) != S_OK) {
    return std::nullopt;
  }
  return Value;
}

template <std::size_t Size> std::uint64_t LittleEndian(const std::array<BYTE, Size>& Bytes)
{
  std::uint64_t Value = 0;
  for (std::size_t Index = Size; Index-- > 0;) {
    Value = (Value << 8) | Bytes[Index];
  }
  return Value;
}

// One outcome of a step of reading: go on, or stop with failure.
enum class TStep { GoOn, Fail };

TStep ReadDuration(IWMHeaderInfo& Header, const TCatalogueEntry& Entry, TCatalogueValues& Values,
                   char16_t Separator)
{
  const auto Value = ReadFixed<8>(Header, Entry.Attribute);
  if (!Value) {
    return TStep::GoOn;
  }
  if (Value->Type != WMT_TYPE_QWORD) {
    return TStep::Fail;
  }
  Values.*Entry.Field.Text = FormatDuration(static_cast<std::int64_t>(LittleEndian(Value->Bytes)), Separator);
  return TStep::GoOn;
}

// A DWORD attribute shown as its field's kind says.
TStep ReadDword(IWMHeaderInfo& Header, const TCatalogueEntry& Entry, TCatalogueValues& Values)
{
  const auto Value = ReadFixed<4>(Header, Entry.Attribute);
  if (!Value) {
    return TStep::GoOn;
  }
  if (Value->Type != WMT_TYPE_DWORD) {
    return TStep::Fail;
  }
  const auto Number = static_cast<std::uint32_t>(LittleEndian(Value->Bytes));
  Values.*Entry.Field.Text =
      Entry.Field.Kind == TFieldKind::Integer ? FormatParallax(Number) : FormatTitleIndex(Number);
  return TStep::GoOn;
}

// The preview is fetched only after its length passed the size rule.
TStep ReadPreview(IWMHeaderInfo& Header, TCatalogueValues& Values)
{
  const char16_t* Name = AttributeName(TAttribute::StereoscopicPreview);
  WORD Stream = 0;
  WMT_ATTR_DATATYPE Type = WMT_TYPE_BINARY;
  WORD Length = 0;
  if (Header.GetAttributeByName(&Stream, Name, &Type, nullptr, &Length) != S_OK) {
    return TStep::GoOn;
  }
  if (Type != WMT_TYPE_BINARY) {
    return TStep::Fail;
  }
  if (!PreviewByteSizeFits(Length) || Length == 0) {
    return TStep::GoOn;
  }
  std::vector<BYTE> Bytes(Length);
  if (Header.GetAttributeByName(&Stream, Name, &Type, Bytes.data(), &Length) != S_OK) {
    return TStep::GoOn;
  }
  Bytes.resize(std::min<std::size_t>(Bytes.size(), Length));
  Values.Preview = AcceptStoredPicture(TPictureKind::Preview, std::move(Bytes));
  return TStep::GoOn;
}

// Bytes of the single poster instance; none when absent, stored more than
// once, or a call fails. Sets WrongType when the instance is not binary.
std::optional<std::vector<BYTE>> FetchPoster(IWMHeaderInfo3& Header, bool& WrongType)
{
  const char16_t* Name = AttributeName(TAttribute::StereoDiscTitlePoster);
  WORD Index = 0;
  WORD Count = 1;
  if (Header.GetAttributeIndices(0, Name, nullptr, &Index, &Count) != S_OK || Count != 1) {
    return std::nullopt;
  }
  // The call wants a writable name buffer: the name's 21 characters and its
  // terminator.
  std::array<char16_t, 22> NameBuffer{};
  std::char_traits<char16_t>::copy(NameBuffer.data(), Name, NameBuffer.size() - 1);
  WORD NameLength = NameBuffer.size();
  WMT_ATTR_DATATYPE Type = WMT_TYPE_BINARY;
  WORD Language = 0;
  DWORD Length = 0;
  if (Header.GetAttributeByIndexEx(0, Index, NameBuffer.data(), &NameLength, &Type, &Language, nullptr,
                                   &Length) != S_OK) {
    return std::nullopt;
  }
  if (Type != WMT_TYPE_BINARY) {
    WrongType = true;
    return std::nullopt;
  }
  std::vector<BYTE> Bytes;
  try {
    Bytes.resize(Length);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  NameLength = NameBuffer.size();
  if (Header.GetAttributeByIndexEx(0, Index, NameBuffer.data(), &NameLength, &Type, &Language, Bytes.data(),
                                   &Length) != S_OK) {
    return std::nullopt;
  }
  Bytes.resize(std::min<std::size_t>(Bytes.size(), Length));
  return Bytes;
}

TStep ReadPoster(IWMHeaderInfo3& Header, TCatalogueValues& Values)
{
  bool WrongType = false;
  std::optional<std::vector<BYTE>> Bytes = FetchPoster(Header, WrongType);
  if (WrongType) {
    return TStep::Fail;
  }
  if (Bytes && !Bytes->empty()) {
    Values.Poster = AcceptStoredPicture(TPictureKind::Poster, std::move(*Bytes));
  }
  return TStep::GoOn;
}

// One attribute into its field; Fail when it is stored with another type
// than a value of its kind can be read from.
TStep ReadEntry(IWMHeaderInfo3& Header, const TCatalogueEntry& Entry, TCatalogueValues& Values,
                char16_t Separator)
{
  switch (Entry.Field.Kind) {
  case TFieldKind::Flag:
    Values.*Entry.Field.Flag = ReadBoolAttribute(Header, Entry.Name);
    return TStep::GoOn;
  case TFieldKind::Layout:
    Values.LayoutIndex = LayoutIndexOfKey(ReadStringAttribute(Header, Entry.Name));
    return TStep::GoOn;
  case TFieldKind::Seconds:
    return ReadDuration(Header, Entry, Values, Separator);
  case TFieldKind::Integer:
  case TFieldKind::Count:
    return ReadDword(Header, Entry, Values);
  case TFieldKind::Text:
    Values.*Entry.Field.Text = ReadStringAttribute(Header, Entry.Name);
    return TStep::GoOn;
  case TFieldKind::Picture:
    // The poster's length needs 32 bits, so it is read by index.
    return Entry.Length == TLengthWidth::Bits32 ? ReadPoster(Header, Values) : ReadPreview(Header, Values);
  }
  return TStep::GoOn;
}

} // namespace

std::u16string ReadStringAttribute(IWMHeaderInfo3& Header, const char16_t* Name)
{
  WORD Stream = 0;
  WMT_ATTR_DATATYPE Type = WMT_TYPE_STRING;
  WORD Length = 0;
  std::vector<BYTE> Bytes;
  if (Header.GetAttributeByName(&Stream, Name, &Type, nullptr, &Length) == S_OK) {
    if (Type != WMT_TYPE_STRING || Length == 0) {
      return {};
    }
    Bytes.resize(Length);
    if (Header.GetAttributeByName(&Stream, Name, &Type, Bytes.data(), &Length) != S_OK ||
        Type != WMT_TYPE_STRING) {
      return {};
    }
    Bytes.resize(std::min<std::size_t>(Bytes.size(), Length));
  } else {
    // A text longer than a 16-bit length can say is there only by index;
    // the first instance is the one a reading by name gives.
    std::optional<TStoredInstance> First;
    if (const std::optional<std::vector<WORD>> Indices = InstanceIndices(Header, Name);
        Indices && !Indices->empty()) {
      First = FetchInstance(Header, *std::min_element(Indices->begin(), Indices->end()));
    }
    if (!First || First->Type != WMT_TYPE_STRING) {
      return {};
    }
    Bytes = std::move(First->Value);
  }
  std::u16string Text;
  const std::size_t Count = Bytes.size() / 2;
  Text.reserve(Count);
  for (std::size_t Index = 0; Index < Count; ++Index) {
    Text.push_back(static_cast<char16_t>(Bytes[2 * Index] | (Bytes[2 * Index + 1] << 8)));
  }
  if (!Text.empty() && Text.back() == u'\0') {
    Text.pop_back();
  }
  return Text;
}

bool ReadBoolAttribute(IWMHeaderInfo& Header, const char16_t* Name)
{
  std::array<BYTE, 4> Bytes{};
  WORD Stream = 0;
  WMT_ATTR_DATATYPE Type = WMT_TYPE_BOOL;
  WORD Length = Bytes.size();
  if (Header.GetAttributeByName(&Stream, Name, &Type, Bytes.data(), &Length) != S_OK) {
    return false;
  }
  return Type == WMT_TYPE_BOOL && LittleEndian(Bytes) != 0;
}

bool ReadCatalogue(const TRef<IWMMetadataEditor2>& Editor, TCatalogueValues& Values, char16_t Separator)
{
  Values = TCatalogueValues();
  // What is read is what the file holds: nothing to replace yet.
  Values.Changed = TChangedAttributes();
  const TRef<IWMHeaderInfo3> Header = QueryInterface<IWMHeaderInfo3>(Editor);
  for (const TAttribute Attribute : ReadOrder) {
    if (ReadEntry(*Header, Entry(Attribute), Values, Separator) == TStep::Fail) {
      return false;
    }
  }
  return true;
}

} // namespace Quillmark
