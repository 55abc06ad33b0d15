#pragma once
// Reading every attribute of a file through the editor, and showing values.
#include "metadata/MetadataEditor.h"

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

namespace Quillmark {

struct TListedAttribute {
  std::string Name; // UTF-8
  WORD Stream = 0;
  WORD Language = 0;
  WMT_ATTR_DATATYPE Type = WMT_TYPE_BINARY;
  std::vector<BYTE> Value;
};

// Opens the file for reading, shared with other readers, and lists streams 0 to 127.
// SideFile, when given, receives the line about a side file of an
// interrupted save the open found (empty for none); on failure Reason, when
// given, receives why.
HRESULT ListAttributes(const std::string& File, std::vector<TListedAttribute>& Attributes,
                       std::string* SideFile = nullptr, TFailureReason* Reason = nullptr);

const char* TypeName(WMT_ATTR_DATATYPE Type);
// Strings as UTF-8, numbers in decimal, GUIDs as canonical text, byte arrays
// as their length and SHA-256.
std::string ValueText(const TListedAttribute& Attribute);
nlohmann::json ValueJson(const TListedAttribute& Attribute);
// Lower-case hexadecimal SHA-256 of the bytes.
std::string Sha256Hex(const std::vector<BYTE>& Bytes);
// Control characters and backslashes escaped, so one attribute stays on one line.
std::string EscapeText(const std::string& Text);

} // namespace Quillmark
