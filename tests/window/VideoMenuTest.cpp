// The Video menu: detection and pictures made from the open file's frames,
// on small videos made by ffmpeg, through the scripted platform.
#include "catalogue/Catalogue.h"
#include "common/SyntheticVideo.h"
#include "common/TestFiles.h"
#include "window/FrameDialog.h"
#include "window/MainFormTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSlider>

using namespace Qt::Literals::StringLiterals;

namespace QuillmarkTest {
namespace {

class VideoMenu : public testing::Test {
protected:
  static void SetUpTestSuite()
  {
    Folder = new TTempDir();
    TScene Stereo;
    Stereo.Layout = TSceneLayout::SideBySideRF;
    Stereo.Seconds = 3;
    ASSERT_TRUE(MakeSceneVideo(Stereo, Folder->File("stereo.wmv")));
    TScene Black;
    Black.Seconds = 2;
    Black.BlackSeconds = 2;
    ASSERT_TRUE(MakeSceneVideo(Black, Folder->File("black.wmv")));
    // Two views of one slanted surface: no edge tells the eyes apart.
    TScene Slanted;
    Slanted.Layout = TSceneLayout::OverUnderLT;
    Slanted.Slanted = true;
    Slanted.Seconds = 3;
    ASSERT_TRUE(MakeSceneVideo(Slanted, Folder->File("slanted.wmv")));
  }
  static void TearDownTestSuite()
  {
    delete Folder;
    Folder = nullptr;
  }

  QString Open(const char* Name)
  {
    const auto Path = FDir.File(Name);
    std::filesystem::copy_file(Folder->File(Name), Path);
    FBefore = ReadFileBytes(Path);
    Form.OpenFile(QString::fromStdString(Path.string()));
    EXPECT_EQ(Form.FFileName.toStdString(), Path.string());
    return QString::fromStdString(Path.string());
  }

  void ExpectFileUnchanged(const QString& Path) { EXPECT_EQ(ReadFileBytes(Path.toStdString()), FBefore); }

