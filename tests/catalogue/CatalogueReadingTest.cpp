#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/CatalogueReading.h"
#include "catalogue/DecimalSeparator.h"
#include "common/FakeEditor.h"
#include "common/FaultyEditor.h"
#include "common/TestJpeg.h"

namespace QuillmarkTest {

namespace {

struct TRead {
  bool Ok = false;
  TCatalogueValues Values;
};

TRead Read(std::vector<TFakeAttribute> File, char16_t Separator = u'.')
{
  TRead Result;
  Result.Ok = ReadCatalogue(MakeOpenFakeEditor(std::move(File)), Result.Values, Separator);
  return Result;
}

// Everything a file can hold, well formed.
std::vector<TFakeAttribute> FullFile()
{
  return {
      DwordAttribute(u"Stereoscopic", 1, WMT_TYPE_BOOL),
      StringAttribute(u"StereoscopicLayout", u"OverUnderLT"),
      QwordAttribute(u"StereoscopicSkip", 25000000),
      DwordAttribute(u"StereoscopicHorizontalParallax", 0xFFFFFFF6U),
      BinaryAttribute(u"StereoscopicPreview", MakeJpeg(160, 120)),
      DwordAttribute(u"StereoscopicHalfWidth", 0xFFFFFFFFU, WMT_TYPE_BOOL),
      DwordAttribute(u"StereoscopicHalfHeight", 0, WMT_TYPE_BOOL),
      StringAttribute(u"Source", u"Rig 2"),
      StringAttribute(u"Title", u"Caf\u00E9 \U0001F3AC"),
      StringAttribute(u"Author", u"A. Author"),
      StringAttribute(u"Copyright", u"(c) 2024"),
      StringAttribute(u"Description", u"Line one\r\nLine two"),
      StringAttribute(u"StereoDiscName", u"Disc"),
      StringAttribute(u"StereoDiscTitleName", u"Feature"),
      DwordAttribute(u"StereoDiscTitleIndex", 0xFFFFFFFFU),
      BinaryAttribute(u"StereoDiscTitlePoster", MakeJpeg(480, 640)),
  };
}

std::vector<TFakeAttribute> With(std::vector<TFakeAttribute> File, TFakeAttribute Replacement)
{
  for (TFakeAttribute& Attribute : File) {
    if (Attribute.Name == Replacement.Name) {
      Attribute = Replacement;
    }
  }
  return File;
}

} // namespace

TEST(CatalogueReading, EmptyHeaderGivesEveryDefault)
{
  const TRead Result = Read({DwordAttribute(u"WM/Unrelated", 5)});
  ASSERT_TRUE(Result.Ok);
  const TCatalogueValues& Values = Result.Values;
  EXPECT_FALSE(Values.Stereo || Values.HalfWidth || Values.HalfHeight);
  EXPECT_EQ(Values.LayoutIndex, -1);
  for (const std::u16string* Text :
       {&Values.Duration, &Values.Parallax, &Values.TitleIndex, &Values.Source, &Values.Title, &Values.Author,
        &Values.Copyright, &Values.Description, &Values.DiscName, &Values.TitleName}) {
    EXPECT_TRUE(Text->empty());
  }
  EXPECT_EQ(Values.Preview, nullptr);
  EXPECT_EQ(Values.Poster, nullptr);
}

TEST(CatalogueReading, FullHeaderFillsEveryValue)
{
  const std::vector<TFakeAttribute> File = FullFile();
  const TRead Result = Read(File);
  ASSERT_TRUE(Result.Ok);
  const TCatalogueValues& Values = Result.Values;
  EXPECT_TRUE(Values.Stereo); // a stored 1 is true
  EXPECT_TRUE(Values.HalfWidth);
  EXPECT_FALSE(Values.HalfHeight);
  EXPECT_EQ(Values.LayoutIndex, 3);
  EXPECT_EQ(Values.Duration, u"2.5");
  EXPECT_EQ(Values.Parallax, u"-10");
  EXPECT_EQ(Values.TitleIndex, u"4294967295");
  EXPECT_EQ(Values.Source, u"Rig 2");
  EXPECT_EQ(Values.Title, u"Caf\u00E9 \U0001F3AC");
  EXPECT_EQ(Values.Description, u"Line one\r\nLine two");
  EXPECT_EQ(Values.TitleName, u"Feature");
  ASSERT_NE(Values.Preview, nullptr);
  EXPECT_EQ(Values.Preview->Bytes(), File[4].Value);
  ASSERT_NE(Values.Poster, nullptr);
  EXPECT_EQ(Values.Poster->Height(), 640);
}

TEST(CatalogueReading, CallsComeInTheirOrder)
{
  auto Faulty = std::make_shared<TFaultyEditor>(MakeOpenFakeEditor(FullFile()));
  TCatalogueValues Values;
  ASSERT_TRUE(ReadCatalogue(Faulty, Values, u'.'));
  const std::string ByName = "GetAttributeByName ";
  std::vector<std::string> Expected = {ByName + "Stereoscopic",
                                       ByName + "StereoscopicLayout",
                                       ByName + "StereoscopicLayout",
                                       ByName + "StereoscopicSkip",
                                       ByName + "StereoscopicHorizontalParallax",
                                       ByName + "StereoscopicPreview",
                                       ByName + "StereoscopicPreview"};
  for (const char* Name :
       {"Source", "Title", "Author", "Copyright", "Description", "StereoDiscName", "StereoDiscTitleName"}) {
    Expected.insert(Expected.end(), 2, ByName + Name); // length, then text
  }
  Expected.push_back(ByName + "StereoscopicHalfWidth");
  Expected.push_back(ByName + "StereoscopicHalfHeight");
  Expected.push_back(ByName + "StereoDiscTitleIndex");
  Expected.push_back("GetAttributeIndices StereoDiscTitlePoster");
  Expected.insert(Expected.end(), 2, "GetAttributeByIndexEx StereoDiscTitlePoster");
  EXPECT_EQ(Faulty->Log(), Expected);
}

TEST(CatalogueReading, DurationUsesTheLocalesSeparator)
{
  SetDecimalSeparator(u',');
  const TRead Result = Read({QwordAttribute(u"StereoscopicSkip", 25000000)}, DecimalSeparator());
  SetDecimalSeparator(u'.');
  EXPECT_EQ(Result.Values.Duration, u"2,5");
  EXPECT_EQ(Read({QwordAttribute(u"StereoscopicSkip", static_cast<QWORD>(-25000000))}).Values.Duration,
            u"-2.5");
}

TEST(CatalogueReading, LayoutMatchesKeysExactly)
{
  auto Layout = [](std::u16string_view Text) {
    return Read({StringAttribute(u"StereoscopicLayout", Text)}).Values.LayoutIndex;
  };
  EXPECT_EQ(Layout(u"SideBySideRF"), 0);
  EXPECT_EQ(Layout(u"MultiStream"), 5);
  EXPECT_EQ(Layout(u"Mono"), 6);
  EXPECT_EQ(Layout(u"Monoscopic"), -1);
  EXPECT_EQ(Layout(u"sidebysiderf"), -1);
  EXPECT_EQ(Layout(u"Mono "), -1);
  EXPECT_EQ(Layout(u""), -1);
  EXPECT_EQ(Read({DwordAttribute(u"StereoscopicLayout", 6)}).Values.LayoutIndex, -1);
}

TEST(CatalogueReading, WrongTypeOfABooleanOrTextReadsAsDefault)
{
  const TRead Result =
      Read(With(With(FullFile(), DwordAttribute(u"Stereoscopic", 1)), DwordAttribute(u"Title", 7)));
  ASSERT_TRUE(Result.Ok);
  EXPECT_FALSE(Result.Values.Stereo);
  EXPECT_TRUE(Result.Values.Title.empty());
  EXPECT_EQ(Result.Values.Author, u"A. Author");
  EXPECT_NE(Result.Values.Poster, nullptr);
}

TEST(CatalogueReading, WrongTypeOfANumberOrPictureStopsWhereItIs)
{
  // StereoscopicSkip stops before the parallax, the preview, the texts and
  // the disc values.
  TRead Result = Read(With(FullFile(), DwordAttribute(u"StereoscopicSkip", 1)));
  EXPECT_FALSE(Result.Ok);
  EXPECT_TRUE(Result.Values.Stereo);
  EXPECT_EQ(Result.Values.LayoutIndex, 3);
  EXPECT_TRUE(Result.Values.Parallax.empty());
  EXPECT_EQ(Result.Values.Preview, nullptr);
  EXPECT_TRUE(Result.Values.Source.empty());
  EXPECT_FALSE(Result.Values.HalfWidth);
  EXPECT_TRUE(Result.Values.TitleIndex.empty());

  Result = Read(With(FullFile(), DwordAttribute(u"StereoscopicHorizontalParallax", 1, WMT_TYPE_BOOL)));
  EXPECT_FALSE(Result.Ok);
  EXPECT_EQ(Result.Values.Duration, u"2.5");
  EXPECT_TRUE(Result.Values.Source.empty());

  // Eight bytes do not fit the parallax's four: the call fails, which reads
  // as absent rather than as a wrong type.
  Result = Read(With(FullFile(), QwordAttribute(u"StereoscopicHorizontalParallax", 1)));
  EXPECT_TRUE(Result.Ok);
  EXPECT_TRUE(Result.Values.Parallax.empty());

  Result = Read(With(FullFile(), StringAttribute(u"StereoscopicPreview", u"not a picture")));
  EXPECT_FALSE(Result.Ok);
  EXPECT_EQ(Result.Values.Parallax, u"-10");
  EXPECT_TRUE(Result.Values.Title.empty());

  Result = Read(With(FullFile(), StringAttribute(u"StereoDiscTitleIndex", u"1")));
  EXPECT_FALSE(Result.Ok);
  EXPECT_EQ(Result.Values.TitleName, u"Feature");
  EXPECT_TRUE(Result.Values.HalfWidth);
  EXPECT_EQ(Result.Values.Poster, nullptr);

  Result = Read(With(FullFile(), DwordAttribute(u"StereoDiscTitlePoster", 1)));
  EXPECT_FALSE(Result.Ok);
  EXPECT_EQ(Result.Values.TitleIndex, u"4294967295");
}

TEST(CatalogueReading, PreviewRules)
{
  auto Preview = [](std::vector<BYTE> Bytes) {
    return Read({BinaryAttribute(u"StereoscopicPreview", std::move(Bytes))}).Values.Preview;
  };
  const std::shared_ptr<const TJpegImage> Largest = Preview(MakeJpeg(160, 120, 10240));
  ASSERT_NE(Largest, nullptr);
  EXPECT_EQ(Largest->Bytes(), MakeJpeg(160, 120, 10240));
  EXPECT_EQ(Preview(MakeJpeg(160, 120, 10241)), nullptr);
  EXPECT_EQ(Preview(MakeJpeg(160, 121)), nullptr);
  EXPECT_EQ(Preview(MakeJpeg(200, 150)), nullptr);
  EXPECT_EQ(Preview({}), nullptr);
  EXPECT_EQ(Preview({0xFF, 0xD8, 0x00, 0x01}), nullptr);
}

TEST(CatalogueReading, OversizedPreviewIsNeverFetched)
{
  auto Faulty = std::make_shared<TFaultyEditor>(
      MakeOpenFakeEditor({BinaryAttribute(u"StereoscopicPreview", MakeJpeg(160, 120, 10241))}));
  TCatalogueValues Values;
  ASSERT_TRUE(ReadCatalogue(Faulty, Values, u'.'));
  EXPECT_EQ(std::count(Faulty->Log().begin(), Faulty->Log().end(), "GetAttributeByName StereoscopicPreview"),
            1);
}

TEST(CatalogueReading, PosterRules)
{
  auto Poster = [](std::vector<TFakeAttribute> File) { return Read(std::move(File)).Values.Poster; };
  EXPECT_NE(Poster({BinaryAttribute(u"StereoDiscTitlePoster", MakeJpeg(480, 480))}), nullptr);
  EXPECT_EQ(Poster({BinaryAttribute(u"StereoDiscTitlePoster", MakeJpeg(479, 1000))}), nullptr);
  EXPECT_EQ(Poster({BinaryAttribute(u"StereoDiscTitlePoster", {})}), nullptr);
  // Larger than any 16-bit length: read by index with its 32-bit length.
  const std::vector<BYTE> Large = MakeJpeg(480, 480, 200000);
  const std::shared_ptr<const TJpegImage> Kept = Poster({BinaryAttribute(u"StereoDiscTitlePoster", Large)});
  ASSERT_NE(Kept, nullptr);
  EXPECT_EQ(Kept->Bytes(), Large);

  const TRead Two = Read({BinaryAttribute(u"StereoDiscTitlePoster", MakeJpeg(480, 480)),
                          BinaryAttribute(u"StereoDiscTitlePoster", MakeJpeg(480, 480))});
  EXPECT_TRUE(Two.Ok);
  EXPECT_EQ(Two.Values.Poster, nullptr);
}

TEST(CatalogueReading, LongTextsAreReadWhole)
{
  for (const std::size_t Length : {std::size_t{12286}, std::size_t{12287}, std::size_t{32766}}) {
    const std::u16string Text(Length, u'w');
    EXPECT_EQ(Read({StringAttribute(u"Description", Text)}).Values.Description, Text) << Length;
  }
}

TEST(CatalogueReading, OnlyATerminatingNullIsDropped)
{
  TFakeAttribute Bare{0, u"Title", WMT_TYPE_STRING, 0, {'a', 0, 'b', 0}};
  EXPECT_EQ(Read({Bare}).Values.Title, u"ab");
  Bare.Value.push_back('c'); // an odd length drops the stray byte
  EXPECT_EQ(Read({Bare}).Values.Title, u"ab");
  EXPECT_EQ(Read({StringAttribute(u"Title", u"x")}).Values.Title, u"x");
  EXPECT_EQ(Read({TFakeAttribute{0, u"Title", WMT_TYPE_STRING, 0, {}}}).Values.Title, u"");
}

TEST(CatalogueReading, FailedCallsLeaveDefaultsAndReadingGoesOn)
{
  auto Faulty = std::make_shared<TFaultyEditor>(MakeOpenFakeEditor(FullFile()));
  Faulty->Fail({TCall::GetAttributeByName, std::u16string(u"StereoscopicSkip")});
  Faulty->Fail({TCall::GetAttributeByName, std::u16string(u"Title"), 1}); // the value, not the length
  Faulty->Fail({TCall::GetAttributeByIndexEx, std::u16string(u"StereoDiscTitlePoster"), 1});
  TCatalogueValues Values;
  ASSERT_TRUE(ReadCatalogue(Faulty, Values, u'.'));
  EXPECT_TRUE(Values.Duration.empty());
  EXPECT_EQ(Values.Parallax, u"-10");
  EXPECT_TRUE(Values.Title.empty());
  EXPECT_EQ(Values.Author, u"A. Author");
  EXPECT_EQ(Values.Poster, nullptr);
}

TEST(CatalogueReading, ResetsTheRecordFirst)
{
  TCatalogueValues Values;
  Values.Title = u"old";
  Values.LayoutIndex = 2;
  ASSERT_TRUE(ReadCatalogue(MakeOpenFakeEditor(), Values, u'.'));
  EXPECT_TRUE(Values.Title.empty());
  EXPECT_EQ(Values.LayoutIndex, -1);
}

TEST(CatalogueReading, MissingHeaderInterfaceIsAnError)
{
  auto Editor = std::make_shared<TEditorWithoutHeaderInfo3>(MakeOpenFakeEditor(FullFile()));
  TCatalogueValues Values;
  EXPECT_THROW(ReadCatalogue(Editor, Values, u'.'), EInterfaceNotSupported);
}

} // namespace QuillmarkTest
