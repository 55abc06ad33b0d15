// A save from the window changes only what the user changed: texts in any
// form and of any length, and values the window cannot show, go back exactly
// as stored; changing a field replaces every instance of its attribute; and
// every stereo field's edit is protected by the save prompt.
#include "MainFormTestSupport.h"
#include "asf/HeaderParser.h"
#include "common/AsfBuilder.h"
#include "common/EditorProbe.h"
#include "common/ScriptedPlatform.h"
#include "common/TestFiles.h"
#include "common/TestJpeg.h"
#include "window/Main.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>
#include <gtest/gtest.h>

using namespace Quillmark;
using namespace Qt::Literals::StringLiterals;

namespace QuillmarkTest {
namespace {

struct TFileParts {
  std::vector<TRecord> Extended;
  std::vector<TRecord> Library;
  std::vector<std::u16string> Languages;
};

class KeepStoredTest : public ::testing::Test {
protected:
  void Write(const TFileParts& Parts)
  {
    TAsfBuilder Builder;
    if (!Parts.Languages.empty()) {
      Builder.AddToExtension(LanguageListObject(Parts.Languages));
    }
    Builder.AddToExtension(LibraryObject(Parts.Library));
    Builder.Add(ExtendedContentObject(Parts.Extended)).Add(PaddingObject(300000));
    WriteFileBytes(FDir.File("video.wmv"), Builder.File());
  }
  QString QPath() const { return QString::fromStdString(FDir.File("video.wmv").string()); }

  // Every instance of a name in stream 0, as stored now.
  std::vector<TSeenAttribute> Stored(std::u16string_view Name)
  {
    auto Editor = std::make_shared<Asf::TMetadataEditor>();
    const std::u16string Path = QPath().toStdU16String();
    EXPECT_EQ(Editor->OpenEx(Path.c_str(), GENERIC_READ, FILE_SHARE_READ), S_OK);
    std::vector<TSeenAttribute> Result;
    for (TSeenAttribute& Attribute : ListStream(*Editor, 0)) {
      if (Attribute.Name == Name) {
        Result.push_back(std::move(Attribute));
      }
    }
    Editor->Close();
    return Result;
  }

  // The bytes each instance of a name in stream 0 is stored as now.
  std::vector<TBytes> StoredForms(std::u16string_view Name)
  {
    const TBytes File = ReadFileBytes(FDir.File("video.wmv"));
    const Asf::TAsfHeader Header = Asf::ParseHeader(Asf::TMemorySource(File));
    std::vector<TBytes> Forms;
    for (const Asf::TStoredAttribute& Attribute : Header.Attributes.All()) {
      if (Attribute.Stream == 0 && Attribute.Name == Name) {
        Forms.push_back(Attribute.Verbatim.value_or(Attribute.Value));
      }
    }
    return Forms;
  }

  // Opens, makes the change, saves without a message and closes.
  void OpenChangeSave(const std::function<void(TTestForm&)>& Change)
  {
    TTestForm Form(FPlatform);
    Form.OpenFile(QPath());
    ASSERT_TRUE(Form.FEditor) << FPlatform.MessageTexts().join(u'|').toStdString();
    Change(Form);
    Form.SaveFile();
    EXPECT_TRUE(FPlatform.FMessages.empty()) << FPlatform.MessageTexts().join(u'|').toStdString();
    EXPECT_FALSE(Form.FModified);
    Form.CloseFile();
  }

  void TypeTitle(TTestForm& Form) { Form.Get<QLineEdit>("TitleEdit")->setText(u"Another title"_s); }

