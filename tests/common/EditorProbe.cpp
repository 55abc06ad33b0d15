#include "common/EditorProbe.h"

#include <gtest/gtest.h>

namespace QuillmarkTest {

using namespace Quillmark;

std::shared_ptr<Asf::TMetadataEditor> OpenBytes(const TBytes& Bytes)
{
  auto Editor = std::make_shared<Asf::TMetadataEditor>();
  HRESULT Result = Editor->OpenMemory(Bytes);
  EXPECT_EQ(Result, S_OK) << ResultName(Result);
  return Editor;
}

std::vector<TSeenAttribute> ListStream(IWMHeaderInfo3& Info, WORD Stream)
{
  std::vector<TSeenAttribute> Out;
  WORD Count = 0;
  EXPECT_EQ(Info.GetAttributeCountEx(Stream, &Count), S_OK);
  for (WORD Index = 0; Index < Count; ++Index) {
    TSeenAttribute Seen;
    Seen.Stream = Stream;
    WORD NameLen = 0;
    DWORD Length = 0;
    EXPECT_EQ(Info.GetAttributeByIndexEx(Stream, Index, nullptr, &NameLen, &Seen.Type, &Seen.Language,
                                         nullptr, &Length),
              S_OK);
    std::u16string Name(NameLen, u'\0');
    Seen.Value.resize(Length);
    EXPECT_EQ(Info.GetAttributeByIndexEx(Stream, Index, Name.data(), &NameLen, &Seen.Type, &Seen.Language,
                                         Seen.Value.data(), &Length),
              S_OK);
    Name.resize(NameLen > 0 ? NameLen - 1U : 0U);
    Seen.Name = Name;
    Out.push_back(std::move(Seen));
  }
  return Out;
}

std::vector<TSeenAttribute> ListAll(IWMHeaderInfo3& Info)
{
  std::vector<TSeenAttribute> Out;
  for (WORD Stream = 0; Stream <= 127; ++Stream) {
    std::vector<TSeenAttribute> Part = ListStream(Info, Stream);
    Out.insert(Out.end(), Part.begin(), Part.end());
  }
  return Out;
}

std::vector<std::u16string> Names(const std::vector<TSeenAttribute>& Attributes)
{
  std::vector<std::u16string> Out;
  for (const TSeenAttribute& A : Attributes) {
    Out.push_back(A.Name);
  }
  return Out;
}

TBytes StringValue(std::u16string_view Text)
{
  return Utf16z(Text);
}

TBytes DwordValue(std::uint32_t Value)
{
  return Le32(Value);
}

} // namespace QuillmarkTest
