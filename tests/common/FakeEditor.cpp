#include "common/FakeEditor.h"

#include <algorithm>
#include <limits>

namespace QuillmarkTest {

namespace {

std::vector<BYTE> LittleEndian(QWORD Value, std::size_t Size)
{
  std::vector<BYTE> Bytes(Size);
  for (BYTE& Byte : Bytes) {
    Byte = static_cast<BYTE>(Value & 0xFF);
    Value >>= 8;
  }
  return Bytes;
}

// Copies a value out under the buffer rules: no buffer reports the length,
// a buffer too small fails and reports it.
template <class TLength> HRESULT CopyValue(const std::vector<BYTE>& Value, BYTE* Buffer, TLength* Length)
{
  if (Value.size() > std::numeric_limits<TLength>::max()) {
    return E_BUFFER_TOO_SMALL;
  }
  const TLength Room = *Length;
  *Length = static_cast<TLength>(Value.size());
  if (Buffer == nullptr) {
    return S_OK;
  }
  if (Room < Value.size()) {
    return E_BUFFER_TOO_SMALL;
  }
  std::copy(Value.begin(), Value.end(), Buffer);
  return S_OK;
}

HRESULT CopyName(const std::u16string& Name, char16_t* Buffer, WORD* NameLen)
{
  if (NameLen == nullptr) {
    return Buffer == nullptr ? S_OK : E_INVALID_ARGUMENT;
  }
  const WORD Room = *NameLen;
  *NameLen = static_cast<WORD>(Name.size() + 1);
  if (Buffer == nullptr) {
    return S_OK;
  }
  if (Room < Name.size() + 1) {
    return E_BUFFER_TOO_SMALL;
  }
  std::copy(Name.begin(), Name.end(), Buffer);
  Buffer[Name.size()] = u'\0';
  return S_OK;
}

} // namespace

TFakeAttribute StringAttribute(std::u16string Name, std::u16string_view Text)
{
  std::vector<BYTE> Bytes;
  for (const char16_t Char : Text) {
    Bytes.push_back(static_cast<BYTE>(Char & 0xFF));
    Bytes.push_back(static_cast<BYTE>(Char >> 8));
  }
  Bytes.insert(Bytes.end(), {0, 0});
  return {0, std::move(Name), WMT_TYPE_STRING, 0, std::move(Bytes)};
}

TFakeAttribute DwordAttribute(std::u16string Name, DWORD Value, WMT_ATTR_DATATYPE Type)
{
  return {0, std::move(Name), Type, 0, LittleEndian(Value, 4)};
}

TFakeAttribute QwordAttribute(std::u16string Name, QWORD Value)
{
  return {0, std::move(Name), WMT_TYPE_QWORD, 0, LittleEndian(Value, 8)};
}

TFakeAttribute BinaryAttribute(std::u16string Name, std::vector<BYTE> Bytes)
{
  return {0, std::move(Name), WMT_TYPE_BINARY, 0, std::move(Bytes)};
}

namespace {

constexpr WORD LastStream = 127;

// The value checks of the editor interface: fixed sizes for the numbers,
// an even length with a terminating null for strings, a known type.
HRESULT CheckValue(const char16_t* Name, WMT_ATTR_DATATYPE Type, const BYTE* Value, DWORD Length)
{
  if (Name == nullptr || *Name == 0 || (Value == nullptr && Length > 0)) {
    return E_INVALID_ARGUMENT;
  }
  switch (Type) {
  case WMT_TYPE_DWORD:
  case WMT_TYPE_BOOL:
    return Length == 4 ? S_OK : E_INVALID_ARGUMENT;
  case WMT_TYPE_QWORD:
    return Length == 8 ? S_OK : E_INVALID_ARGUMENT;
  case WMT_TYPE_WORD:
    return Length == 2 ? S_OK : E_INVALID_ARGUMENT;
  case WMT_TYPE_GUID:
    return Length == 16 ? S_OK : E_INVALID_ARGUMENT;
  case WMT_TYPE_STRING:
    return Length >= 2 && Length % 2 == 0 && Value[Length - 1] == 0 && Value[Length - 2] == 0
               ? S_OK
               : E_INVALID_ARGUMENT;
  case WMT_TYPE_BINARY:
    return S_OK;
  }
  return E_INVALID_ARGUMENT;
}

// True is stored as 1, whatever non-zero value the caller gave.
std::vector<BYTE> StoredValue(WMT_ATTR_DATATYPE Type, const BYTE* Value, DWORD Length)
{
  std::vector<BYTE> Bytes(Value, Value + Length);
  if (Type == WMT_TYPE_BOOL) {
    const bool True = std::any_of(Bytes.begin(), Bytes.end(), [](BYTE Byte) { return Byte != 0; });
    Bytes = {static_cast<BYTE>(True ? 1 : 0), 0, 0, 0};
  }
  return Bytes;
}

} // namespace

bool TFakeEditor::KnowsLanguage(WORD LangIndex) const
{
  return LangIndex == 0 || std::any_of(FFile.begin(), FFile.end(), [LangIndex](const TFakeAttribute& A) {
           return A.Language >= LangIndex;
         });
}

std::vector<TFakeAttribute> TFakeEditor::Find(std::u16string_view Name) const
{
  std::vector<TFakeAttribute> Found;
  std::copy_if(FHeader.begin(), FHeader.end(), std::back_inserter(Found),
               [Name](const TFakeAttribute& Attribute) { return Attribute.Name == Name; });
  return Found;
}

HRESULT TFakeEditor::Open(const char16_t* FileName)
{
  return OpenEx(FileName, GENERIC_READ | GENERIC_WRITE, 0);
}

HRESULT TFakeEditor::OpenEx(const char16_t* FileName, DWORD, DWORD)
{
  if (FOpen) {
    return E_INVALID_STATE;
  }
  FOpen = true;
  FOpenedName = FileName;
  FHeader = FFile;
  return S_OK;
}

HRESULT TFakeEditor::Close()
{
  if (!FOpen) {
    return E_INVALID_STATE;
  }
  FOpen = false;
  FHeader.clear();
  return S_OK;
}

HRESULT TFakeEditor::Flush()
{
  if (!FOpen) {
    return E_INVALID_STATE;
  }
  FFile = FHeader;
  return Close();
}

std::vector<std::size_t> TFakeEditor::StreamPositions(WORD StreamNum) const
{
  std::vector<std::size_t> Positions;
  for (std::size_t Position = 0; Position < FHeader.size(); ++Position) {
    if (FHeader[Position].Stream == StreamNum) {
      Positions.push_back(Position);
    }
  }
  return Positions;
}

TFakeAttribute* TFakeEditor::AtIndex(WORD StreamNum, WORD Index)
{
  const std::vector<std::size_t> Positions = StreamPositions(StreamNum);
  return Index < Positions.size() ? &FHeader[Positions[Index]] : nullptr;
}

HRESULT TFakeEditor::GetAttributeCount(WORD StreamNum, WORD* Attributes)
{
  if (!FOpen) {
    return E_INVALID_STATE;
  }
  if (StreamNum > LastStream) {
    return E_INVALID_REQUEST;
  }
  *Attributes = static_cast<WORD>(StreamPositions(StreamNum).size());
  return S_OK;
}

HRESULT TFakeEditor::GetAttributeCountEx(WORD StreamNum, WORD* Attributes)
{
  return GetAttributeCount(StreamNum, Attributes);
}

HRESULT TFakeEditor::GetAttributeByIndex(WORD Index, WORD* StreamNum, char16_t* Name, WORD* NameLen,
                                         WMT_ATTR_DATATYPE* Type, BYTE* Value, WORD* Length)
{
  TFakeAttribute* Attribute = FOpen ? AtIndex(*StreamNum, Index) : nullptr;
  if (Attribute == nullptr) {
    return FOpen ? E_NOT_FOUND : E_INVALID_STATE;
  }
  *Type = Attribute->Type;
  const HRESULT NameResult = CopyName(Attribute->Name, Name, NameLen);
  const HRESULT ValueResult = CopyValue(Attribute->Value, Value, Length);
  return NameResult != S_OK ? NameResult : ValueResult;
}

HRESULT TFakeEditor::GetAttributeByName(WORD* StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE* Type,
                                        BYTE* Value, WORD* Length)
{
  if (!FOpen) {
    return E_INVALID_STATE;
  }
  for (const std::size_t Position : StreamPositions(*StreamNum)) {
    if (FHeader[Position].Name == Name) {
      *Type = FHeader[Position].Type;
      return CopyValue(FHeader[Position].Value, Value, Length);
    }
  }
  return E_NOT_FOUND;
}

HRESULT TFakeEditor::SetAttribute(WORD StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE Type,
                                  const BYTE* Value, WORD Length)
{
  if (!FOpen) {
    return E_INVALID_STATE;
  }
  if (StreamNum > LastStream) {
    return E_INVALID_REQUEST;
  }
  if (const HRESULT Check = CheckValue(Name, Type, Value, Length); Check != S_OK) {
    return Check;
  }
  TFakeAttribute New{StreamNum, Name, Type, 0, StoredValue(Type, Value, Length)};
  auto Same = [&](const TFakeAttribute& Attribute) {
    return Attribute.Stream == StreamNum && Attribute.Name == Name;
  };
  const auto First = std::find_if(FHeader.begin(), FHeader.end(), Same);
  if (First == FHeader.end()) {
    FHeader.push_back(std::move(New));
    return S_OK;
  }
  *First = std::move(New);
  FHeader.erase(std::remove_if(First + 1, FHeader.end(), Same), FHeader.end());
  return S_OK;
}

HRESULT TFakeEditor::GetAttributeIndices(WORD StreamNum, const char16_t* Name, const WORD* LangIndex,
                                         WORD* Indices, WORD* Count)
{
  if (!FOpen) {
    return E_INVALID_STATE;
  }
  std::vector<WORD> Found;
  const std::vector<std::size_t> Positions = StreamPositions(StreamNum);
  for (std::size_t Index = Positions.size(); Index-- > 0;) {
    const TFakeAttribute& Attribute = FHeader[Positions[Index]];
    if (Attribute.Name == Name && (LangIndex == nullptr || Attribute.Language == *LangIndex)) {
      Found.push_back(static_cast<WORD>(Index));
    }
  }
  const WORD Room = *Count;
  *Count = static_cast<WORD>(Found.size());
  if (Indices == nullptr) {
    return S_OK;
  }
  if (Room < Found.size()) {
    return E_BUFFER_TOO_SMALL;
  }
  std::copy(Found.begin(), Found.end(), Indices);
  return S_OK;
}

HRESULT TFakeEditor::GetAttributeByIndexEx(WORD StreamNum, WORD Index, char16_t* Name, WORD* NameLen,
                                           WMT_ATTR_DATATYPE* Type, WORD* LangIndex, BYTE* Value,
                                           DWORD* DataLength)
{
  TFakeAttribute* Attribute = FOpen ? AtIndex(StreamNum, Index) : nullptr;
  if (Attribute == nullptr) {
    return FOpen ? E_INVALID_REQUEST : E_INVALID_STATE;
  }
  *Type = Attribute->Type;
  if (LangIndex != nullptr) {
    *LangIndex = Attribute->Language;
  }
  const HRESULT NameResult = CopyName(Attribute->Name, Name, NameLen);
  const HRESULT ValueResult = CopyValue(Attribute->Value, Value, DataLength);
  return NameResult != S_OK ? NameResult : ValueResult;
}

HRESULT TFakeEditor::ModifyAttribute(WORD StreamNum, WORD Index, WMT_ATTR_DATATYPE Type, WORD LangIndex,
                                     const BYTE* Value, DWORD Length)
{
  TFakeAttribute* Attribute = FOpen ? AtIndex(StreamNum, Index) : nullptr;
  if (Attribute == nullptr) {
    return FOpen ? E_INVALID_REQUEST : E_INVALID_STATE;
  }
  if (const HRESULT Check = CheckValue(Attribute->Name.c_str(), Type, Value, Length); Check != S_OK) {
    return Check;
  }
  if (!KnowsLanguage(LangIndex)) {
    return E_INVALID_ARGUMENT;
  }
  Attribute->Type = Type;
  Attribute->Language = LangIndex;
  Attribute->Value = StoredValue(Type, Value, Length);
  return S_OK;
}

HRESULT TFakeEditor::AddAttribute(WORD StreamNum, const char16_t* Name, WORD* Index, WMT_ATTR_DATATYPE Type,
                                  WORD LangIndex, const BYTE* Value, DWORD Length)
{
  if (!FOpen) {
    return E_INVALID_STATE;
  }
  if (StreamNum > LastStream) {
    return E_INVALID_REQUEST;
  }
  if (const HRESULT Check = CheckValue(Name, Type, Value, Length); Check != S_OK) {
    return Check;
  }
  if (!KnowsLanguage(LangIndex)) {
    return E_INVALID_ARGUMENT;
  }
  FHeader.push_back({StreamNum, Name, Type, LangIndex, StoredValue(Type, Value, Length)});
  if (Index != nullptr) {
    *Index = static_cast<WORD>(StreamPositions(StreamNum).size() - 1);
  }
  return S_OK;
}

HRESULT TFakeEditor::DeleteAttribute(WORD StreamNum, WORD Index)
{
  if (!FOpen) {
    return E_INVALID_STATE;
  }
  const std::vector<std::size_t> Positions = StreamPositions(StreamNum);
  if (Index >= Positions.size()) {
    return E_INVALID_REQUEST;
  }
  FHeader.erase(FHeader.begin() + static_cast<std::ptrdiff_t>(Positions[Index]));
  return S_OK;
}

TRef<TFakeEditor> MakeOpenFakeEditor(std::vector<TFakeAttribute> File)
{
  auto Editor = std::make_shared<TFakeEditor>(std::move(File));
  Editor->OpenEx(u"video.wmv", GENERIC_READ | GENERIC_WRITE, 0);
  return Editor;
}

} // namespace QuillmarkTest
