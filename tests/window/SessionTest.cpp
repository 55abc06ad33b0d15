// The main window's file session and commands through the real engine, on
// files the tests build, with scripted answers to every message and dialog.
#include "MainFormTestSupport.h"
#include "common/AsfBuilder.h"
#include "common/EditorProbe.h"
#include "common/FaultyEditor.h"
#include "common/ScriptedPlatform.h"
#include "common/TestFiles.h"
#include "common/TestJpeg.h"
#include "window/DroppedFiles.h"
#include "window/Main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace Quillmark;
using namespace Qt::Literals::StringLiterals;

namespace QuillmarkTest {
namespace {

using TSessionForm = TTestForm;

// A file with room for the edits, so saves are done in place.
TBytes FileWith(std::vector<TRecord> Records)
{
  TAsfBuilder Builder;
  Builder.Add(ExtendedContentObject(Records)).Add(PaddingObject(40000));
  return Builder.File();
}

class SessionTest : public ::testing::Test {
protected:
  void Write(const TBytes& Bytes) { WriteFileBytes(Path(), Bytes); }
  std::filesystem::path Path() const { return FDir.File("video.wmv"); }
  QString QPath() const { return QString::fromStdString(Path().string()); }

  // Every attribute of stream 0 now in the file.
  std::vector<TSeenAttribute> Stored()
  {
    auto Editor = std::make_shared<Asf::TMetadataEditor>();
    const std::u16string Name = QPath().toStdU16String();
    EXPECT_EQ(Editor->OpenEx(Name.c_str(), GENERIC_READ, 1), S_OK);
    std::vector<TSeenAttribute> Result = ListStream(*Editor, 0);
    Editor->Close();
    return Result;
  }

  const TSeenAttribute* Find(const std::vector<TSeenAttribute>& All, std::u16string_view Name)
  {
    for (const TSeenAttribute& Attribute : All) {
      if (Attribute.Name == Name) {
        return &Attribute;
      }
    }
    return nullptr;
  }

