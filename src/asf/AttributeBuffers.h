#pragma once
// Handing an attribute out through caller buffers, with the editor
// interface's rules: no buffer asks for the length; a buffer too small fails
// with E_BUFFER_TOO_SMALL and reports the length needed; names count
// characters with their terminator, values bytes.
#include "asf/AttributeList.h"

#include <algorithm>
#include <limits>

namespace Quillmark::Asf {

template <class TLength>
HRESULT HandOutAttribute(const TStoredAttribute& Attribute, char16_t* Name, WORD* NameLen,
                         WMT_ATTR_DATATYPE* Type, WORD* LangIndex, BYTE* Value, TLength* Length)
{
  if (Length == nullptr || Type == nullptr || (Name != nullptr && NameLen == nullptr)) {
    return E_INVALID_ARGUMENT;
  }
  // A value longer than the length field can say cannot be fetched this way.
  if (Attribute.Value.size() > std::numeric_limits<TLength>::max()) {
    return E_INVALID_REQUEST;
  }
  std::size_t NameNeeded = Attribute.Name.size() + 1;
  bool NameShort = Name != nullptr && *NameLen < NameNeeded;
  bool ValueShort = Value != nullptr && *Length < Attribute.Value.size();
  if (NameLen != nullptr) {
    *NameLen = static_cast<WORD>(NameNeeded);
  }
  *Length = static_cast<TLength>(Attribute.Value.size());
  *Type = Attribute.Type;
  if (LangIndex != nullptr) {
    *LangIndex = Attribute.Language;
  }
  if (NameShort || ValueShort) {
    return E_BUFFER_TOO_SMALL;
  }
  if (Name != nullptr) {
    std::copy(Attribute.Name.begin(), Attribute.Name.end(), Name);
    Name[Attribute.Name.size()] = 0;
  }
  if (Value != nullptr) {
    std::copy(Attribute.Value.begin(), Attribute.Value.end(), Value);
  }
  return S_OK;
}

} // namespace Quillmark::Asf
