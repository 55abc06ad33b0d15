#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "catalogue/Catalogue.h"
#include "common/FakeEditor.h"
#include "common/FaultyEditor.h"
#include "metadata/TextConversion.h"

namespace QuillmarkTest {

TEST(Catalogue, NamesAreUniqueAndFoundExactly)
{
  std::set<std::u16string> Names;
  for (const TCatalogueEntry& Entry : Catalogue) {
    Names.insert(Entry.Name);
    EXPECT_EQ(FindEntry(Entry.Name), &Entry);
  }
  EXPECT_EQ(Names.size(), CatalogueSize);
  EXPECT_EQ(FindEntry(u"title"), nullptr);
  // The poster's name and its terminator fill the 22-character name buffer.
  EXPECT_EQ(std::u16string_view(AttributeName(TAttribute::StereoDiscTitlePoster)).size(), 21U);
}

TEST(Catalogue, LayoutKeysByPosition)
{
  EXPECT_EQ(LayoutIndexOfKey(u"Mono"), 6);
  EXPECT_EQ(LayoutIndexOfKey(u"Monoscopic"), -1);
  EXPECT_EQ(std::u16string(LayoutKeyAt(0)), u"SideBySideRF");
  EXPECT_EQ(LayoutKeyAt(-1), nullptr);
  EXPECT_EQ(LayoutKeyAt(7), nullptr);
  EXPECT_EQ(std::u16string(LayoutItems[6]), u"Monoscopic");
}

// Each name a column gives an attribute finds that attribute alone: the
// JSON form, the command line, show's lines and the window look them up.
TEST(Catalogue, EveryColumnOfNamesIsUnique)
{
  const std::pair<const char*, const char * TCatalogueEntry::*> Columns[] = {
      {"JsonKey", &TCatalogueEntry::JsonKey}, {"Option", &TCatalogueEntry::Option},
      {"Label", &TCatalogueEntry::Label},     {"Noun", &TCatalogueEntry::Noun},
      {"Control", &TCatalogueEntry::Control},
  };
  for (const auto& [Column, Member] : Columns) {
    std::set<std::string> Names;
    for (const TCatalogueEntry& Row : Catalogue) {
      EXPECT_TRUE(Names.insert(Row.*Member).second) << Column << " " << Row.*Member;
    }
  }
}

TEST(Catalogue, LayoutTableAnswersEveryQuestionOfALayout)
{
  for (const TLayoutEntry& Layout : Layouts) {
    const int Index = LayoutIndex(Layout.Layout);
    EXPECT_EQ(LayoutIndexOfKey(Layout.Key), Index);
    EXPECT_EQ(LayoutAt(Index), Layout.Layout);
    const bool Split =
        Layout.Family == TLayoutFamily::SideBySide || Layout.Family == TLayoutFamily::OverUnder;
    EXPECT_EQ(IsSplitLayout(Index), Split);
    if (Split) {
      EXPECT_EQ(SplitLayout(Layout.Family, Layout.LeftFirst), Layout.Layout);
    }
    // Tags are matched against lower-cased tokens of a name.
    for (const char* Tags : {Layout.NameTags, Layout.HalfNameTags}) {
      for (const char* At = Tags; *At != '\0'; ++At) {
        EXPECT_TRUE((*At >= 'a' && *At <= 'z') || *At == ' ' || *At == '-') << Tags;
      }
    }
  }
  EXPECT_FALSE(LayoutAt(-1));
  EXPECT_FALSE(LayoutAt(static_cast<int>(LayoutCount)));
}

TEST(TextConversion, RoundTripsAndReplacesIllFormedInput)
{
  const std::u16string Text = u"Caf\u00E9 \u20AC \U0001F3AC";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(Text)), Text);
  EXPECT_EQ(Utf8ToUtf16("a\xFF"
                        "b"),
            u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");           // overlong
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // surrogate
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD\uFFFD");           // cut short
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(FakeEditor, KeepsTheEditorsContract)
{
  auto Editor = MakeOpenFakeEditor(
      {StringAttribute(u"A", u"1"), StringAttribute(u"B", u"2"), StringAttribute(u"A", u"3")});
  std::array<WORD, 2> Indices{};
  WORD Count = 1;
  EXPECT_EQ(Editor->GetAttributeIndices(0, u"A", nullptr, Indices.data(), &Count), E_BUFFER_TOO_SMALL);
  EXPECT_EQ(Count, 2);
  ASSERT_EQ(Editor->GetAttributeIndices(0, u"A", nullptr, Indices.data(), &Count), S_OK);
  EXPECT_EQ(Indices, (std::array<WORD, 2>{2, 0})); // descending
  ASSERT_EQ(Editor->DeleteAttribute(0, 0), S_OK);  // B moves down to 0
  EXPECT_EQ(Editor->Header()[0].Name, u"B");

  WORD Index = 0;
  const BYTE Bytes[] = {1, 2, 3, 4};
  ASSERT_EQ(Editor->AddAttribute(0, u"A", &Index, WMT_TYPE_BINARY, 0, Bytes, 4), S_OK);
  EXPECT_EQ(Index, 2);
  EXPECT_EQ(Editor->Find(u"A").size(), 2U);
  ASSERT_EQ(Editor->SetAttribute(0, u"A", WMT_TYPE_DWORD, Bytes, 4), S_OK);
  EXPECT_EQ(Editor->Find(u"A"), std::vector{DwordAttribute(u"A", 0x04030201U)});

  WORD Stream = 0;
  WMT_ATTR_DATATYPE Type = WMT_TYPE_STRING;
  WORD Length = 0;
  ASSERT_EQ(Editor->GetAttributeByName(&Stream, u"B", &Type, nullptr, &Length), S_OK);
  EXPECT_EQ(Length, 4);
  std::array<BYTE, 3> Small{};
  Length = 3;
  EXPECT_EQ(Editor->GetAttributeByName(&Stream, u"B", &Type, Small.data(), &Length), E_BUFFER_TOO_SMALL);
  EXPECT_EQ(Editor->GetAttributeByName(&Stream, u"C", &Type, nullptr, &Length), E_NOT_FOUND);

  // Values above 65,535 bytes travel only with 32-bit lengths.
  const std::vector<BYTE> Large(70000, 7);
  ASSERT_EQ(Editor->AddAttribute(0, u"L", &Index, WMT_TYPE_BINARY, 0, Large.data(), 70000), S_OK);
  EXPECT_NE(Editor->GetAttributeByName(&Stream, u"L", &Type, nullptr, &Length), S_OK);
  DWORD LongLength = 0;
  ASSERT_EQ(Editor->GetAttributeByIndexEx(0, Index, nullptr, nullptr, &Type, nullptr, nullptr, &LongLength),
            S_OK);
  EXPECT_EQ(LongLength, 70000U);

  ASSERT_EQ(Editor->Flush(), S_OK);
  EXPECT_FALSE(Editor->IsOpen());
  EXPECT_EQ(Editor->GetAttributeByName(&Stream, u"B", &Type, nullptr, &Length), E_INVALID_STATE);
  ASSERT_EQ(Editor->OpenEx(u"video.wmv", GENERIC_READ | GENERIC_WRITE, 0), S_OK);
  EXPECT_EQ(Editor->Header().size(), 3U);
}

TEST(FaultyEditor, FailsChosenCallsAndPassesTheRest)
{
  auto Fake = MakeOpenFakeEditor();
  auto Faulty = std::make_shared<TFaultyEditor>(Fake);
  Faulty->Fail({TCall::Flush, std::nullopt, 0, 1});
  Faulty->Fail({TCall::OpenEx, std::nullopt, 1});
  const BYTE Bytes[] = {1, 0, 0, 0};
  ASSERT_EQ(Faulty->SetAttribute(0, u"A", WMT_TYPE_DWORD, Bytes, 4), S_OK);
  EXPECT_NE(Faulty->Flush(), S_OK);
  EXPECT_TRUE(Fake->IsOpen());
  EXPECT_EQ(Faulty->Flush(), S_OK);
  EXPECT_EQ(Faulty->OpenEx(u"v.wmv", GENERIC_READ | GENERIC_WRITE, 0), S_OK);
  EXPECT_NE(Faulty->OpenEx(u"v.wmv", GENERIC_READ | GENERIC_WRITE, 0), S_OK);
  EXPECT_EQ(Faulty->Log(),
            (std::vector<std::string>{"SetAttribute A", "Flush failed", "Flush", "OpenEx", "OpenEx failed"}));
  EXPECT_EQ(Faulty->ChangingCalls(), (std::vector<std::string>{"SetAttribute A", "Flush failed", "Flush"}));
}

} // namespace QuillmarkTest
