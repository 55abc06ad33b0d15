#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueReading.h"
#include "catalogue/CatalogueWriting.h"
#include "catalogue/PictureRules.h"
#include "common/FakeEditor.h"
#include "common/FaultyEditor.h"
#include "common/TestJpeg.h"

namespace QuillmarkTest {

namespace {

class TRecordingReporter : public ICatalogueReporter {
public:
  void Refuse(const std::u16string& Text) override { Refusals.push_back(Text); }
  void DeleteFailed(const std::u16string& Name) override { Deletions.push_back(Name); }

  std::vector<std::u16string> Refusals;
  std::vector<std::u16string> Deletions;
};

std::shared_ptr<const TJpegImage> Picture(int Width, int Height, std::size_t PadToBytes = 0)
{
  auto Image = std::make_shared<TJpegImage>();
  EXPECT_TRUE(Image->LoadFromBytes(MakeJpeg(Width, Height, PadToBytes)));
  return Image;
}

TCatalogueValues StereoValues()
{
  TCatalogueValues Values;
  Values.Stereo = true;
  Values.LayoutIndex = 6;
  Values.Duration = u" 2.5 ";
  Values.Parallax = u"-12";
  Values.HalfHeight = true;
  Values.Source = u"  Rig\t";
  Values.Title = u"Title \U0001F3AC";
  Values.Description = u"One\r\nTwo\r\n";
  Values.TitleIndex = u"0";
  Values.Preview = Picture(160, 120, 5000);
  Values.Poster = Picture(480, 480, 70000);
  return Values;
}

struct TSave {
  bool Ok = false;
  bool Reported = false;
  TRecordingReporter Reporter;
};

TSave Save(const TRef<IWMMetadataEditor2>& Editor, TCatalogueValues& Values, char16_t Separator = u'.')
{
  TSave Result;
  Result.Ok = WriteCatalogue(Editor, Values, Result.Reporter, Result.Reported, Separator);
  return Result;
}

// Every attribute of the catalogue that is stale in the header before saving.
std::vector<TFakeAttribute> StaleCatalogue()
{
  return {
      DwordAttribute(u"Stereoscopic", 1, WMT_TYPE_BOOL),
      StringAttribute(u"StereoscopicLayout", u"DualStream"),
      QwordAttribute(u"StereoscopicSkip", 7),
      DwordAttribute(u"StereoscopicHorizontalParallax", 3),
      DwordAttribute(u"StereoscopicHalfWidth", 1, WMT_TYPE_BOOL),
      DwordAttribute(u"StereoscopicHalfHeight", 1, WMT_TYPE_BOOL),
      StringAttribute(u"Title", u"stale"),
      StringAttribute(u"Title", u"stale twin"),
      DwordAttribute(u"StereoDiscTitleIndex", 9),
      BinaryAttribute(u"StereoDiscTitlePoster", {1, 2, 3}),
      BinaryAttribute(u"StereoDiscTitlePoster", {4, 5, 6}),
  };
}

const TFakeAttribute Foreign = StringAttribute(u"WM/Genre", u"Documentary");

} // namespace

TEST(CatalogueWriting, StoresEachValueInItsForm)
{
  auto Editor = MakeOpenFakeEditor({Foreign});
  TCatalogueValues Values = StereoValues();
  const TSave Result = Save(Editor, Values);
  ASSERT_TRUE(Result.Ok);
  EXPECT_FALSE(Result.Reported);
  EXPECT_EQ(Editor->Find(u"Stereoscopic"), std::vector{DwordAttribute(u"Stereoscopic", 1, WMT_TYPE_BOOL)});
  EXPECT_EQ(Editor->Find(u"StereoscopicLayout"),
            std::vector{StringAttribute(u"StereoscopicLayout", u"Mono")});
  EXPECT_EQ(Editor->Find(u"StereoscopicSkip"), std::vector{QwordAttribute(u"StereoscopicSkip", 25000000)});
  EXPECT_EQ(Editor->Find(u"StereoscopicHorizontalParallax"),
            std::vector{DwordAttribute(u"StereoscopicHorizontalParallax", 0xFFFFFFF4U)});
  EXPECT_TRUE(Editor->Find(u"StereoscopicHalfWidth").empty());
  EXPECT_EQ(Editor->Find(u"StereoscopicHalfHeight"),
            std::vector{DwordAttribute(u"StereoscopicHalfHeight", 1, WMT_TYPE_BOOL)});
  EXPECT_EQ(Editor->Find(u"Source"), std::vector{StringAttribute(u"Source", u"Rig")});
  EXPECT_EQ(Editor->Find(u"Title"), std::vector{StringAttribute(u"Title", u"Title \U0001F3AC")});
  EXPECT_EQ(Editor->Find(u"Description"), std::vector{StringAttribute(u"Description", u"One\r\nTwo")});
  EXPECT_TRUE(Editor->Find(u"Author").empty());
  EXPECT_EQ(Editor->Find(u"StereoDiscTitleIndex"), std::vector{DwordAttribute(u"StereoDiscTitleIndex", 0)});
  EXPECT_EQ(Editor->Find(u"StereoscopicPreview"),
            std::vector{BinaryAttribute(u"StereoscopicPreview", Values.Preview->Bytes())});
  EXPECT_EQ(Editor->Find(u"StereoDiscTitlePoster"),
            std::vector{BinaryAttribute(u"StereoDiscTitlePoster", Values.Poster->Bytes())});
  EXPECT_EQ(Editor->Find(u"WM/Genre"), std::vector{Foreign});
}

TEST(CatalogueWriting, CallsComeInTheirOrder)
{
  auto Faulty = std::make_shared<TFaultyEditor>(MakeOpenFakeEditor());
  TCatalogueValues Values = StereoValues();
  Values.Author = u"A";
  ASSERT_TRUE(Save(Faulty, Values).Ok);
  std::vector<std::string> Expected;
  for (const TCatalogueEntry& Entry : Catalogue) {
    Expected.push_back("GetAttributeIndices " +
                       std::string(Entry.Name, Entry.Name + std::u16string_view(Entry.Name).size()));
  }
  const std::vector<const char*> Texts = {"Title", "Author", "Description", "Source"};
  for (const char* Name : Texts) {
    Expected.push_back(std::string("SetAttribute ") + Name);
  }
  // The copies of the texts are looked for once the texts are written:
  // each stored name, from the last.
  Expected.emplace_back("GetAttributeCountEx");
  for (auto Name = Texts.rbegin(); Name != Texts.rend(); ++Name) {
    Expected.insert(Expected.end(), 2, std::string("GetAttributeByIndexEx ") + *Name);
  }
  for (const char* Name : {"Stereoscopic", "StereoscopicHalfHeight", "StereoscopicLayout", "StereoscopicSkip",
                           "StereoscopicHorizontalParallax", "StereoscopicPreview", "StereoDiscTitleIndex"}) {
    Expected.push_back(std::string("SetAttribute ") + Name);
  }
  Expected.push_back("AddAttribute StereoDiscTitlePoster");
  EXPECT_EQ(Faulty->Log(), Expected);
}

TEST(CatalogueWriting, ReplacesEveryInstanceAndLeavesOtherAttributes)
{
  std::vector<TFakeAttribute> File = StaleCatalogue();
  File.insert(File.begin() + 3, Foreign);
  auto Editor = MakeOpenFakeEditor(File);
  TCatalogueValues Values = StereoValues();
  ASSERT_TRUE(Save(Editor, Values).Ok);
  EXPECT_EQ(Editor->Find(u"Title").size(), 1U);
  EXPECT_EQ(Editor->Find(u"StereoDiscTitlePoster").size(), 1U);
  EXPECT_EQ(Editor->Find(u"WM/Genre"), std::vector{Foreign});

  // A second save of the same values writes the same header.
  const std::vector<TFakeAttribute> First = Editor->Header();
  ASSERT_TRUE(Save(Editor, Values).Ok);
  EXPECT_EQ(Editor->Header(), First);
}

TEST(CatalogueWriting, DefaultsAreStoredAsAbsence)
{
  auto Editor = MakeOpenFakeEditor(StaleCatalogue());
  TCatalogueValues Values;
  Values.Title = u" \t ";
  ASSERT_TRUE(Save(Editor, Values).Ok);
  EXPECT_TRUE(Editor->Header().empty());

  Values = StereoValues();
  Values.Duration = u"0";
  Values.Parallax = u"";
  ASSERT_TRUE(Save(Editor, Values).Ok);
  EXPECT_TRUE(Editor->Find(u"StereoscopicSkip").empty());
  EXPECT_TRUE(Editor->Find(u"StereoscopicHorizontalParallax").empty());
  Values.Duration = u"-0.00000004";
  Values.TitleIndex = u"";
  ASSERT_TRUE(Save(Editor, Values).Ok);
  EXPECT_TRUE(Editor->Find(u"StereoscopicSkip").empty());
  EXPECT_TRUE(Editor->Find(u"StereoDiscTitleIndex").empty());
}

TEST(CatalogueWriting, UntickedStereoIgnoresAndRemovesTheStereoRows)
{
  auto Editor = MakeOpenFakeEditor(StaleCatalogue());
  TCatalogueValues Values = StereoValues();
  Values.Stereo = false;
  Values.Duration = u"abc";
  Values.Parallax = u"x";
  Values.LayoutIndex = -1;
  Values.HalfWidth = true;
  Values.HalfHeight = false;
  ASSERT_TRUE(Save(Editor, Values).Ok);
  for (const char16_t* Name :
       {u"Stereoscopic", u"StereoscopicLayout", u"StereoscopicSkip", u"StereoscopicHorizontalParallax",
        u"StereoscopicHalfWidth", u"StereoscopicHalfHeight"}) {
    EXPECT_TRUE(Editor->Find(Name).empty());
  }
  EXPECT_EQ(Editor->Find(u"Source").size(), 1U);
  EXPECT_EQ(Editor->Find(u"StereoscopicPreview").size(), 1U);
  EXPECT_EQ(Editor->Find(u"StereoDiscTitleIndex").size(), 1U);
  EXPECT_EQ(Editor->Find(u"StereoDiscTitlePoster").size(), 1U);
}

TEST(CatalogueWriting, BothHalfBoxesAreUntickedEvenWhenRefused)
{
  auto Editor = MakeOpenFakeEditor();
  TCatalogueValues Values = StereoValues();
  Values.HalfWidth = Values.HalfHeight = true;
  ASSERT_TRUE(Save(Editor, Values).Ok);
  EXPECT_FALSE(Values.HalfWidth || Values.HalfHeight);
  EXPECT_TRUE(Editor->Find(u"StereoscopicHalfWidth").empty());
  EXPECT_TRUE(Editor->Find(u"StereoscopicHalfHeight").empty());

  Values.HalfWidth = Values.HalfHeight = true;
  Values.LayoutIndex = -1;
  EXPECT_FALSE(Save(Editor, Values).Ok);
  EXPECT_FALSE(Values.HalfWidth || Values.HalfHeight);
}

TEST(CatalogueWriting, RefusalsComeInOrderAndLeaveTheHeaderUntouched)
{
  auto Faulty = std::make_shared<TFaultyEditor>(MakeOpenFakeEditor(StaleCatalogue()));
  TCatalogueValues Values = StereoValues();
  Values.Duration = u"-1";
  Values.Parallax = u"12 ";
  Values.LayoutIndex = -1;
  Values.TitleIndex = u"3000000000";
  Values.Description = std::u16string(32767, u'd');
  const std::u16string Expected[] = {
      u"Please enter a valid 2D intro duration!",
      u"Please enter a valid parallax correction!",
      u"Please select a stereoscopic layout!",
      u"Please enter a valid title index!",
      u"The description is too long to be saved. Please shorten it to 32766 characters or fewer.",
  };
  for (const std::u16string& Text : Expected) {
    const TSave Result = Save(Faulty, Values);
    EXPECT_FALSE(Result.Ok);
    EXPECT_TRUE(Result.Reported);
    EXPECT_EQ(Result.Reporter.Refusals, std::vector{Text});
    EXPECT_TRUE(Faulty->Log().empty());
    if (Values.Duration == u"-1") {
      Values.Duration = u"2.5";
    } else if (Values.Parallax == u"12 ") {
      Values.Parallax = u" 12";
    } else if (Values.LayoutIndex == -1) {
      Values.LayoutIndex = 0;
    } else if (Values.TitleIndex == u"3000000000") {
      Values.TitleIndex = u"2147483647";
    } else {
      Values.Description.resize(32766);
    }
  }
  const TSave Result = Save(Faulty, Values);
  EXPECT_TRUE(Result.Ok);
  EXPECT_TRUE(Result.Reporter.Refusals.empty());
}

TEST(CatalogueWriting, RefusedNumbers)
{
  auto Refused = [](TCatalogueValues Values) {
    auto Editor = MakeOpenFakeEditor();
    return Save(Editor, Values).Reporter.Refusals;
  };
  const std::vector<std::u16string> Duration = {DurationRefusal};
  const std::vector<std::u16string> TitleIndex = {TitleIndexRefusal};
  for (const std::u16string Text : {u"abc", u"2,5", u"-1", u"1e400", u"922337203686", u"\t2.5"}) {
    TCatalogueValues Values = StereoValues();
    Values.Duration = Text;
    EXPECT_EQ(Refused(Values), Duration);
  }
  for (const std::u16string Text : {u"-1", u"3000000000", u"$B2D05E00", u"1 ", u"one"}) {
    TCatalogueValues Values;
    Values.TitleIndex = Text;
    EXPECT_EQ(Refused(Values), TitleIndex);
  }
  TCatalogueValues Values = StereoValues();
  Values.Parallax = u"2147483648";
  EXPECT_EQ(Refused(Values), std::vector<std::u16string>{ParallaxRefusal});
}

TEST(CatalogueWriting, DurationUsesTheGivenSeparator)
{
  auto Editor = MakeOpenFakeEditor();
  TCatalogueValues Values = StereoValues();
  Values.Duration = u"2,5";
  ASSERT_TRUE(Save(Editor, Values, u',').Ok);
  EXPECT_EQ(Editor->Find(u"StereoscopicSkip"), std::vector{QwordAttribute(u"StereoscopicSkip", 25000000)});
}

TEST(CatalogueWriting, LongestTextIsStored)
{
  auto Editor = MakeOpenFakeEditor();
  TCatalogueValues Values;
  Values.DiscName = std::u16string(32766, u'n');
  ASSERT_TRUE(Save(Editor, Values).Ok);
  ASSERT_EQ(Editor->Find(u"StereoDiscName").size(), 1U);
  EXPECT_EQ(Editor->Find(u"StereoDiscName")[0].Value.size(), 65534U);
  Values.DiscName.push_back(u'n');
  EXPECT_EQ(Save(Editor, Values).Reporter.Refusals,
            std::vector<std::u16string>{TextTooLongRefusal(u"disc name")});
}

TEST(CatalogueWriting, PreviewTooLongForItsLengthFieldIsRefused)
{
  auto Faulty = std::make_shared<TFaultyEditor>(MakeOpenFakeEditor());
  TCatalogueValues Values;
  Values.Preview = Picture(160, 120, 65536);
  const TSave Result = Save(Faulty, Values);
  EXPECT_FALSE(Result.Ok);
  EXPECT_TRUE(Result.Reported);
  EXPECT_EQ(Result.Reporter.Refusals, std::vector{PictureRejectedMessage(TPictureKind::Preview)});
  EXPECT_TRUE(Faulty->Log().empty());
}

TEST(CatalogueWriting, FailedDeletionIsReportedAndStops)
{
  auto Fake = MakeOpenFakeEditor(StaleCatalogue());
  auto Faulty = std::make_shared<TFaultyEditor>(Fake);
  Faulty->Fail({TCall::DeleteAttribute, std::u16string(u"Title")});
  TCatalogueValues Values = StereoValues();
  const TSave Result = Save(Faulty, Values);
  EXPECT_FALSE(Result.Ok);
  EXPECT_FALSE(Result.Reported);
  EXPECT_EQ(Result.Reporter.Deletions, std::vector<std::u16string>{u"Title"});
  EXPECT_TRUE(Result.Reporter.Refusals.empty());
  const std::vector<std::string> Changes = Faulty->ChangingCalls();
  ASSERT_FALSE(Changes.empty());
  EXPECT_EQ(Changes.back(), "DeleteAttribute Title failed");
  EXPECT_EQ(Faulty->Log().back(), "DeleteAttribute Title failed");
  for (std::size_t Index = 0; Index < static_cast<std::size_t>(TAttribute::Title); ++Index) {
    EXPECT_TRUE(Fake->Find(Catalogue[Index].Name).empty());
  }
  EXPECT_EQ(Fake->Find(u"Title").size(), 2U);
  EXPECT_EQ(Fake->Find(u"StereoDiscTitleIndex").size(), 1U);
  EXPECT_EQ(Fake->Find(u"StereoDiscTitlePoster").size(), 2U);
}

TEST(CatalogueWriting, FailedWritesReturnFalseWithoutAMessage)
{
  for (const TFault& Fault : {TFault{TCall::SetAttribute, std::u16string(u"Author")},
                              TFault{TCall::SetAttribute, std::u16string(u"StereoscopicSkip")},
                              TFault{TCall::AddAttribute, std::nullopt},
                              TFault{TCall::GetAttributeIndices, std::u16string(u"Source")}}) {
    auto Faulty = std::make_shared<TFaultyEditor>(MakeOpenFakeEditor());
    Faulty->Fail(Fault);
    TCatalogueValues Values = StereoValues();
    Values.Author = u"A";
    const TSave Result = Save(Faulty, Values);
    EXPECT_FALSE(Result.Ok);
    EXPECT_FALSE(Result.Reported);
    EXPECT_TRUE(Result.Reporter.Refusals.empty() && Result.Reporter.Deletions.empty());
    EXPECT_TRUE(Faulty->Log().back().ends_with(" failed"));
  }
}

TEST(CatalogueWriting, NoEditorFailsAtOnce)
{
  TCatalogueValues Values = StereoValues();
  Values.Duration = u"bad";
  const TSave Result = Save(nullptr, Values);
  EXPECT_FALSE(Result.Ok);
  EXPECT_FALSE(Result.Reported);
  EXPECT_TRUE(Result.Reporter.Refusals.empty());
}

TEST(CatalogueWriting, WrittenValuesReadBack)
{
  auto Editor = MakeOpenFakeEditor();
  TCatalogueValues Values = StereoValues();
  Values.Parallax = u"$10";
  ASSERT_TRUE(Save(Editor, Values).Ok);
  TCatalogueValues Read;
  ASSERT_TRUE(ReadCatalogue(Editor, Read, u'.'));
  EXPECT_TRUE(Read.Stereo);
  EXPECT_EQ(Read.LayoutIndex, 6);
  EXPECT_EQ(Read.Duration, u"2.5");
  EXPECT_EQ(Read.Parallax, u"16");
  EXPECT_EQ(Read.Source, u"Rig");
  EXPECT_EQ(Read.Title, Values.Title);
  EXPECT_EQ(Read.TitleIndex, u"0");
  ASSERT_NE(Read.Preview, nullptr);
  EXPECT_EQ(Read.Preview->Bytes(), Values.Preview->Bytes());
  ASSERT_NE(Read.Poster, nullptr);
  EXPECT_EQ(Read.Poster->Bytes(), Values.Poster->Bytes());
}

TEST(CatalogueWriting, MissingHeaderInterfaceIsAnError)
{
  auto Editor = std::make_shared<TEditorWithoutHeaderInfo3>(MakeOpenFakeEditor());
  TCatalogueValues Values;
  bool Reported = true;
  TRecordingReporter Reporter;
  EXPECT_THROW(WriteCatalogue(Editor, Values, Reporter, Reported, u'.'), EInterfaceNotSupported);
  EXPECT_FALSE(Reported);
}

} // namespace QuillmarkTest
