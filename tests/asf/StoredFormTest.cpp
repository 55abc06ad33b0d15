// Values some writers store in a form of their own (a string without its
// terminating null, true as another non-zero value) open, read as their
// interface form, and go back byte for byte when their object is written
// again; objects a save creates go before the first Stream Properties Object.
#include "asf/HeaderParser.h"
#include "asf/HeaderVerify.h"
#include "asf/Renderer.h"
#include "common/AsfBuilder.h"
#include "common/EditorProbe.h"

#include <functional>
#include <gtest/gtest.h>

namespace QuillmarkTest {
namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

// UTF-16LE without a terminator.
TBytes Utf16(std::u16string_view Text)
{
  TBytes Bytes = Utf16z(Text);
  Bytes.resize(Bytes.size() - 2);
  return Bytes;
}

TRecord Unterminated(std::u16string Name, std::u16string_view Text, std::uint16_t Stream = 0)
{
  TRecord Record = StringRecord(std::move(Name), Text, Stream);
  Record.Value = Utf16(Text);
  return Record;
}

const TStoredAttribute* Named(const TAsfHeader& Header, std::u16string_view Name)
{
  for (const TStoredAttribute& A : Header.Attributes.All()) {
    if (A.Name == Name) {
      return &A;
    }
  }
  return nullptr;
}

struct TStoredCase {
  const char* What;
  TBytes File;
  std::u16string Name;
  WORD Stream;
  TBytes Stored;   // the value's bytes in the file
  TBytes Expected; // as the interface hands it out
  // An edit of another attribute in the same object, so that object is written again.
  std::function<void(TMetadataEditor&)> Edit;
};

std::vector<TStoredCase> StoredCases()
{
  const TBytes Two = DwordValue(2);
  auto SetString = [](std::u16string Name) {
    return [Name](TMetadataEditor& Editor) {
      const TBytes Value = StringValue(u"new");
      ASSERT_EQ(Editor.SetAttribute(0, Name.c_str(), WMT_TYPE_STRING, Value.data(),
                                    static_cast<WORD>(Value.size())),
                S_OK);
    };
  };
  auto Add = [](std::u16string Name, WORD Stream, TBytes Value) {
    return [Name, Stream, Value](TMetadataEditor& Editor) {
      ASSERT_EQ(Editor.AddAttribute(Stream, Name.c_str(), nullptr, WMT_TYPE_BINARY, 0, Value.data(),
                                    static_cast<DWORD>(Value.size())),
                S_OK);
    };
  };
  TAsfBuilder Content;
  Content.Add(MakeObject(Guids::ContentDescription,
                         Concat({Le16(4), Le16(0), Le16(0), Le16(0), Le16(0), Utf16(u"AB")})));
  TAsfBuilder Extended;
  Extended.Add(ExtendedContentObject({Unterminated(u"StereoscopicLayout", u"Mono")}));
  TAsfBuilder OneCharacter;
  OneCharacter.Add(ExtendedContentObject({Unterminated(u"WM/Genre", u"J")}));
  TAsfBuilder InnerNull;
  InnerNull.Add(ExtendedContentObject({Unterminated(u"Source", std::u16string_view(u"a\0b", 3))}));
  TAsfBuilder Metadata;
  Metadata.AddToExtension(MetadataObject({Unterminated(u"Lang", u"en", 1)}));
  TAsfBuilder Library;
  Library.AddToExtension(LibraryObject({Unterminated(u"Description", u"long text")}));
  TAsfBuilder Bool;
  Bool.Add(ExtendedContentObject({BoolRecord(u"Stereoscopic", 0xFFFFFFFF, 4)}));
  TAsfBuilder LibraryBool;
  LibraryBool.AddToExtension(LibraryObject({BoolRecord(u"Stereoscopic", 0xFFFF, 2)}));
  return {
      {"content field", Content.File(), u"Title", 0, Utf16(u"AB"), StringValue(u"AB"), SetString(u"Author")},
      {"descriptor", Extended.File(), u"StereoscopicLayout", 0, Utf16(u"Mono"), StringValue(u"Mono"),
       SetString(u"Other")},
      {"one character", OneCharacter.File(), u"WM/Genre", 0, Utf16(u"J"), StringValue(u"J"), SetString(u"X")},
      {"inner null", InnerNull.File(), u"Source", 0, Utf16(std::u16string_view(u"a\0b", 3)),
       StringValue(std::u16string_view(u"a\0b", 3)), SetString(u"Y")},
      {"metadata record", Metadata.File(), u"Lang", 1, Utf16(u"en"), StringValue(u"en"),
       Add(u"Other", 1, {1})},
      {"library record", Library.File(), u"Description", 0, Utf16(u"long text"), StringValue(u"long text"),
       Add(u"Big", 0, TBytes(70000, 3))},
      {"descriptor true of all bits", Bool.File(), u"Stereoscopic", 0, Le32(0xFFFFFFFF), Le32(1),
       SetString(u"Z")},
      {"record true of all bits", LibraryBool.File(), u"Stereoscopic", 0, Le16(0xFFFF), Le32(1),
       Add(u"Big", 0, TBytes(70000, 3))},
  };
}

TEST(StoredForm, OwnFormsOpenAndGoBackAsStored)
{
  for (const TStoredCase& Case : StoredCases()) {
    SCOPED_TRACE(Case.What);
    auto Editor = OpenBytes(Case.File);
    ASSERT_NE(Editor->Header(), nullptr);
    const std::vector<TSeenAttribute> Seen = ListStream(*Editor, Case.Stream);
    auto Found = std::find_if(Seen.begin(), Seen.end(), [&](auto& A) { return A.Name == Case.Name; });
    ASSERT_NE(Found, Seen.end());
    EXPECT_EQ(Found->Value, Case.Expected);

    Case.Edit(*Editor);
    const THeaderImage Image = RenderHeader(*Editor->Header());
    EXPECT_EQ(VerifyWrittenHeader(Image.Bytes, *Editor->Header()), S_OK);
    const TAsfHeader Written = ParseHeaderBytes(Image.Bytes);
    const TStoredAttribute* Kept = Named(Written, Case.Name);
    ASSERT_NE(Kept, nullptr);
    EXPECT_EQ(Kept->Origin->Store, Named(*Editor->Header(), Case.Name)->Origin->Store);
    EXPECT_EQ(Kept->Verbatim.value_or(Kept->Value), Case.Stored);
  }
}

TEST(StoredForm, AChangedValueTakesTheInterfaceForm)
{
  TAsfBuilder Builder;
  Builder.Add(ExtendedContentObject({Unterminated(u"Source", u"old"), BoolRecord(u"Flag", 7, 4)}));
  auto Editor = OpenBytes(Builder.File());
  const TBytes One = DwordValue(1);
  ASSERT_EQ(Editor->ModifyAttribute(0, 0, WMT_TYPE_STRING, 0, StringValue(u"new").data(), 8), S_OK);
  ASSERT_EQ(Editor->SetAttribute(0, u"Flag", WMT_TYPE_BOOL, One.data(), 4), S_OK);
  const TAsfHeader Written = ParseHeaderBytes(RenderHeader(*Editor->Header()).Bytes);
  EXPECT_EQ(Named(Written, u"Source")->Value, StringValue(u"new"));
  EXPECT_FALSE(Named(Written, u"Source")->Verbatim);
  EXPECT_EQ(Named(Written, u"Flag")->Value, Le32(1));
  EXPECT_FALSE(Named(Written, u"Flag")->Verbatim);
}

// The top-level objects of a header, by kind, Stream Properties marked apart.
std::vector<std::string> Order(const TBytes& Header)
{
  std::vector<std::string> Kinds;
  for (const TAsfObject& Object : ParseHeaderBytes(Header).Objects) {
    if (Object.Guid == Guids::StreamProperties) {
      Kinds.push_back("streams");
    } else if (Object.Kind == TObjectKind::ExtendedContentDescription) {
      Kinds.push_back("extended");
    } else if (Object.Kind == TObjectKind::ContentDescription) {
      Kinds.push_back("content");
    } else if (Object.Kind == TObjectKind::HeaderExtension) {
      Kinds.push_back("extension");
    } else if (Object.Kind == TObjectKind::FileProperties) {
      Kinds.push_back("file");
    } else {
      Kinds.push_back("other");
    }
  }
  return Kinds;
}

TEST(StoredForm, CreatedObjectsGoBeforeTheFirstStreamProperties)
{
  const TBytes Layout = StringValue(u"SideBySideRF");
  const TBytes Title = StringValue(u"T");
  const TBytes Big(70000, 1);
  TAsfBuilder Plain;
  TAsfBuilder TwoStreams;
  TwoStreams.Add(StreamPropertiesObject(2)).Add(ExtendedContentObject({StringRecord(u"Kept", u"k")}));
  TAsfBuilder NoExtension;
  NoExtension.WithoutExtension();
  const TBytes NoStreams =
      Concat({HeaderObject({FilePropertiesObject(1000), UnknownObject(3, 8)}), DataObject(4, 256)});
  struct TCase {
    const char* What;
    TBytes File;
    std::vector<std::string> Expected;
  } Cases[] = {
      {"content and descriptor", Plain.File(), {"file", "content", "extended", "streams", "extension"}},
      {"existing descriptor stays",
       TwoStreams.File(),
       {"file", "content", "streams", "extension", "streams", "extended"}},
      {"all three", NoExtension.File(), {"file", "extension", "content", "extended", "streams"}},
      {"no streams", NoStreams, {"file", "other", "extension", "content", "extended"}},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    auto Editor = OpenBytes(Case.File);
    ASSERT_EQ(Editor->SetAttribute(0, u"StereoscopicLayout", WMT_TYPE_STRING, Layout.data(), 26), S_OK);
    ASSERT_EQ(Editor->SetAttribute(0, u"Title", WMT_TYPE_STRING, Title.data(), 4), S_OK);
    ASSERT_EQ(Editor->AddAttribute(0, u"Big", nullptr, WMT_TYPE_BINARY, 0, Big.data(), 70000), S_OK);
    EXPECT_EQ(Order(RenderHeader(*Editor->Header()).Bytes), Case.Expected);
  }
}

} // namespace
} // namespace QuillmarkTest