  TTempDir FDir;
  TScriptedPlatform FPlatform;
};

TEST_F(SessionTest, OpenShowsTheStoredValuesAsUnmodified)
{
  Write(FileWith(
      {BoolRecord(u"Stereoscopic", 1, 4), StringRecord(u"StereoscopicLayout", u"Mono"),
       QwordRecord(u"StereoscopicSkip", 25000000), DwordRecord(u"StereoscopicHorizontalParallax", 0xFFFFFFF6),
       StringRecord(u"Description", u"one\r\ntwo"), DwordRecord(u"StereoDiscTitleIndex", 0xFFFFFFFF)}));
  TSessionForm Form(FPlatform);
  Form.OpenFile(QPath());
  EXPECT_TRUE(FPlatform.FMessages.empty());
  EXPECT_TRUE(Form.Get<QCheckBox>("StereoCheckBox")->isChecked());
  EXPECT_EQ(Form.Get<QComboBox>("LayoutComboBox")->currentIndex(), 6);
  EXPECT_EQ(Form.Get<QLineEdit>("DurationEdit")->text(), u"2.5"_s);
  EXPECT_EQ(Form.Get<QLineEdit>("ParallaxEdit")->text(), u"-10"_s);
  EXPECT_EQ(Form.Get<QLineEdit>("TitleIndexEdit")->text(), u"4294967295"_s);
  EXPECT_EQ(Form.Get<QPlainTextEdit>("DescriptionMemo")->toPlainText(), u"one\ntwo"_s);
  EXPECT_TRUE(Form.Get<QLineEdit>("DurationEdit")->isEnabled());
  EXPECT_EQ(Form.StatusText(), QPath());
  EXPECT_FALSE(Form.FModified);
  EXPECT_TRUE(Form.FEditor);
}

TEST_F(SessionTest, SaveWritesTheCatalogueRulesAndReopens)
{
  Write(FileWith({BoolRecord(u"Stereoscopic", 1, 4), StringRecord(u"StereoscopicLayout", u"Mono"),
                  StringRecord(u"Title", u"Old"), StringRecord(u"Title", u"Twice"),
                  StringRecord(u"WM/Genre", u"Jazz")}));
  TSessionForm Form(FPlatform);
  Form.OpenFile(QPath());
  Form.Get<QCheckBox>("HalfWidthCheckBox")->setChecked(true);
  Form.Get<QCheckBox>("HalfHeightCheckBox")->setChecked(true);
  Form.Get<QLineEdit>("TitleEdit")->setText(u"  New title "_s);
  Form.Get<QLineEdit>("TitleIndexEdit")->setText(u"0"_s);
  Form.Get<QPlainTextEdit>("DescriptionMemo")->setPlainText(u"a\nb"_s);
  Form.SaveFile();
  EXPECT_TRUE(FPlatform.FMessages.empty()) << FPlatform.MessageTexts().join(u'|').toStdString();
  EXPECT_FALSE(Form.FModified);
  EXPECT_TRUE(Form.FEditor); // open again after the save
  EXPECT_FALSE(Form.Get<QCheckBox>("HalfWidthCheckBox")->isChecked());
  EXPECT_FALSE(Form.Get<QCheckBox>("HalfHeightCheckBox")->isChecked());
  Form.CloseFile();

  const std::vector<TSeenAttribute> All = Stored();
  ASSERT_NE(Find(All, u"Stereoscopic"), nullptr);
  EXPECT_EQ(Find(All, u"Stereoscopic")->Type, WMT_TYPE_BOOL);
  EXPECT_EQ(Find(All, u"StereoscopicHalfWidth"), nullptr);
  EXPECT_EQ(Find(All, u"StereoscopicHalfHeight"), nullptr);
  EXPECT_EQ(Find(All, u"StereoscopicSkip"), nullptr);
  ASSERT_NE(Find(All, u"Title"), nullptr);
  EXPECT_EQ(Find(All, u"Title")->Value, Utf16z(u"New title"));
  EXPECT_EQ(Find(All, u"Description")->Value, Utf16z(u"a\r\nb"));
  EXPECT_EQ(Find(All, u"StereoDiscTitleIndex")->Value, Le32(0));
  EXPECT_EQ(Find(All, u"WM/Genre")->Value, Utf16z(u"Jazz"));
  int Titles = 0;
  for (const TSeenAttribute& Attribute : All) {
    Titles += Attribute.Name == u"Title" ? 1 : 0;
  }
  EXPECT_EQ(Titles, 1);
}

TEST_F(SessionTest, UntickedStereoRemovesTheStereoRows)
{
  Write(FileWith({BoolRecord(u"Stereoscopic", 1, 4), StringRecord(u"StereoscopicLayout", u"Mono"),
                  QwordRecord(u"StereoscopicSkip", 10000000), BoolRecord(u"StereoscopicHalfWidth", 1, 4),
                  StringRecord(u"Source", u"Camera")}));
  TSessionForm Form(FPlatform);
  Form.OpenFile(QPath());
  Form.Get<QCheckBox>("StereoCheckBox")->setChecked(false);
  Form.Get<QLineEdit>("DurationEdit")->setText(u"not a number"_s); // not examined
  Form.SaveFile();
  EXPECT_TRUE(FPlatform.FMessages.empty());
  Form.CloseFile();
  const std::vector<TSeenAttribute> All = Stored();
  EXPECT_EQ(Names(All), (std::vector<std::u16string>{u"Source"}));
}

TEST_F(SessionTest, RefusedValueShowsOnlyItsMessageAndLeavesTheFile)
{
  Write(FileWith({BoolRecord(u"Stereoscopic", 1, 4), StringRecord(u"StereoscopicLayout", u"Mono")}));
  const TBytes Before = ReadFileBytes(Path());
  TSessionForm Form(FPlatform);
  Form.OpenFile(QPath());
  Form.Get<QLineEdit>("DurationEdit")->setText(u"-1"_s);
  Form.Get<QLineEdit>("TitleEdit")->setText(u"x"_s);
  Form.SaveFile();
  ASSERT_EQ(FPlatform.MessageTexts(), QStringList{u"Please enter a valid 2D intro duration!"_s});
  EXPECT_EQ(FPlatform.FMessages[0].Icon, TMessageIcon::Warning);
  EXPECT_EQ(FPlatform.FMessages[0].Caption, u"Quillmark"_s);
  EXPECT_TRUE(Form.FModified);
  Form.CloseFile();
  EXPECT_EQ(ReadFileBytes(Path()), Before);
}

TEST_F(SessionTest, FailedDeletionReportsBothMessagesAndKeepsTheFile)
{
  Write(FileWith({StringRecord(u"Title", u"Kept"), StringRecord(u"Source", u"S")}));
  const TBytes Before = ReadFileBytes(Path());
  TSessionForm Form(FPlatform);
  Form.FCreateEditor = [](TRef<IWMMetadataEditor>& Editor) {
    TRef<IWMMetadataEditor> Real;
    WMCreateEditor(Real);
    auto Faulty = std::make_shared<TFaultyEditor>(QueryInterface<IWMMetadataEditor2>(Real));
    Faulty->Fail({TCall::DeleteAttribute, u"Title"});
    Editor = Faulty;
    return S_OK;
  };
  Form.OpenFile(QPath());
  Form.Get<QLineEdit>("TitleEdit")->setText(u"Changed"_s);
  Form.SaveFile();
  ASSERT_EQ(FPlatform.MessageTexts(),
            (QStringList{u"Could not delete Title"_s, u"Could not save metadata!"_s}));
  EXPECT_EQ(FPlatform.FMessages[0].Caption, u"Quillpad"_s);
  EXPECT_EQ(FPlatform.FMessages[0].Icon, TMessageIcon::None);
  EXPECT_TRUE(Form.FModified);
  Form.CloseFile();
  EXPECT_EQ(ReadFileBytes(Path()), Before);
}

TEST_F(SessionTest, FailedReloadDetachesAndLaterSavesFail)
{
  Write(FileWith({StringRecord(u"Title", u"T")}));
  TSessionForm Form(FPlatform);
  Form.FCreateEditor = [](TRef<IWMMetadataEditor>& Editor) {
    TRef<IWMMetadataEditor> Real;
    WMCreateEditor(Real);
    auto Faulty = std::make_shared<TFaultyEditor>(QueryInterface<IWMMetadataEditor2>(Real));
    Faulty->Fail({TCall::OpenEx, std::nullopt, 1});
    Editor = Faulty;
    return S_OK;
  };
  Form.OpenFile(QPath());
  Form.Get<QLineEdit>("TitleEdit")->setText(u"Saved"_s);
  Form.SaveFile();
  EXPECT_EQ(FPlatform.MessageTexts(), QStringList{u"Failed to reload metadata!"_s});
  EXPECT_FALSE(Form.FEditor);
  EXPECT_FALSE(Form.FModified);
  EXPECT_EQ(Form.FFileName, QPath());
  EXPECT_TRUE(Form.Get<QLineEdit>("TitleEdit")->isEnabled());
  Form.SaveFile();
  EXPECT_EQ(FPlatform.MessageTexts().last(), u"Could not save metadata!"_s);
  EXPECT_EQ(Find(Stored(), u"Title")->Value, Utf16z(u"Saved"));
}

TEST_F(SessionTest, FilesThatDoNotOpenOrReadLeaveNoFileOpen)
{
  TSessionForm Form(FPlatform);
  Write(FileWith({StringRecord(u"Title", u"T")}));
  auto Holder = std::make_shared<Asf::TMetadataEditor>();
  const std::u16string Name = QPath().toStdU16String();
  ASSERT_EQ(Holder->OpenEx(Name.c_str(), GENERIC_READ | GENERIC_WRITE, 0), S_OK);
  Form.OpenFile(QPath());
  EXPECT_EQ(
      FPlatform.MessageTexts(),
      QStringList{u"Could not open file 'video.wmv'!\r\rMake sure it is not opened by another application."
                  u"\r\rCause: another program holds it open."_s});
  EXPECT_TRUE(Form.FFileName.isEmpty());
  EXPECT_TRUE(Form.StatusText().isEmpty());
  Holder->Close();

  TAsfBuilder Builder;
  Builder.Add(ExtendedContentObject({StringRecord(u"Title", u"T"), DwordRecord(u"StereoscopicSkip", 5)}));
  Write(Builder.File());
  Form.OpenFile(QPath());
  EXPECT_EQ(FPlatform.MessageTexts().last(), u"Failed to read metadata!"_s);
  EXPECT_TRUE(Form.FFileName.isEmpty());
  EXPECT_TRUE(Form.Get<QLineEdit>("TitleEdit")->text().isEmpty());
  EXPECT_FALSE(Form.FEditor);
}

TEST_F(SessionTest, QuerySaveFollowsTheAnswer)
{
  Write(FileWith({StringRecord(u"Title", u"T")}));
  TSessionForm Form(FPlatform);
  Form.OpenFile(QPath());
  EXPECT_TRUE(Form.QuerySave()); // nothing changed: nothing asked
  EXPECT_TRUE(FPlatform.FMessages.empty());

  Form.Get<QLineEdit>("TitleEdit")->setText(u"Edited"_s);
  FPlatform.FAnswers = {TMessageAnswer::Cancel};
  EXPECT_FALSE(Form.QuerySave());
  EXPECT_TRUE(Form.FModified);

  Form.Get<QCheckBox>("StereoCheckBox")->setChecked(true); // no layout: the save is refused
  FPlatform.FAnswers = {TMessageAnswer::Yes};
  EXPECT_FALSE(Form.QuerySave());
  EXPECT_EQ(FPlatform.MessageTexts().last(), u"Please select a stereoscopic layout!"_s);

  FPlatform.FAnswers = {TMessageAnswer::No};
  EXPECT_TRUE(Form.QuerySave());
  EXPECT_FALSE(Form.FModified);
  EXPECT_EQ(Form.Get<QLineEdit>("TitleEdit")->text(), u"Edited"_s);
}

// The window's destruction issues one more close request: after a granted
// close it asks nothing; a window torn down while modified still asks.
TEST_F(SessionTest, DestructionAsksOnlyWhatAGrantedCloseLeftOpen)
{
  Write(FileWith({StringRecord(u"Title", u"T")}));
  {
    TSessionForm Form(FPlatform);
    Form.OpenFile(QPath());
    Form.Get<QLineEdit>("TitleEdit")->setText(u"Edited"_s);
    FPlatform.FAnswers = {TMessageAnswer::No};
    EXPECT_TRUE(Form.close());
    EXPECT_EQ(FPlatform.FMessages.size(), 1U);
  }
  EXPECT_EQ(FPlatform.FMessages.size(), 1U);
  {
    TSessionForm Form(FPlatform);
    Form.OpenFile(QPath());
    Form.Get<QLineEdit>("TitleEdit")->setText(u"Saved as it goes"_s);
    FPlatform.FAnswers = {TMessageAnswer::Yes};
  }
  EXPECT_EQ(FPlatform.FMessages.size(), 2U);
  TSessionForm Form(FPlatform);
  Form.OpenFile(QPath());
  EXPECT_EQ(Form.Get<QLineEdit>("TitleEdit")->text(), u"Saved as it goes"_s);
}

TEST_F(SessionTest, DropOpensTheChosenName)
{
  for (const char* Name : {"x.txt", "y.WMV", "z.wmv", "a.wmv"}) {
    WriteFileBytes(FDir.File(Name), {1});
  }
  auto P = [this](const char* Name) { return QString::fromStdString(FDir.File(Name).string()); };
  EXPECT_EQ(ChooseDroppedFile({P("x.txt"), P("y.WMV"), P("z.wmv")}), P("z.wmv"));
  EXPECT_EQ(ChooseDroppedFile({P("a.wmv"), P("x.txt")}), P("a.wmv"));
  EXPECT_EQ(ChooseDroppedFile({P("a.wmv"), P("gone.wmv")}), P("a.wmv"));
  EXPECT_EQ(ChooseDroppedFile({P("x.txt")}), P("x.txt"));

  Write(FileWith({StringRecord(u"Title", u"T")}));
  TSessionForm Form(FPlatform);
  Form.OpenFile(QPath());
  Form.Get<QLineEdit>("TitleEdit")->setText(u"Edited"_s);
  FPlatform.FAnswers = {TMessageAnswer::Cancel};
  Form.WMDropFiles({P("z.wmv")});
  EXPECT_EQ(Form.FFileName, QPath());
}

TEST_F(SessionTest, PicturesFollowTheAcceptanceRules)
{
  Write(FileWith({}));
  TSessionForm Form(FPlatform);
  Form.OpenFile(QPath());
  const std::filesystem::path Fits = FDir.File("PHOTO.JPG");
  const std::filesystem::path TooBig = FDir.File("big.jpeg");
  const std::filesystem::path Text = FDir.File("x.jpg");
  WriteFileBytes(Fits, MakeJpeg(160, 120, 10240));
  WriteFileBytes(TooBig, MakeJpeg(160, 120, 10241));
  WriteFileBytes(Text, {'h', 'i'});
  auto Q = [](const std::filesystem::path& Path) { return QString::fromStdString(Path.string()); };

  FPlatform.FChosenFiles = {Q(Fits)};
  Form.LoadButtonClick();
  ASSERT_TRUE(Form.FPreviewImage);
  EXPECT_EQ(Form.FPreviewImage->Bytes(), ReadFileBytes(Fits));
  EXPECT_TRUE(Form.FModified);
  EXPECT_TRUE(Form.Get<QPushButton>("DeleteButton")->isEnabled());

  FPlatform.FChosenFiles = {Q(TooBig), Q(Text)};
  Form.LoadButtonClick();
  Form.LoadButtonClick();
  ASSERT_EQ(FPlatform.FMessages.size(), 2U);
  EXPECT_EQ(FPlatform.FMessages[0].Icon, TMessageIcon::Information);
  EXPECT_EQ(FPlatform.FMessages[1].Text, u"Could not open file 'x.jpg'!"_s);
  EXPECT_EQ(FPlatform.FMessages[1].Icon, TMessageIcon::Warning);
  EXPECT_EQ(Form.FPreviewImage->Bytes(), ReadFileBytes(Fits)); // the earlier picture stays

  Form.SaveFile();
  Form.CloseFile();
  EXPECT_EQ(Find(Stored(), u"StereoscopicPreview")->Value, ReadFileBytes(Fits));

  Form.OpenFile(QPath());
  ASSERT_TRUE(Form.FPreviewImage);
  Form.DeleteButtonClick();
  EXPECT_FALSE(Form.Get<QPushButton>("DeleteButton")->isEnabled());
  Form.SaveFile();
  Form.CloseFile();
  EXPECT_EQ(Find(Stored(), u"StereoscopicPreview"), nullptr);
}

TEST_F(SessionTest, ALargerPosterScrollsToItsFarCorner)
{
  Write(FileWith({}));
  TSessionForm Form(FPlatform);
  Form.show(); // a hidden scroll box learns its content's size only when shown
  Form.OpenFile(QPath());
  const std::filesystem::path Small = FDir.File("small.jpg");
  const std::filesystem::path Large = FDir.File("large.jpg");
  WriteFileBytes(Small, MakeJpeg(480, 480));
  WriteFileBytes(Large, MakeJpeg(1920, 1080));
  FPlatform.FChosenFiles = {QString::fromStdString(Small.string()), QString::fromStdString(Large.string())};
  Form.LoadPosterButtonClick();
  Form.LoadPosterButtonClick();
  Form.SettlePictures();
  EXPECT_TRUE(FPlatform.FMessages.empty());
  Form.Get<QTabWidget>("PageControl")->setCurrentIndex(2);
  auto* Box = Form.Get<QScrollArea>("PosterScrollBox");
  EXPECT_EQ(Box->size(), Form.Get<QWidget>("PosterPanel")->size() - QSize(2, 2));
  auto* Poster = Form.Get<QLabel>("PosterImage");
  EXPECT_EQ(Poster->size(), QSize(1920, 1080));
  EXPECT_EQ(Poster->pixmap().size(), QSize(1920, 1080));
  Box->horizontalScrollBar()->setValue(Box->horizontalScrollBar()->maximum());
  Box->verticalScrollBar()->setValue(Box->verticalScrollBar()->maximum());
  EXPECT_EQ(Box->horizontalScrollBar()->value() + Box->viewport()->width(), 1920);
  EXPECT_EQ(Box->verticalScrollBar()->value() + Box->viewport()->height(), 1080);
}

TEST_F(SessionTest, CommandLineOpensAnExistingFileOnlyOnce)
{
  Write(FileWith({StringRecord(u"Title", u"From the command line")}));
  TSessionForm Form(FPlatform);
  Form.SetCommandLine({u"quillmark"_s, QString::fromStdString(FDir.Path().string())});
  Form.AfterShowTimerTimer(); // a folder is ignored
  EXPECT_TRUE(Form.FFileName.isEmpty());
  Form.SetCommandLine({u"quillmark"_s, QPath(), u"ignored"_s});
  Form.AfterShowTimerTimer();
  EXPECT_EQ(Form.Get<QLineEdit>("TitleEdit")->text(), u"From the command line"_s);
  EXPECT_TRUE(FPlatform.FMessages.empty());
}

} // namespace
} // namespace QuillmarkTest
