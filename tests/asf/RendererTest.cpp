// Rendering: untouched objects go back byte for byte; changed attributes land
// in the objects the placement rules give, and read back as the model.
#include "asf/Renderer.h"
#include "asf/ByteReader.h"
#include "asf/HeaderParser.h"
#include "asf/HeaderVerify.h"
#include "common/AsfBuilder.h"
#include "common/EditorProbe.h"

#include <gtest/gtest.h>
#include <map>

namespace QuillmarkTest {
namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

TAsfBuilder RichBuilder(bool WithPadding)
{
  TAsfBuilder Builder;
  Builder.AddToExtension(LanguageListObject({u"en-us", u"fr"}));
  Builder.AddToExtension(MetadataObject({DwordRecord(u"S", 1, 1)}));
  Builder.AddToExtension(PaddingObject(50));
  Builder.AddToExtension(
      LibraryObject({BinaryRecord(u"Big", TBytes(70000, 5)), StringRecord(u"Small", u"s")}));
  Builder.Add(UnknownObject(9, 17));
  Builder.Add(ContentDescriptionObject({u"T", u"A", std::nullopt, std::nullopt, std::nullopt}));
  if (WithPadding) {
    Builder.Add(PaddingObject(64));
  }
  Builder.Add(ExtendedContentObject({StringRecord(u"E", u"e"), BoolRecord(u"Flag", 0xFFFFFFFF, 4)}));
  return Builder;
}

TAsfHeader Parse(const TBytes& Bytes)
{
  return ParseHeaderBytes(Bytes);
}

// Which object each attribute of a rendered header sits in, by name (last instance wins).
std::multimap<std::u16string, TStore> StoresOf(const TBytes& Rendered)
{
  std::multimap<std::u16string, TStore> Out;
  TAsfHeader Header = Parse(Rendered);
  for (const TStoredAttribute& A : Header.Attributes.All()) {
    Out.emplace(A.Name, A.Origin->Store);
  }
  return Out;
}

std::vector<TStore> StoresNamed(const TBytes& Rendered, const std::u16string& Name)
{
  std::vector<TStore> Out;
  std::multimap<std::u16string, TStore> Stores = StoresOf(Rendered);
  auto [First, Last] = Stores.equal_range(Name);
  for (auto It = First; It != Last; ++It) {
    Out.push_back(It->second);
  }
  return Out;
}

TEST(Renderer, UnchangedHeaderComesBackIdentical)
{
  TBytes Header = RichBuilder(false).Header();
  EXPECT_EQ(RenderHeader(Parse(Header)).Bytes, Header);
  // Top-level padding is left out, and only that.
  TAsfHeader Padded = Parse(RichBuilder(true).Header());
  TAsfHeader Rendered = Parse(RenderHeader(Padded).Bytes);
  std::erase_if(Padded.Objects, [](const TAsfObject& Object) { return Object.Kind == TObjectKind::Padding; });
  ASSERT_EQ(Rendered.Objects.size(), Padded.Objects.size());
  for (std::size_t I = 0; I < Padded.Objects.size(); ++I) {
    EXPECT_EQ(Rendered.Objects[I].Bytes, Padded.Objects[I].Bytes);
  }
}

TEST(Renderer, OnlyChangedObjectsAreWrittenAgain)
{
  TBytes Header = RichBuilder(false).Header();
  TAsfHeader Model = Parse(Header);
  Model.Attributes.All()[2].Value = StringValue(u"changed"); // "E" of the Extended Content Description
  Model.Attributes.All()[2].Origin.reset();
  TAsfHeader Rendered = Parse(RenderHeader(Model).Bytes);
  ASSERT_EQ(Rendered.Objects.size(), Model.Objects.size());
  for (std::size_t I = 0; I < Model.Objects.size(); ++I) {
    if (Model.Objects[I].Kind != TObjectKind::ExtendedContentDescription) {
      EXPECT_EQ(Rendered.Objects[I].Bytes, Model.Objects[I].Bytes) << I;
    }
  }
  EXPECT_EQ(VerifyWrittenHeader(RenderHeader(Model).Bytes, Model), S_OK);
}

TEST(Renderer, EditsReadBackAsTheModel)
{
  auto Editor = OpenBytes(RichBuilder(true).File());
  TBytes Poster(100000, 0x42);
  TBytes Two = DwordValue(2);
  ASSERT_EQ(Editor->AddAttribute(0, u"Poster", nullptr, WMT_TYPE_BINARY, 0, Poster.data(), 100000), S_OK);
  ASSERT_EQ(Editor->AddAttribute(0, u"E", nullptr, WMT_TYPE_DWORD, 1, Two.data(), 4), S_OK);
  ASSERT_EQ(Editor->AddAttribute(3, u"PerStream", nullptr, WMT_TYPE_DWORD, 0, Two.data(), 4), S_OK);
  ASSERT_EQ(Editor->DeleteAttribute(0, 0), S_OK);
  ASSERT_EQ(Editor->SetAttribute(0, u"Flag", WMT_TYPE_BOOL, Two.data(), 4), S_OK);
  THeaderImage Image = RenderHeader(*Editor->Header());
  EXPECT_EQ(VerifyWrittenHeader(Image.Bytes, *Editor->Header()), S_OK);
  auto Reread = OpenBytes(Image.Bytes);
  std::vector<TSeenAttribute> Before = ListAll(*Editor);
  std::vector<TSeenAttribute> After = ListAll(*Reread);
  std::sort(Before.begin(), Before.end(), [](auto& A, auto& B) {
    return std::tie(A.Stream, A.Name, A.Value) < std::tie(B.Stream, B.Name, B.Value);
  });
  std::sort(After.begin(), After.end(), [](auto& A, auto& B) {
    return std::tie(A.Stream, A.Name, A.Value) < std::tie(B.Stream, B.Name, B.Value);
  });
  EXPECT_EQ(Before, After);
}

TEST(Renderer, VerifyNoticesADifference)
{
  TBytes Header = RichBuilder(false).Header();
  TAsfHeader Model = Parse(Header);
  Model.Attributes.All().pop_back();
  EXPECT_EQ(VerifyWrittenHeader(Header, Model), E_CORRUPT_HEADER);
  EXPECT_EQ(VerifyWrittenHeader(TBytes(Header.begin(), Header.end() - 1), Model), E_CORRUPT_HEADER);
}

class PlacementTest : public ::testing::Test {
protected:
  PlacementTest() : FEditor(OpenBytes(TAsfBuilder().WithoutExtension().File())) {}

