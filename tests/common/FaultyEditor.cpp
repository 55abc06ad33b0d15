#include "common/FaultyEditor.h"

#include <array>

#include "metadata/TextConversion.h"

namespace QuillmarkTest {

namespace {

constexpr std::array<const char*, 14> CallNames = {
    "Open",
    "OpenEx",
    "Close",
    "Flush",
    "GetAttributeCount",
    "GetAttributeByIndex",
    "GetAttributeByName",
    "SetAttribute",
    "GetAttributeCountEx",
    "GetAttributeIndices",
    "GetAttributeByIndexEx",
    "ModifyAttribute",
    "AddAttribute",
    "DeleteAttribute",
};

std::u16string NameOrEmpty(const char16_t* Name)
{
  return Name != nullptr ? std::u16string(Name) : std::u16string();
}

bool Changes(const std::string& Line)
{
  for (const char* Call : {"SetAttribute", "ModifyAttribute", "AddAttribute", "DeleteAttribute", "Flush"}) {
    if (Line.rfind(Call, 0) == 0) {
      return true;
    }
  }
  return false;
}

} // namespace

std::string CallName(TCall Call)
{
  return CallNames[static_cast<std::size_t>(Call)];
}

TFaultyEditor::TFaultyEditor(TRef<IWMMetadataEditor2> Inner) : FInner(std::move(Inner)) {}

std::vector<std::string> TFaultyEditor::ChangingCalls() const
{
  std::vector<std::string> Found;
  for (const std::string& Line : FLog) {
    if (Changes(Line)) {
      Found.push_back(Line);
    }
  }
  return Found;
}

IWMHeaderInfo3& TFaultyEditor::Header()
{
  return *QueryInterface<IWMHeaderInfo3>(FInner);
}

std::u16string TFaultyEditor::NameAtIndex(WORD StreamNum, WORD Index)
{
  std::array<char16_t, 1024> Name{};
  WORD NameLen = static_cast<WORD>(Name.size());
  WMT_ATTR_DATATYPE Type = WMT_TYPE_DWORD;
  WORD Language = 0;
  DWORD Length = 0;
  if (Header().GetAttributeByIndexEx(StreamNum, Index, Name.data(), &NameLen, &Type, &Language, nullptr,
                                     &Length) != S_OK) {
    return {};
  }
  return Name.data();
}

std::optional<HRESULT> TFaultyEditor::Intercept(TCall Call, const std::u16string& Name)
{
  std::string Line = CallName(Call);
  if (!Name.empty()) {
    Line += " " + Utf16ToUtf8(Name);
  }
  std::optional<HRESULT> Failure;
  for (TFault& Fault : FFaults) {
    if (Failure || Fault.Call != Call || (Fault.Name && *Fault.Name != Name)) {
      continue;
    }
    if (Fault.Skip > 0) {
      --Fault.Skip;
    } else if (Fault.Times != 0) {
      Fault.Times -= Fault.Times > 0 ? 1 : 0;
      Failure = Fault.Result;
    }
  }
  FLog.push_back(Failure ? Line + " failed" : Line);
  return Failure;
}

HRESULT TFaultyEditor::Open(const char16_t* FileName)
{
  if (auto Failure = Intercept(TCall::Open, {})) {
    return *Failure;
  }
  return FInner->Open(FileName);
}

HRESULT TFaultyEditor::Close()
{
  if (auto Failure = Intercept(TCall::Close, {})) {
    return *Failure;
  }
  return FInner->Close();
}

HRESULT TFaultyEditor::Flush()
{
  if (auto Failure = Intercept(TCall::Flush, {})) {
    return *Failure;
  }
  return FInner->Flush();
}

HRESULT TFaultyEditor::OpenEx(const char16_t* FileName, DWORD DesiredAccess, DWORD ShareMode)
{
  if (auto Failure = Intercept(TCall::OpenEx, {})) {
    return *Failure;
  }
  return FInner->OpenEx(FileName, DesiredAccess, ShareMode);
}

HRESULT TFaultyEditor::GetAttributeCount(WORD StreamNum, WORD* Attributes)
{
  if (auto Failure = Intercept(TCall::GetAttributeCount, {})) {
    return *Failure;
  }
  return Header().GetAttributeCount(StreamNum, Attributes);
}

HRESULT TFaultyEditor::GetAttributeByIndex(WORD Index, WORD* StreamNum, char16_t* Name, WORD* NameLen,
                                           WMT_ATTR_DATATYPE* Type, BYTE* Value, WORD* Length)
{
  if (auto Failure = Intercept(TCall::GetAttributeByIndex, NameAtIndex(*StreamNum, Index))) {
    return *Failure;
  }
  return Header().GetAttributeByIndex(Index, StreamNum, Name, NameLen, Type, Value, Length);
}

HRESULT TFaultyEditor::GetAttributeByName(WORD* StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE* Type,
                                          BYTE* Value, WORD* Length)
{
  if (auto Failure = Intercept(TCall::GetAttributeByName, NameOrEmpty(Name))) {
    return *Failure;
  }
  return Header().GetAttributeByName(StreamNum, Name, Type, Value, Length);
}

HRESULT TFaultyEditor::SetAttribute(WORD StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE Type,
                                    const BYTE* Value, WORD Length)
{
  if (auto Failure = Intercept(TCall::SetAttribute, NameOrEmpty(Name))) {
    return *Failure;
  }
  return Header().SetAttribute(StreamNum, Name, Type, Value, Length);
}

HRESULT TFaultyEditor::GetAttributeCountEx(WORD StreamNum, WORD* Attributes)
{
  if (auto Failure = Intercept(TCall::GetAttributeCountEx, {})) {
    return *Failure;
  }
  return Header().GetAttributeCountEx(StreamNum, Attributes);
}

HRESULT TFaultyEditor::GetAttributeIndices(WORD StreamNum, const char16_t* Name, const WORD* LangIndex,
                                           WORD* Indices, WORD* Count)
{
  if (auto Failure = Intercept(TCall::GetAttributeIndices, NameOrEmpty(Name))) {
    return *Failure;
  }
  return Header().GetAttributeIndices(StreamNum, Name, LangIndex, Indices, Count);
}

HRESULT TFaultyEditor::GetAttributeByIndexEx(WORD StreamNum, WORD Index, char16_t* Name, WORD* NameLen,
                                             WMT_ATTR_DATATYPE* Type, WORD* LangIndex, BYTE* Value,
                                             DWORD* DataLength)
{
  if (auto Failure = Intercept(TCall::GetAttributeByIndexEx, NameAtIndex(StreamNum, Index))) {
    return *Failure;
  }
  return Header().GetAttributeByIndexEx(StreamNum, Index, Name, NameLen, Type, LangIndex, Value, DataLength);
}

HRESULT TFaultyEditor::ModifyAttribute(WORD StreamNum, WORD Index, WMT_ATTR_DATATYPE Type, WORD LangIndex,
                                       const BYTE* Value, DWORD Length)
{
  if (auto Failure = Intercept(TCall::ModifyAttribute, NameAtIndex(StreamNum, Index))) {
    return *Failure;
  }
  return Header().ModifyAttribute(StreamNum, Index, Type, LangIndex, Value, Length);
}

HRESULT TFaultyEditor::AddAttribute(WORD StreamNum, const char16_t* Name, WORD* Index, WMT_ATTR_DATATYPE Type,
                                    WORD LangIndex, const BYTE* Value, DWORD Length)
{
  if (auto Failure = Intercept(TCall::AddAttribute, NameOrEmpty(Name))) {
    return *Failure;
  }
  return Header().AddAttribute(StreamNum, Name, Index, Type, LangIndex, Value, Length);
}

HRESULT TFaultyEditor::DeleteAttribute(WORD StreamNum, WORD Index)
{
  if (auto Failure = Intercept(TCall::DeleteAttribute, NameAtIndex(StreamNum, Index))) {
    return *Failure;
  }
  return Header().DeleteAttribute(StreamNum, Index);
}

TEditorWithoutHeaderInfo3::TEditorWithoutHeaderInfo3(TRef<IWMMetadataEditor2> Inner)
    : FInner(std::move(Inner)), FHeader(QueryInterface<IWMHeaderInfo>(FInner))
{
}

} // namespace QuillmarkTest
