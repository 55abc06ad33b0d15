// Copies of the texts under other names (FFmpeg's lower-case keys) follow
// a save's change of the text, and only of that text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueWriting.h"
#include "common/FakeEditor.h"

namespace QuillmarkTest {

namespace {

class TCopyReporter : public ICatalogueReporter {
public:
  void Refuse(const std::u16string&) override {}
  void DeleteFailed(const std::u16string&) override {}
  void CopyKeptInStep(const std::u16string& Name, bool Removed) override
  {
    Kept.push_back(Name + (Removed ? u" removed" : u" kept"));
  }
  std::vector<std::u16string> Kept;
};

TEST(CopyInStep, NamesThatCopyAText)
{
  const struct {
    const char16_t* Name;
    const char16_t* Copies; // null: no copy
  } Cases[] = {
      {u"title", u"Title"},
      {u"TITLE", u"Title"},
      {u"copyright", u"Copyright"},
      {u"comment", u"Description"},
      {u"description", u"Description"},
      {u"artist", u"Author"},
      {u"author", u"Author"},
      {u"ARTIST", u"Author"},
      {u"stereodiscname", u"StereoDiscName"},
      {u"Title", nullptr},
      {u"Author", nullptr},
      {u"stereoscopic", nullptr},
      {u"stereodisctitleindex", nullptr},
      {u"stereoscopiclayout", nullptr},
      {u"date", nullptr},
      {u"titles", nullptr},
      {u"WM/AlbumTitle", nullptr},
  };
  for (const auto& Case : Cases) {
    const TCatalogueEntry* Copied = CopiedEntry(Case.Name);
    if (Case.Copies == nullptr) {
      EXPECT_EQ(Copied, nullptr) << "case " << &Case - Cases;
    } else {
      ASSERT_NE(Copied, nullptr);
      EXPECT_EQ(std::u16string(Copied->Name), Case.Copies);
    }
  }
}

// An FFmpeg-tagged header: the Content Description's texts, the lower-case
// copies FFmpeg adds, and one it adds that copies nothing.
std::vector<TFakeAttribute> FfmpegTagged()
{
  return {
      StringAttribute(u"Title", u"FF Title"), StringAttribute(u"Author", u"X"),
      StringAttribute(u"Copyright", u"Y"),    StringAttribute(u"Description", u"Z"),
      StringAttribute(u"title", u"FF Title"), StringAttribute(u"artist", u"X"),
      StringAttribute(u"copyright", u"Y"),    StringAttribute(u"comment", u"Z"),
      StringAttribute(u"date", u"2021"),
  };
}

TEST(CopyInStep, ChangedClearedAndUntouchedTexts)
{
  const struct {
    const char* Case;
    TAttribute Changed;
    std::u16string TCatalogueValues::*Text;
    const char16_t* Value;
    const char16_t* Copy;      // the copy's name
    const char16_t* Untouched; // another copy, left as stored
    const char16_t* Stored;    // ... its stored text
  } Cases[] = {
      {"title changed", TAttribute::Title, &TCatalogueValues::Title, u"New T", u"title", u"copyright", u"Y"},
      {"title cleared", TAttribute::Title, &TCatalogueValues::Title, u"  ", u"title", u"comment", u"Z"},
      {"author changed", TAttribute::Author, &TCatalogueValues::Author, u"A", u"artist", u"title",
       u"FF Title"},
      {"author cleared", TAttribute::Author, &TCatalogueValues::Author, u"", u"artist", u"title",
       u"FF Title"},
      {"copyright changed", TAttribute::Copyright, &TCatalogueValues::Copyright, u"C", u"copyright",
       u"artist", u"X"},
      {"description changed", TAttribute::Description, &TCatalogueValues::Description, u" D ", u"comment",
       u"title", u"FF Title"},
      {"description cleared", TAttribute::Description, &TCatalogueValues::Description, u"", u"comment",
       u"copyright", u"Y"},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Case);
    auto Editor = MakeOpenFakeEditor(FfmpegTagged());
    TCatalogueValues Values;
    Values.Changed = {};
    Values.*Case.Text = Case.Value;
    Values.Changed.Mark(Case.Changed);
    TCopyReporter Reporter;
    bool Reported = false;
    ASSERT_TRUE(WriteCatalogue(Editor, Values, Reporter, Reported, u'.'));
    const std::u16string Trimmed = Case.Value == std::u16string(u" D ") ? u"D" : Case.Value;
    const bool Cleared = Trimmed.find_first_not_of(u' ') == std::u16string::npos;
    const std::vector<TFakeAttribute> Copies = Editor->Find(Case.Copy);
    if (Cleared) {
      EXPECT_TRUE(Copies.empty());
      EXPECT_EQ(Reporter.Kept, std::vector<std::u16string>{std::u16string(Case.Copy) + u" removed"});
    } else {
      EXPECT_EQ(Copies, std::vector{StringAttribute(Case.Copy, Trimmed)});
      EXPECT_EQ(Reporter.Kept, std::vector<std::u16string>{std::u16string(Case.Copy) + u" kept"});
    }
    EXPECT_EQ(Editor->Find(Case.Untouched), std::vector{StringAttribute(Case.Untouched, Case.Stored)});
    EXPECT_EQ(Editor->Find(u"date"), std::vector{StringAttribute(u"date", u"2021")});
  }
}

// A copy keeps its place and language; a copy in another stream is no
// file-level value and stays.
TEST(CopyInStep, ACopyKeepsItsPlaceAndLanguage)
{
  std::vector<TFakeAttribute> File = FfmpegTagged();
  File[4].Language = 2;
  TFakeAttribute InStream = StringAttribute(u"title", u"stream title");
  InStream.Stream = 1;
  File.push_back(InStream);
  auto Editor = MakeOpenFakeEditor(File);
  TCatalogueValues Values;
  Values.Changed = {};
  Values.Title = u"New T";
  Values.Changed.Mark(TAttribute::Title);
  TCopyReporter Reporter;
  bool Reported = false;
  ASSERT_TRUE(WriteCatalogue(Editor, Values, Reporter, Reported, u'.'));
  TFakeAttribute Expected = StringAttribute(u"title", u"New T");
  Expected.Language = 2;
  ASSERT_EQ(Editor->Find(u"title").size(), 2U);
  EXPECT_EQ(Editor->Find(u"title")[0], Expected);
  EXPECT_EQ(Editor->Find(u"title")[1], InStream);
}

} // namespace

} // namespace QuillmarkTest
