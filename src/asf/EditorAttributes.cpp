// The attribute calls of the editor: IWMHeaderInfo and IWMHeaderInfo3.
#include "asf/AttributeBuffers.h"
#include "asf/Guarded.h"
#include "asf/MetadataEditorImpl.h"

#include <span>

namespace Quillmark::Asf {

namespace {

// Longest name whose stored length, with its terminator, fits 16 bits.
constexpr std::size_t MaxNameCharacters = 32766;

void RequireStream(WORD StreamNum)
{
  if (StreamNum > MaxStreamNumber) {
    throw EAsfError(E_INVALID_REQUEST, "no such stream");
  }
}

// Only looked at, never kept: the catalogue asks for attributes by name
// tens of times per file it reads.
std::u16string_view CallerName(const char16_t* Name)
{
  if (Name == nullptr || *Name == 0) {
    throw EAsfError(E_INVALID_ARGUMENT, "an attribute needs a name");
  }
  std::u16string_view Text(Name);
  if (Text.size() > MaxNameCharacters) {
    throw EAsfError(E_INVALID_ARGUMENT, "attribute name too long");
  }
  return Text;
}

TBytes CallerValue(WMT_ATTR_DATATYPE Type, const BYTE* Value, std::uint64_t Length)
{
  if (!IsKnownApiType(Type) || (Value == nullptr && Length > 0) || Length > MaxHeaderSize) {
    throw EAsfError(E_INVALID_ARGUMENT, "invalid attribute value");
  }
  return ValueFromCaller(Type, std::span<const BYTE>(Value, static_cast<std::size_t>(Length)));
}

// An attribute given by a caller: it has no stored form yet.
TStoredAttribute NewAttribute(std::u16string Name, WORD Stream, WORD Language, WMT_ATTR_DATATYPE Type,
                              TBytes Value)
{
  TStoredAttribute Attribute;
  Attribute.Name = std::move(Name);
  Attribute.Stream = Stream;
  Attribute.Language = Language;
  Attribute.Type = Type;
  Attribute.Value = std::move(Value);
  return Attribute;
}

// Language 0 is the default language; others must name a Language List entry.
void RequireLanguage(const TAsfHeader& Header, WORD LangIndex)
{
  if (LangIndex != 0 && LangIndex >= Header.LanguageCount) {
    throw EAsfError(E_INVALID_ARGUMENT, "no such language");
  }
}

HRESULT CountOf(const TAsfHeader& Header, WORD StreamNum, WORD* Attributes)
{
  RequireStream(StreamNum);
  if (Attributes == nullptr) {
    return E_INVALID_ARGUMENT;
  }
  *Attributes = static_cast<WORD>(Header.Attributes.Count(StreamNum));
  return S_OK;
}

} // namespace

HRESULT TMetadataEditor::GetAttributeCount(WORD StreamNum, WORD* Attributes)
{
  return Guarded([&] {
    RequireOpen();
    return CountOf(FHeader, StreamNum, Attributes);
  });
}

HRESULT TMetadataEditor::GetAttributeCountEx(WORD StreamNum, WORD* Attributes)
{
  return GetAttributeCount(StreamNum, Attributes);
}

HRESULT TMetadataEditor::GetAttributeByIndex(WORD Index, WORD* StreamNum, char16_t* Name, WORD* NameLen,
                                             WMT_ATTR_DATATYPE* Type, BYTE* Value, WORD* Length)
{
  return Guarded([&] {
    RequireOpen();
    if (StreamNum == nullptr) {
      return E_INVALID_ARGUMENT;
    }
    RequireStream(*StreamNum);
    const TStoredAttribute* Attribute = FHeader.Attributes.At(*StreamNum, Index);
    if (Attribute == nullptr) {
      return E_NOT_FOUND;
    }
    return HandOutAttribute(*Attribute, Name, NameLen, Type, nullptr, Value, Length);
  });
}

HRESULT TMetadataEditor::GetAttributeByName(WORD* StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE* Type,
                                            BYTE* Value, WORD* Length)
{
  return Guarded([&] {
    RequireOpen();
    if (StreamNum == nullptr) {
      return E_INVALID_ARGUMENT;
    }
    RequireStream(*StreamNum);
    std::optional<std::size_t> Index = FHeader.Attributes.FirstOf(*StreamNum, CallerName(Name));
    if (!Index) {
      return E_NOT_FOUND;
    }
    return HandOutAttribute(*FHeader.Attributes.At(*StreamNum, *Index), nullptr, nullptr, Type, nullptr,
                            Value, Length);
  });
}

HRESULT TMetadataEditor::SetAttribute(WORD StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE Type,
                                      const BYTE* Value, WORD Length)
{
  return Guarded([&] {
    RequireWritable();
    RequireStream(StreamNum);
    if (Type == WMT_TYPE_GUID) {
      return E_INVALID_ARGUMENT;
    }
    TStoredAttribute Attribute =
        NewAttribute(std::u16string(CallerName(Name)), StreamNum, 0, Type, CallerValue(Type, Value, Length));
    FHeader.Attributes.Set(std::move(Attribute));
    FChanged = true;
    return S_OK;
  });
}

HRESULT TMetadataEditor::GetAttributeIndices(WORD StreamNum, const char16_t* Name, const WORD* LangIndex,
                                             WORD* Indices, WORD* Count)
{
  return Guarded([&] {
    RequireOpen();
    RequireStream(StreamNum);
    if (Count == nullptr) {
      return E_INVALID_ARGUMENT;
    }
    std::vector<WORD> Found;
    if (Name != nullptr) {
      Found = FHeader.Attributes.IndicesOf(StreamNum, CallerName(Name), LangIndex);
    } else {
      Found = FHeader.Attributes.IndicesOf(StreamNum, LangIndex);
    }
    WORD Capacity = *Count;
    *Count = static_cast<WORD>(Found.size());
    if (Indices == nullptr) {
      return S_OK;
    }
    if (Capacity < Found.size()) {
      return E_BUFFER_TOO_SMALL;
    }
    std::copy(Found.begin(), Found.end(), Indices);
    return S_OK;
  });
}

HRESULT TMetadataEditor::GetAttributeByIndexEx(WORD StreamNum, WORD Index, char16_t* Name, WORD* NameLen,
                                               WMT_ATTR_DATATYPE* Type, WORD* LangIndex, BYTE* Value,
                                               DWORD* DataLength)
{
  return Guarded([&] {
    RequireOpen();
    RequireStream(StreamNum);
    const TStoredAttribute* Attribute = FHeader.Attributes.At(StreamNum, Index);
    if (Attribute == nullptr) {
      return E_INVALID_REQUEST;
    }
    return HandOutAttribute(*Attribute, Name, NameLen, Type, LangIndex, Value, DataLength);
  });
}

HRESULT TMetadataEditor::ModifyAttribute(WORD StreamNum, WORD Index, WMT_ATTR_DATATYPE Type, WORD LangIndex,
                                         const BYTE* Value, DWORD Length)
{
  return Guarded([&] {
    RequireWritable();
    RequireStream(StreamNum);
    RequireLanguage(FHeader, LangIndex);
    TBytes NewValue = CallerValue(Type, Value, Length);
    TStoredAttribute* Attribute = FHeader.Attributes.At(StreamNum, Index);
    if (Attribute == nullptr) {
      return E_INVALID_REQUEST;
    }
    Attribute->Type = Type;
    Attribute->Language = LangIndex;
    Attribute->Value = std::move(NewValue);
    Attribute->Origin.reset();
    Attribute->Verbatim.reset();
    FChanged = true;
    return S_OK;
  });
}

HRESULT TMetadataEditor::AddAttribute(WORD StreamNum, const char16_t* Name, WORD* Index,
                                      WMT_ATTR_DATATYPE Type, WORD LangIndex, const BYTE* Value, DWORD Length)
{
  return Guarded([&] {
    RequireWritable();
    RequireStream(StreamNum);
    RequireLanguage(FHeader, LangIndex);
    TStoredAttribute Attribute = NewAttribute(std::u16string(CallerName(Name)), StreamNum, LangIndex, Type,
                                              CallerValue(Type, Value, Length));
    std::size_t NewIndex = FHeader.Attributes.Add(std::move(Attribute));
    if (Index != nullptr) {
      *Index = static_cast<WORD>(NewIndex);
    }
    FChanged = true;
    return S_OK;
  });
}

HRESULT TMetadataEditor::DeleteAttribute(WORD StreamNum, WORD Index)
{
  return Guarded([&] {
    RequireWritable();
    RequireStream(StreamNum);
    if (!FHeader.Attributes.Delete(StreamNum, Index)) {
      return E_INVALID_REQUEST;
    }
    FChanged = true;
    return S_OK;
  });
}

} // namespace Quillmark::Asf
