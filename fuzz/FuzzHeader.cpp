// Fuzz target: arbitrary bytes as a header. Everything readable is read by
// index and by name, a few edits are made, the header is rendered, and the
// render must parse back to the same attributes.
#include "asf/EngineError.h"
#include "asf/HeaderParser.h"
#include "asf/HeaderVerify.h"
#include "asf/MetadataEditorImpl.h"
#include "asf/Renderer.h"

#include <cstdlib>
#include <string>
#include <vector>

using namespace Quillmark;

namespace {

void ReadAttribute(Asf::TMetadataEditor& Editor, WORD Stream, WORD Index)
{
  WORD NameLen = 0;
  WMT_ATTR_DATATYPE Type{};
  WORD Lang = 0;
  DWORD Length = 0;
  if (Editor.GetAttributeByIndexEx(Stream, Index, nullptr, &NameLen, &Type, &Lang, nullptr, &Length) !=
      S_OK) {
    std::abort();
  }
  std::u16string Name(NameLen, u'\0');
  std::vector<BYTE> Value(Length);
  if (Editor.GetAttributeByIndexEx(Stream, Index, Name.data(), &NameLen, &Type, &Lang, Value.data(),
                                   &Length) != S_OK) {
    std::abort();
  }
  Name.resize(NameLen - 1U);
  WORD Short = 0;
  WORD StreamIn = Stream;
  Editor.GetAttributeByName(&StreamIn, Name.c_str(), &Type, nullptr, &Short);
  std::vector<BYTE> Small(Short / 2U);
  Editor.GetAttributeByName(&StreamIn, Name.c_str(), &Type, Small.data(),
                            &(Short = static_cast<WORD>(Small.size())));
  Editor.GetAttributeByIndex(Index, &StreamIn, nullptr, &NameLen, &Type, nullptr, &Short);
  WORD Indices[4];
  WORD Count = 4;
  Editor.GetAttributeIndices(Stream, Name.c_str(), nullptr, Indices, &Count);
}

void ReadEverything(Asf::TMetadataEditor& Editor)
{
  for (WORD Stream = 0; Stream <= 127; ++Stream) {
    WORD Count = 0;
    Editor.GetAttributeCountEx(Stream, &Count);
    for (WORD Index = 0; Index < Count; ++Index) {
      ReadAttribute(Editor, Stream, Index);
    }
  }
}

// Edits chosen by the input's last byte, so the fuzzer steers them too.
void Edit(Asf::TMetadataEditor& Editor, BYTE Choice)
{
  std::u16string Title = u"Fuzzed title";
  std::vector<BYTE> Text(reinterpret_cast<const BYTE*>(Title.c_str()),
                         reinterpret_cast<const BYTE*>(Title.c_str() + Title.size() + 1));
  std::vector<BYTE> Big((Choice & 1) != 0 ? 70000 : 300, Choice);
  std::vector<BYTE> Guid(16, Choice);
  BYTE True[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  if ((Choice & 2) != 0) {
    Editor.DeleteAttribute(0, 0);
  }
  if ((Choice & 4) != 0) {
    Editor.SetAttribute(0, (Choice & 8) != 0 ? u"Title" : u"Genre", WMT_TYPE_STRING, Text.data(),
                        static_cast<WORD>(Text.size()));
  }
  if ((Choice & 16) != 0) {
    Editor.AddAttribute(0, u"Poster", nullptr, WMT_TYPE_BINARY, 0, Big.data(),
                        static_cast<DWORD>(Big.size()));
  }
  if ((Choice & 32) != 0) {
    Editor.AddAttribute(Choice & 3, u"Id", nullptr, WMT_TYPE_GUID, 0, Guid.data(), 16);
  }
  if ((Choice & 64) != 0) {
    Editor.ModifyAttribute(0, 1, WMT_TYPE_BOOL, 0, True, 4);
  }
  if ((Choice & 128) != 0) {
    Editor.SetAttribute(1, u"Stereoscopic", WMT_TYPE_BOOL, True, 4);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
  Asf::TMetadataEditor Editor;
  if (Editor.OpenMemory({Data, Size}) != S_OK) {
    return 0;
  }
  ReadEverything(Editor);
  Edit(Editor, Size > 0 ? Data[Size - 1] : 0);
  ReadEverything(Editor);
  try {
    Asf::THeaderImage Image = Asf::RenderHeader(*Editor.Header());
    // What was rendered must read back as the model, and render again unchanged.
    if (Asf::VerifyWrittenHeader(Image.Bytes, *Editor.Header()) != S_OK) {
      std::abort();
    }
    if (Asf::RenderHeader(Asf::ParseHeaderBytes(Image.Bytes)).Bytes != Image.Bytes) {
      std::abort();
    }
  } catch (const Asf::EAsfError& Error) {
    if (Error.Result() != E_INVALID_REQUEST) {
      std::abort();
    }
  }
  Editor.Close();
  return 0;
}
