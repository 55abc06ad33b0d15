#include "tag/AttributeText.h"

#include "asf/AsfGuids.h"
#include "catalogue/SideFileMessage.h"
#include "metadata/TextConversion.h"
#include "tag/CatalogueFile.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
// nettle: a small library whose only start-up work is one look at the
// processor's features, so a tool started once per file pays next to
// nothing for the digest it may not need.
#include <nettle/sha2.h>

namespace Quillmark {

namespace {

constexpr WORD LastStream = 127;

std::uint64_t Unsigned(const std::vector<BYTE>& Value)
{
  std::uint64_t Result = 0;
  for (std::size_t I = std::min<std::size_t>(Value.size(), 8); I > 0; --I) {
    Result = (Result << 8) | Value[I - 1];
  }
  return Result;
}

std::string Utf8Of(const std::vector<BYTE>& Utf16)
{
  std::u16string Text;
  for (std::size_t I = 0; I + 1 < Utf16.size(); I += 2) {
    Text.push_back(static_cast<char16_t>(Utf16[I] | (Utf16[I + 1] << 8)));
  }
  if (!Text.empty() && Text.back() == 0) {
    Text.pop_back();
  }
  return Utf16ToUtf8(Text);
}

std::string GuidText(const std::vector<BYTE>& Value)
{
  Asf::TGuid Guid;
  std::copy_n(Value.begin(), std::min<std::size_t>(Value.size(), 16), Guid.Bytes.begin());
  return Asf::GuidToText(Guid);
}

HRESULT ListStream(IWMHeaderInfo3& Info, WORD Stream, std::vector<TListedAttribute>& Attributes)
{
  WORD Count = 0;
  HRESULT Result = Info.GetAttributeCountEx(Stream, &Count);
  for (WORD Index = 0; Result == S_OK && Index < Count; ++Index) {
    TListedAttribute A;
    A.Stream = Stream;
    WORD NameLen = 0;
    DWORD Length = 0;
    Result =
        Info.GetAttributeByIndexEx(Stream, Index, nullptr, &NameLen, &A.Type, &A.Language, nullptr, &Length);
    if (Result != S_OK) {
      break;
    }
    std::u16string Name(NameLen, u'\0');
    A.Value.resize(Length);
    Result = Info.GetAttributeByIndexEx(Stream, Index, Name.data(), &NameLen, &A.Type, &A.Language,
                                        A.Value.data(), &Length);
    Name.resize(NameLen > 0 ? NameLen - 1U : 0U);
    A.Name = Utf16ToUtf8(Name);
    Attributes.push_back(std::move(A));
  }
  return Result;
}

} // namespace

std::string Sha256Hex(const std::vector<BYTE>& Bytes)
{
  unsigned char Digest[SHA256_DIGEST_SIZE];
  sha256_ctx Context;
  sha256_init(&Context);
  sha256_update(&Context, Bytes.size(), Bytes.data());
  sha256_digest(&Context, sizeof Digest, Digest);
  std::string Hex;
  char Pair[3];
  for (unsigned char Byte : Digest) {
    std::snprintf(Pair, sizeof Pair, "%02x", Byte);
    Hex += Pair;
  }
  return Hex;
}

HRESULT ListAttributes(const std::string& File, std::vector<TListedAttribute>& Attributes,
                       std::string* SideFile, TFailureReason* Reason)
{
  TRef<IWMMetadataEditor> Editor;
  HRESULT Result = WMCreateEditor(Editor);
  if (Result != S_OK) {
    return Result;
  }
  TRef<IWMMetadataEditor2> Editor2 = QueryInterface<IWMMetadataEditor2>(Editor);
  Result = Editor2->OpenEx(PathToUtf16(File).c_str(), GENERIC_READ, FILE_SHARE_READ);
  if (SideFile != nullptr) {
    *SideFile = SideFileLine(SideFileReportOf(Editor2), File);
  }
  if (Result != S_OK && Reason != nullptr) {
    *Reason = LastFailureOf(Editor, Result);
  }
  if (Result == S_OK) {
    TRef<IWMHeaderInfo3> Info = QueryInterface<IWMHeaderInfo3>(Editor);
    for (WORD Stream = 0; Result == S_OK && Stream <= LastStream; ++Stream) {
      Result = ListStream(*Info, Stream, Attributes);
    }
  }
  Editor2->Close();
  return Result;
}

const char* TypeName(WMT_ATTR_DATATYPE Type)
{
  switch (Type) {
  case WMT_TYPE_DWORD:
    return "DWORD";
  case WMT_TYPE_STRING:
    return "STRING";
  case WMT_TYPE_BINARY:
    return "BINARY";
  case WMT_TYPE_BOOL:
    return "BOOL";
  case WMT_TYPE_QWORD:
    return "QWORD";
  case WMT_TYPE_WORD:
    return "WORD";
  case WMT_TYPE_GUID:
    return "GUID";
  }
  return "UNKNOWN";
}

std::string ValueText(const TListedAttribute& A)
{
  switch (A.Type) {
  case WMT_TYPE_STRING:
    return EscapeText(Utf8Of(A.Value));
  case WMT_TYPE_BINARY:
    return std::to_string(A.Value.size()) + " bytes, sha256 " + Sha256Hex(A.Value);
  case WMT_TYPE_BOOL:
    return Unsigned(A.Value) != 0 ? "true" : "false";
  case WMT_TYPE_GUID:
    return GuidText(A.Value);
  default:
    return std::to_string(Unsigned(A.Value));
  }
}

nlohmann::json ValueJson(const TListedAttribute& A)
{
  switch (A.Type) {
  case WMT_TYPE_STRING:
    return Utf8Of(A.Value);
  case WMT_TYPE_BINARY:
    return {{"length", A.Value.size()}, {"sha256", Sha256Hex(A.Value)}};
  case WMT_TYPE_BOOL:
    return Unsigned(A.Value) != 0;
  case WMT_TYPE_GUID:
    return GuidText(A.Value);
  default:
    return Unsigned(A.Value);
  }
}

std::string EscapeText(const std::string& Text)
{
  std::string Out;
  for (char C : Text) {
    auto Byte = static_cast<unsigned char>(C);
    if (C == '\\') {
      Out += "\\\\";
    } else if (C == '\n') {
      Out += "\\n";
    } else if (C == '\r') {
      Out += "\\r";
    } else if (C == '\t') {
      Out += "\\t";
    } else if (Byte < 0x20 || Byte == 0x7F) {
      char Hex[5];
      std::snprintf(Hex, sizeof Hex, "\\x%02x", Byte);
      Out += Hex;
    } else {
      Out += C;
    }
  }
  return Out;
}

} // namespace Quillmark