  TTempDir FDir;
  TScriptedPlatform FPlatform;
};

TBytes Utf16Bare(std::u16string_view Text)
{
  TBytes Bytes = Utf16z(Text);
  Bytes.resize(Bytes.size() - 2);
  return Bytes;
}

// Texts the controls would change (line breaks, separators, no-break
// spaces, blanks at the ends, no terminator) or could not hold (longer than
// a 16-bit length) go back byte for byte when another field is edited.
TEST_F(KeepStoredTest, TextsNotEditedGoBackExactly)
{
  const std::u16string Long(40000, u'x');
  const std::u16string Breaks = u"a\u00A0b\u2028c\u2029d\ne\rf\r\ng ";
  TRecord Bare = StringRecord(u"StereoDiscName", u"no null");
  Bare.Value = Utf16Bare(u"no null");
  // The old title sits among them, so its replacement writes their object again.
  const std::vector<TRecord> Texts = {
      StringRecord(u"Description", Breaks),
      StringRecord(u"Title", u"Old"),
      StringRecord(u"Author", u"  padded\t"),
      Bare,
      StringRecord(u"Copyright", u"\u00A9 line\u2028two"),
  };
  const std::vector<TRecord> LongTexts = {StringRecord(u"Source", Long),
                                          StringRecord(u"StereoDiscTitleName", Long + u"\r\n")};
  Write({Texts, LongTexts, {}});
  {
    TTestForm Form(FPlatform);
    Form.OpenFile(QPath());
    EXPECT_EQ(Form.Get<QLineEdit>("SourceEdit")->text().toStdU16String(), Long);
    EXPECT_EQ(Form.Get<QLineEdit>("DiscNameEdit")->text(), u"no null"_s);
  }
  OpenChangeSave([this](TTestForm& Form) { TypeTitle(Form); });
  for (const std::vector<TRecord>* Group : {&Texts, &LongTexts}) {
    for (const TRecord& Record : *Group) {
      if (Record.Name != u"Title") {
        EXPECT_EQ(StoredForms(Record.Name), std::vector<TBytes>{Record.Value}) << Record.Value.size();
      }
    }
  }
  EXPECT_EQ(StoredForms(u"Title"), std::vector<TBytes>{Utf16z(u"Another title")});
}

// Values the window cannot show stay until their own field is changed; then
// every instance goes and the window's value alone is stored.
TEST_F(KeepStoredTest, HiddenValuesStayUntilTheirFieldChanges)
{
  const std::filesystem::path Preview = FDir.File("preview.jpg");
  const std::filesystem::path Poster = FDir.File("poster.jpg");
  WriteFileBytes(Preview, MakeJpeg(160, 120));
  WriteFileBytes(Poster, MakeJpeg(480, 480));
  auto Choose = [this](const std::filesystem::path& Path) {
    FPlatform.FChosenFiles = {QString::fromStdString(Path.string())};
  };
  const struct {
    const char* What;
    std::u16string Name;
    TFileParts Parts;
    std::function<void(TTestForm&)> Change;
    std::vector<TBytes> AfterChange;
  } Cases[] = {
      {"preview breaking the rules",
       u"StereoscopicPreview",
       {{BinaryRecord(u"StereoscopicPreview", MakeJpeg(160, 121))}, {}, {}},
       [&](TTestForm& Form) {
         Choose(Preview);
         Form.LoadButtonClick();
       },
       {MakeJpeg(160, 120)}},
      {"second poster",
       u"StereoDiscTitlePoster",
       {{},
        {BinaryRecord(u"StereoDiscTitlePoster", MakeJpeg(480, 480)),
         BinaryRecord(u"StereoDiscTitlePoster", MakeJpeg(500, 500))},
        {}},
       [&](TTestForm& Form) {
         Choose(Poster);
         Form.LoadPosterButtonClick();
       },
       {MakeJpeg(480, 480)}},
      {"small poster deleted by loading none",
       u"StereoDiscTitlePoster",
       {{}, {BinaryRecord(u"StereoDiscTitlePoster", MakeJpeg(100, 100))}, {}},
       [&](TTestForm& Form) {
         Choose(Poster);
         Form.LoadPosterButtonClick();
         Form.DeletePosterButtonClick();
       },
       {}},
      {"boolean of the wrong type",
       u"Stereoscopic",
       {{DwordRecord(u"Stereoscopic", 1), StringRecord(u"StereoscopicLayout", u"Mono")}, {}, {}},
       [](TTestForm& Form) { Form.Get<QCheckBox>("StereoCheckBox")->setChecked(true); },
       {Le32(1)}},
      {"text of the wrong type",
       u"Author",
       {{DwordRecord(u"Author", 7)}, {}, {}},
       [](TTestForm& Form) { Form.Get<QLineEdit>("AuthorEdit")->setText(u"Me"_s); },
       {Utf16z(u"Me")}},
      {"other language",
       u"Description",
       {{StringRecord(u"Description", u"English")},
        {StringRecord(u"Description", u"Deutsch", 0, 1)},
        {u"en-us", u"de"}},
       [](TTestForm& Form) { Form.Get<QPlainTextEdit>("DescriptionMemo")->setPlainText(u"New"_s); },
       {Utf16z(u"New")}},
      {"layout no key matches, Stereo unticked",
       u"StereoscopicLayout",
       {{StringRecord(u"StereoscopicLayout", u"sidebysiderf")}, {}, {}},
       [](TTestForm& Form) {
         Form.Get<QCheckBox>("StereoCheckBox")->setChecked(true);
         Form.Get<QCheckBox>("StereoCheckBox")->setChecked(false);
       },
       {}},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.What);
    Write(Case.Parts);
    const std::vector<TSeenAttribute> Before = Stored(Case.Name);
    ASSERT_FALSE(Before.empty());
    OpenChangeSave([this](TTestForm& Form) { TypeTitle(Form); });
    EXPECT_EQ(Stored(Case.Name), Before);

    OpenChangeSave(Case.Change);
    std::vector<TBytes> After;
    for (const TSeenAttribute& Attribute : Stored(Case.Name)) {
      EXPECT_EQ(Attribute.Language, 0);
      After.push_back(Attribute.Value);
    }
    EXPECT_EQ(After, Case.AfterChange);
    FPlatform.FDialogs.clear();
  }
}

// Repeats of the shown value in its own language are reduced to one; the
// same text in another language, and a different one, stay.
TEST_F(KeepStoredTest, RepeatsOfTheShownValueAreReducedToOne)
{
  Write({{StringRecord(u"Copyright", u"Same"), StringRecord(u"StereoscopicLayout", u"Mono")},
         {StringRecord(u"Copyright", u"Same"), StringRecord(u"Copyright", u"Same", 0, 1),
          StringRecord(u"Copyright", u"Other"), StringRecord(u"Copyright", u"Same")},
         {u"en-us", u"fr"}});
  OpenChangeSave([this](TTestForm& Form) { TypeTitle(Form); });
  std::vector<std::pair<WORD, TBytes>> Now;
  for (const TSeenAttribute& Attribute : Stored(u"Copyright")) {
    Now.emplace_back(Attribute.Language, Attribute.Value);
  }
  const std::vector<std::pair<WORD, TBytes>> Expected = {
      {0, Utf16z(u"Same")}, {1, Utf16z(u"Same")}, {0, Utf16z(u"Other")}};
  EXPECT_EQ(Now, Expected);
}

// Typing in the duration or the parallax and ticking a half box mark the
// file modified: closing asks to save, and Yes stores the edit.
TEST_F(KeepStoredTest, StereoFieldEditsAreProtectedByTheSavePrompt)
{
  const struct {
    const char* What;
    std::function<void(TTestForm&)> Change;
    std::u16string Name;
    TBytes Value;
  } Cases[] = {
      {"duration", [](TTestForm& Form) { Form.Get<QLineEdit>("DurationEdit")->setText(u"2.5"_s); },
       u"StereoscopicSkip", Le64(25000000)},
      {"parallax", [](TTestForm& Form) { Form.Get<QLineEdit>("ParallaxEdit")->setText(u"-1"_s); },
       u"StereoscopicHorizontalParallax", Le32(0xFFFFFFFF)},
      {"half width", [](TTestForm& Form) { Form.Get<QCheckBox>("HalfWidthCheckBox")->setChecked(true); },
       u"StereoscopicHalfWidth", Le32(1)},
      {"half height", [](TTestForm& Form) { Form.Get<QCheckBox>("HalfHeightCheckBox")->setChecked(true); },
       u"StereoscopicHalfHeight", Le32(1)},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.What);
    Write({{BoolRecord(u"Stereoscopic", 1, 4), StringRecord(u"StereoscopicLayout", u"Mono")}, {}, {}});
    TTestForm Form(FPlatform);
    Form.OpenFile(QPath());
    Case.Change(Form);
    FPlatform.FMessages.clear();
    FPlatform.FAnswers = {TMessageAnswer::Yes};
    Form.CloseMenuItemClick();
    ASSERT_EQ(FPlatform.FMessages.size(), 1U);
    EXPECT_EQ(FPlatform.FMessages[0].Buttons, TMessageButtons::YesNoCancel);
    EXPECT_TRUE(Form.FFileName.isEmpty());
    const std::vector<TSeenAttribute> Now = Stored(Case.Name);
    ASSERT_EQ(Now.size(), 1U);
    EXPECT_EQ(Now[0].Value, Case.Value);
    EXPECT_EQ(Stored(u"Stereoscopic").at(0).Value, Le32(1)); // true stays stored as 1
  }
}

} // namespace
} // namespace QuillmarkTest
