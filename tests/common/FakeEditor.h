#pragma once
// An in-memory editor with the contract of the platform's metadata editor:
// a "file" of attributes that OpenEx copies into a working header, Flush
// stores back and Close discards. Indices count per stream in header order;
// GetAttributeIndices hands them out in descending order; a deletion moves
// every higher index down; SetAttribute replaces every instance of a name;
// AddAttribute appends another. 16-bit calls fail for values above 65,535
// bytes; a call without a buffer reports the length, a buffer too small
// fails with E_BUFFER_TOO_SMALL.
#include <string>
#include <vector>

#include "metadata/MetadataEditor.h"

namespace QuillmarkTest {

using namespace Quillmark;

struct TFakeAttribute {
  WORD Stream = 0;
  std::u16string Name;
  WMT_ATTR_DATATYPE Type = WMT_TYPE_DWORD;
  WORD Language = 0;
  std::vector<BYTE> Value;

  bool operator==(const TFakeAttribute&) const = default;
};

// Stored forms, for building headers in tests.
TFakeAttribute StringAttribute(std::u16string Name, std::u16string_view Text); // with its null
TFakeAttribute DwordAttribute(std::u16string Name, DWORD Value, WMT_ATTR_DATATYPE Type = WMT_TYPE_DWORD);
TFakeAttribute QwordAttribute(std::u16string Name, QWORD Value);
TFakeAttribute BinaryAttribute(std::u16string Name, std::vector<BYTE> Bytes);

class TFakeEditor : public IWMMetadataEditor2, public IWMHeaderInfo3 {
public:
  explicit TFakeEditor(std::vector<TFakeAttribute> File = {}) : FFile(std::move(File)) {}

  // The stored attributes, and the working header while a file is open.
  std::vector<TFakeAttribute>& File() { return FFile; }
  std::vector<TFakeAttribute>& Header() { return FHeader; }
  bool IsOpen() const { return FOpen; }
  const std::u16string& OpenedName() const { return FOpenedName; }

  // The instances of Name in the working header, in header order.
  std::vector<TFakeAttribute> Find(std::u16string_view Name) const;

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
  // Positions in FHeader of the attributes of one stream, in header order.
  std::vector<std::size_t> StreamPositions(WORD StreamNum) const;
  TFakeAttribute* AtIndex(WORD StreamNum, WORD Index);
  // The file's language list: 0, and every index its attributes use.
  bool KnowsLanguage(WORD LangIndex) const;

  std::vector<TFakeAttribute> FFile;
  std::vector<TFakeAttribute> FHeader;
  std::u16string FOpenedName;
  bool FOpen = false;
};

// A new fake with File open, held as the window holds an editor.
TRef<TFakeEditor> MakeOpenFakeEditor(std::vector<TFakeAttribute> File = {});

} // namespace QuillmarkTest