  static inline TTempDir* Folder = nullptr;
  TTempDir FDir;
  TScriptedPlatform Platform;
  TTestForm Form{Platform};
  std::vector<std::uint8_t> FBefore;
};

// Waits until the dialog has read the frame asked for.
void WaitFor(const Quillmark::TFrameDialog& Dialog)
{
  while (Dialog.Busy()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  QCoreApplication::processEvents();
}

TEST_F(VideoMenu, EnabledExactlyWhileAFileIsOpen)
{
  auto* Menu = Form.Get<QMenu>("Video1");
  const auto Items = {Form.Get<QAction>("DetectLayoutMenuItem"), Form.Get<QAction>("MakePreviewMenuItem"),
                      Form.Get<QAction>("MakePosterMenuItem")};
  const auto Enabled = [&] {
    bool All = Menu->isEnabled();
    for (QAction* Item : Items) {
      EXPECT_EQ(Item->isEnabled(), All) << qPrintable(Item->objectName());
    }
    return All;
  };
  EXPECT_FALSE(Enabled());
  Open("stereo.wmv");
  EXPECT_TRUE(Enabled());
  Form.CloseFile();
  EXPECT_FALSE(Enabled());
}

TEST_F(VideoMenu, DetectionFillsTheStereoControlsAndSavesNothing)
{
  const QString Path = Open("stereo.wmv");
  ASSERT_FALSE(Form.FModified);
  Form.DetectLayoutMenuItemClick();
  EXPECT_TRUE(Form.Get<QCheckBox>("StereoCheckBox")->isChecked());
  EXPECT_EQ(Form.Get<QComboBox>("LayoutComboBox")->currentIndex(),
            Quillmark::LayoutIndexOfKey(u"SideBySideRF"));
  EXPECT_FALSE(Form.Get<QCheckBox>("HalfWidthCheckBox")->isChecked());
  EXPECT_FALSE(Form.Get<QCheckBox>("HalfHeightCheckBox")->isChecked());
  EXPECT_TRUE(Form.FModified);
  ASSERT_EQ(Platform.FMessages.size(), 1U);
  EXPECT_EQ(Platform.FMessages[0].Icon, Quillmark::TMessageIcon::Information);
  EXPECT_TRUE(Platform.FMessages[0].Text.startsWith(
      u"Detected stereo layout: Side by Side, Right Image First, full resolution.\r\rConfidence: "_s))
      << qPrintable(Platform.FMessages[0].Text);
  ExpectFileUnchanged(Path);
}

TEST_F(VideoMenu, FramesComeFromTheFileAsItWasOpened)
{
  const QString Path = Open("stereo.wmv");
  // A black video put at the open file's name is not what is looked at.
  std::filesystem::copy_file(Folder->File("black.wmv"), FDir.File("black.wmv"));
  std::filesystem::rename(FDir.File("black.wmv"), Path.toStdString());
  Form.DetectLayoutMenuItemClick();
  EXPECT_EQ(Form.Get<QComboBox>("LayoutComboBox")->currentIndex(),
            Quillmark::LayoutIndexOfKey(u"SideBySideRF"));
}

TEST_F(VideoMenu, UnsureDetectionChangesNothing)
{
  const QString Path = Open("black.wmv");
  Form.DetectLayoutMenuItemClick();
  EXPECT_FALSE(Form.Get<QCheckBox>("StereoCheckBox")->isChecked());
  EXPECT_EQ(Form.Get<QComboBox>("LayoutComboBox")->currentIndex(), -1);
  EXPECT_FALSE(Form.FModified);
  ASSERT_EQ(Platform.FMessages.size(), 1U);
  EXPECT_TRUE(
      Platform.FMessages[0].Text.startsWith(u"The stereo layout could not be detected with confidence."_s));
  ExpectFileUnchanged(Path);
}

TEST_F(VideoMenu, UnsureEyeOrderIsAskedFor)
{
  const struct {
    Quillmark::TMessageAnswer Answer;
    const char16_t* Key; // nullptr: nothing set
  } Cases[] = {
      {Quillmark::TMessageAnswer::Yes, u"OverUnderLT"},
      {Quillmark::TMessageAnswer::No, u"OverUnderRT"},
      {Quillmark::TMessageAnswer::Cancel, nullptr},
  };
  for (const auto& Case : Cases) {
    Open("slanted.wmv");
    Platform.FMessages.clear();
    Platform.FAnswers = {Case.Answer};
    Form.DetectLayoutMenuItemClick();
    ASSERT_EQ(Platform.FMessages.size(), 1U);
    EXPECT_EQ(Platform.FMessages[0].Buttons, Quillmark::TMessageButtons::YesNoCancel);
    EXPECT_TRUE(Platform.FMessages[0].Text.contains(u"Is the top half the left eye's view?"_s))
        << qPrintable(Platform.FMessages[0].Text);
    EXPECT_EQ(Form.Get<QCheckBox>("StereoCheckBox")->isChecked(), Case.Key != nullptr);
    EXPECT_EQ(Form.Get<QComboBox>("LayoutComboBox")->currentIndex(),
              Case.Key != nullptr ? Quillmark::LayoutIndexOfKey(Case.Key) : -1);
    EXPECT_EQ(Form.FModified, Case.Key != nullptr);
    Form.FModified = false;
    Form.CloseFile();
    std::filesystem::remove(FDir.File("slanted.wmv"));
  }
}

TEST_F(VideoMenu, DialogOkPutsThePictureInPlaceAsLoadDoes)
{
  const QString Path = Open("stereo.wmv");
  double Shown = -1;
  Form.FExecFrameDialog = [&Shown](Quillmark::TFrameDialog& Dialog) {
    EXPECT_TRUE(Dialog.Picture()); // the representative frame's, at once
    Dialog.ChooseTime(2.0);
    WaitFor(Dialog);
    Shown = Dialog.Seconds();
    EXPECT_FALSE(Dialog.findChild<QLabel*>(u"FrameImage"_s)->pixmap().isNull());
    EXPECT_EQ(Dialog.findChild<QSlider*>(u"TimeSlider"_s)->value(), 20);
    // Named for screen readers, the pictures by their labels too.
    EXPECT_EQ(Dialog.findChild<QSlider*>(u"TimeSlider"_s)->accessibleName(), u"Time in the video"_s);
    EXPECT_TRUE(Dialog.findChild<QLabel*>(u"PictureImage"_s)->accessibleName().endsWith(u" image"_s));
    return Dialog.Picture() != nullptr;
  };
  Form.MakePreviewMenuItemClick();
  EXPECT_NEAR(Shown, 2.0, 0.11);
  ASSERT_TRUE(Form.FPreviewImage);
  EXPECT_EQ(Form.FPreviewImage->Width(), 160);
  EXPECT_EQ(Form.FPreviewImage->Height(), 120);
  EXPECT_LE(Form.FPreviewImage->Bytes().size(), 10240U);
  EXPECT_TRUE(Form.Get<QLabel>("PreviewImage")->isVisibleTo(&Form));
  EXPECT_TRUE(Form.Get<QPushButton>("DeleteButton")->isEnabled());
  EXPECT_TRUE(Form.FModified);

  Form.MakePosterMenuItemClick();
  ASSERT_TRUE(Form.FPosterImage);
  EXPECT_GE(std::min(Form.FPosterImage->Width(), Form.FPosterImage->Height()), 480);
  EXPECT_TRUE(Form.Get<QPushButton>("DeletePosterButton")->isEnabled());
  EXPECT_TRUE(Platform.FMessages.empty());
  ExpectFileUnchanged(Path);
}

TEST_F(VideoMenu, DialogCancelOrUnreadableVideoChangesNothing)
{
  Open("stereo.wmv");
  Form.FExecFrameDialog = [](Quillmark::TFrameDialog&) { return false; };
  Form.MakePosterMenuItemClick();
  EXPECT_FALSE(Form.FPosterImage);
  EXPECT_FALSE(Form.FModified);
  EXPECT_TRUE(Platform.FMessages.empty());

  // The video is gone from under the open file: the window says why.
  std::filesystem::resize_file(Form.FFileName.toStdString(), 100);
  Form.MakePreviewMenuItemClick();
  EXPECT_FALSE(Form.FPreviewImage);
  EXPECT_FALSE(Form.FModified);
  ASSERT_EQ(Platform.FMessages.size(), 1U);
  EXPECT_EQ(Platform.FMessages[0].Icon, Quillmark::TMessageIcon::Warning);
  EXPECT_TRUE(Platform.FMessages[0].Text.startsWith(u"Could not read the video of 'stereo.wmv'!"_s))
      << qPrintable(Platform.FMessages[0].Text);
}

TEST(FrameDialogText, TimesReadAsClockTimes)
{
  EXPECT_EQ(Quillmark::TimeText(0), u"0:00.0"_s);
  EXPECT_EQ(Quillmark::TimeText(75.44), u"1:15.4"_s);
  EXPECT_EQ(Quillmark::TimeText(3725.96), u"1:02:06.0"_s);
  // The tenths follow the user's decimal separator.
  const QLocale Before;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(Quillmark::TimeText(75.44), u"1:15,4"_s);
  QLocale::setDefault(Before);
}

} // namespace
} // namespace QuillmarkTest
