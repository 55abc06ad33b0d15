#pragma once
// A fault-injecting wrapper around any editor: every call is passed on to
// the wrapped editor and logged, except the calls a rule makes fail. The
// log lets tests see which calls were made and in which order.
#include <optional>
#include <string>
#include <vector>

#include "metadata/MetadataEditor.h"

namespace QuillmarkTest {

using namespace Quillmark;

enum class TCall {
  Open,
  OpenEx,
  Close,
  Flush,
  GetAttributeCount,
  GetAttributeByIndex,
  GetAttributeByName,
  SetAttribute,
  GetAttributeCountEx,
  GetAttributeIndices,
  GetAttributeByIndexEx,
  ModifyAttribute,
  AddAttribute,
  DeleteAttribute,
};

std::string CallName(TCall Call);

// Makes matching calls fail with Result. A rule with a Name matches only
// calls about that attribute (DeleteAttribute and ModifyAttribute: the
// instance at the index). The first Skip matching calls pass; then Times
// calls fail (-1: every one).
struct TFault {
  TCall Call;
  std::optional<std::u16string> Name;
  int Skip = 0;
  int Times = -1;
  HRESULT Result = E_IO_FAILURE;
};

class TFaultyEditor : public IWMMetadataEditor2, public IWMHeaderInfo3 {
public:
  // Inner must offer IWMHeaderInfo3 for the header calls.
  explicit TFaultyEditor(TRef<IWMMetadataEditor2> Inner);

  void Fail(TFault Fault) { FFaults.push_back(std::move(Fault)); }
  // One line per call: the call's name, then its attribute name if any,
  // then " failed" when a rule made it fail.
  const std::vector<std::string>& Log() const { return FLog; }
  void ClearLog() { FLog.clear(); }
  // The logged calls that change the header or the file.
  std::vector<std::string> ChangingCalls() const;

  HRESULT Open(const char16_t* FileName) override;
  HRESULT Close() override;
  HRESULT Flush() override;
  HRESULT OpenEx(const char16_t* FileName, DWORD DesiredAccess, DWORD ShareMode) override;

  HRESULT GetAttributeCount(WORD StreamNum, WORD* Attributes) override;
  HRESULT GetAttributeByIndex(WORD Index, WORD* StreamNum, char16_t* Name, WORD* NameLen,
                              WMT_ATTR_DATATYPE* Type, BYTE* Value, WORD* Length) override;
  HRESULT GetAttributeByName(WORD* StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE* Type, BYTE* Value,
                             WORD* Length) override;
  HRESULT SetAttribute(WORD StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE Type, const BYTE* Value,
                       WORD Length) override;
  HRESULT GetAttributeCountEx(WORD StreamNum, WORD* Attributes) override;
  HRESULT GetAttributeIndices(WORD StreamNum, const char16_t* Name, const WORD* LangIndex, WORD* Indices,
                              WORD* Count) override;
  HRESULT GetAttributeByIndexEx(WORD StreamNum, WORD Index, char16_t* Name, WORD* NameLen,
                                WMT_ATTR_DATATYPE* Type, WORD* LangIndex, BYTE* Value,
                                DWORD* DataLength) override;
  HRESULT ModifyAttribute(WORD StreamNum, WORD Index, WMT_ATTR_DATATYPE Type, WORD LangIndex,
                          const BYTE* Value, DWORD Length) override;
  HRESULT AddAttribute(WORD StreamNum, const char16_t* Name, WORD* Index, WMT_ATTR_DATATYPE Type,
                       WORD LangIndex, const BYTE* Value, DWORD Length) override;
  HRESULT DeleteAttribute(WORD StreamNum, WORD Index) override;

private:
  // Logs the call and returns the failure a rule asks for, if any.
  std::optional<HRESULT> Intercept(TCall Call, const std::u16string& Name);
  std::u16string NameAtIndex(WORD StreamNum, WORD Index);
  IWMHeaderInfo3& Header();

  TRef<IWMMetadataEditor2> FInner;
  std::vector<TFault> FFaults;
  std::vector<std::string> FLog;
};

// Offers IWMMetadataEditor2 and IWMHeaderInfo but not IWMHeaderInfo3,
// passing every call on to Inner.
class TEditorWithoutHeaderInfo3 : public IWMMetadataEditor2, public IWMHeaderInfo {
public:
  explicit TEditorWithoutHeaderInfo3(TRef<IWMMetadataEditor2> Inner);

  HRESULT Open(const char16_t* FileName) override { return FInner->Open(FileName); }
  HRESULT Close() override { return FInner->Close(); }
  HRESULT Flush() override { return FInner->Flush(); }
  HRESULT OpenEx(const char16_t* FileName, DWORD DesiredAccess, DWORD ShareMode) override
  {
    return FInner->OpenEx(FileName, DesiredAccess, ShareMode);
  }
  HRESULT GetAttributeCount(WORD StreamNum, WORD* Attributes) override
  {
    return FHeader->GetAttributeCount(StreamNum, Attributes);
  }
  HRESULT GetAttributeByIndex(WORD Index, WORD* StreamNum, char16_t* Name, WORD* NameLen,
                              WMT_ATTR_DATATYPE* Type, BYTE* Value, WORD* Length) override
  {
    return FHeader->GetAttributeByIndex(Index, StreamNum, Name, NameLen, Type, Value, Length);
  }
  HRESULT GetAttributeByName(WORD* StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE* Type, BYTE* Value,
                             WORD* Length) override
  {
    return FHeader->GetAttributeByName(StreamNum, Name, Type, Value, Length);
  }
  HRESULT SetAttribute(WORD StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE Type, const BYTE* Value,
                       WORD Length) override
  {
    return FHeader->SetAttribute(StreamNum, Name, Type, Value, Length);
  }

private:
  TRef<IWMMetadataEditor2> FInner;
  TRef<IWMHeaderInfo> FHeader;
};

} // namespace QuillmarkTest