  void Add(const std::u16string& Name, WMT_ATTR_DATATYPE Type, const TBytes& Value, WORD Stream = 0,
           WORD Lang = 0)
  {
    ASSERT_EQ(FEditor->AddAttribute(Stream, Name.c_str(), nullptr, Type, Lang, Value.data(),
                                    static_cast<DWORD>(Value.size())),
              S_OK);
  }
  TBytes Render() { return RenderHeader(*FEditor->Header()).Bytes; }

  std::shared_ptr<TMetadataEditor> FEditor;
};

TEST_F(PlacementTest, SingleContentStringsGoToContentDescription)
{
  Add(u"Title", WMT_TYPE_STRING, StringValue(u"t"));
  Add(u"Rating", WMT_TYPE_STRING, StringValue(u"r"));
  Add(u"Author", WMT_TYPE_STRING, StringValue(u"a1"));
  Add(u"Author", WMT_TYPE_STRING, StringValue(u"a2"));
  Add(u"Copyright", WMT_TYPE_DWORD, DwordValue(1));
  Add(u"Description", WMT_TYPE_STRING, StringValue(std::u16string(40000, u'd')));
  TBytes Rendered = Render();
  EXPECT_EQ(StoresNamed(Rendered, u"Title"), std::vector<TStore>{TStore::ContentDescription});
  EXPECT_EQ(StoresNamed(Rendered, u"Rating"), std::vector<TStore>{TStore::ContentDescription});
  EXPECT_EQ(StoresNamed(Rendered, u"Author"), (std::vector<TStore>{TStore::Library, TStore::Library}));
  EXPECT_EQ(StoresNamed(Rendered, u"Copyright"), std::vector<TStore>{TStore::Library});
  EXPECT_EQ(StoresNamed(Rendered, u"Description"), std::vector<TStore>{TStore::Library});
}

TEST_F(PlacementTest, OtherSmallValuesGoToExtendedContentOnce)
{
  TBytes Edge(65535, 1);
  Add(u"Genre", WMT_TYPE_STRING, StringValue(u"g1"));
  Add(u"Genre", WMT_TYPE_STRING, StringValue(u"g2"));
  Add(u"Edge", WMT_TYPE_BINARY, Edge);
  Add(u"Over", WMT_TYPE_BINARY, TBytes(65536, 2));
  Add(u"Id", WMT_TYPE_GUID, TBytes(16, 3));
  Add(u"Lang", WMT_TYPE_STRING, StringValue(u"x"));
  ASSERT_EQ(FEditor->ModifyAttribute(0, 5, WMT_TYPE_STRING, 0, StringValue(u"y").data(), 4), S_OK);
  TBytes Rendered = Render();
  EXPECT_EQ(StoresNamed(Rendered, u"Genre"), (std::vector<TStore>{TStore::ExtendedContent, TStore::Library}));
  EXPECT_EQ(StoresNamed(Rendered, u"Edge"), std::vector<TStore>{TStore::ExtendedContent});
  EXPECT_EQ(StoresNamed(Rendered, u"Over"), std::vector<TStore>{TStore::Library});
  EXPECT_EQ(StoresNamed(Rendered, u"Id"), std::vector<TStore>{TStore::Library});
}

TEST_F(PlacementTest, StreamValuesGoToMetadataOnceAndLargeValuesLast)
{
  Add(u"Huge", WMT_TYPE_BINARY, TBytes(70000, 1), 2);
  Add(u"S", WMT_TYPE_DWORD, DwordValue(1), 2);
  Add(u"S", WMT_TYPE_DWORD, DwordValue(2), 2);
  Add(u"Z", WMT_TYPE_WORD, Le16(5), 2);
  TAsfHeader Rendered = Parse(Render());
  std::vector<std::pair<std::u16string, TStore>> Seen;
  for (const TStoredAttribute& A : Rendered.Attributes.All()) {
    Seen.emplace_back(A.Name, A.Origin->Store);
  }
  std::vector<std::pair<std::u16string, TStore>> Expected = {{u"S", TStore::Metadata},
                                                             {u"Z", TStore::Metadata},
                                                             {u"S", TStore::Library},
                                                             {u"Huge", TStore::Library}};
  EXPECT_EQ(Seen, Expected);
  // A Header Extension was made for them, with its data size right.
  ASSERT_TRUE(Rendered.ExtensionIndex.has_value());
  const TBytes& Extension = Rendered.Objects[*Rendered.ExtensionIndex].Bytes;
  EXPECT_EQ(LoadDword(Extension, 42), Extension.size() - 46);
}

TEST_F(PlacementTest, EmptiedObjectsAreDroppedAndCountsRecomputed)
{
  auto Editor = OpenBytes(RichBuilder(false).File());
  for (int I = 0; I < 4; ++I) {
    ASSERT_EQ(Editor->DeleteAttribute(0, 0), S_OK); // T, A, E, Flag
  }
  TBytes Rendered = RenderHeader(*Editor->Header()).Bytes;
  TAsfHeader Header = Parse(Rendered);
  for (const TAsfObject& Object : Header.Objects) {
    EXPECT_NE(Object.Kind, TObjectKind::ContentDescription);
    EXPECT_NE(Object.Kind, TObjectKind::ExtendedContentDescription);
  }
  EXPECT_EQ(LoadDword(Rendered, 24), Header.Objects.size());
  EXPECT_EQ(LoadQword(Rendered, 16), Rendered.size());
}

TEST(Renderer, FileSizeOffsetPointsAtFilePropertiesUnlessBroadcast)
{
  TAsfBuilder Builder;
  TBytes File = Builder.File();
  THeaderImage Image = RenderHeader(ParseHeader(TMemorySource(File)));
  ASSERT_TRUE(Image.FileSizeOffset.has_value());
  EXPECT_EQ(LoadQword(Image.Bytes, *Image.FileSizeOffset), File.size());
  EXPECT_FALSE(RenderHeader(ParseHeader(TMemorySource(TAsfBuilder().Broadcast().File()))).FileSizeOffset);
}

} // namespace
} // namespace QuillmarkTest
