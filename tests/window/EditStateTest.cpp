// Which controls are enabled and shown with and without a file, and which
// edits count as unsaved changes.
#include "MainFormTestSupport.h"
#include "common/TestJpeg.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <functional>

using namespace Qt::StringLiterals;

namespace QuillmarkTest {
namespace {

const char* const EditingControls[] = {
    "StereoCheckBox",     "LayoutComboBox", "DurationEdit",  "ParallaxEdit",  "HalfWidthCheckBox",
    "HalfHeightCheckBox", "SourceEdit",     "TitleEdit",     "AuthorEdit",    "CopyrightEdit",
    "DescriptionMemo",    "DiscNameEdit",   "TitleNameEdit", "TitleIndexEdit"};
const char* const StereoFields[] = {"LayoutComboBox", "DurationEdit", "ParallaxEdit", "HalfWidthCheckBox",
                                    "HalfHeightCheckBox"};

std::unique_ptr<Quillmark::TJpegImage> TestImage(int Width, int Height)
{
  auto Image = std::make_unique<Quillmark::TJpegImage>();
  EXPECT_TRUE(Image->LoadFromBytes(MakeJpeg(Width, Height)));
  return Image;
}

class EditState : public testing::Test {
protected:
  bool Enabled(const char* Name) { return Form.Get(Name)->isEnabled(); }
  // Shown by the window itself, whichever page is on top.
  bool Shown(const char* Name) { return !Form.Get(Name)->isHidden(); }
  void Open(const QString& FileName)
  {
    Form.FFileName = FileName;
    Form.UpdateControls();
  }

  TScriptedPlatform Platform;
  TTestForm Form{Platform};
};

TEST_F(EditState, WithNoFileEverythingIsDisabledAndNothingIsShown)
{
  for (const char* Name : EditingControls) {
    EXPECT_FALSE(Enabled(Name)) << Name;
  }
  for (const char* Name : {"LoadButton", "DeleteButton", "LoadPosterButton", "DeletePosterButton"}) {
    EXPECT_FALSE(Enabled(Name)) << Name;
  }
  EXPECT_FALSE(Form.Get<QAction>("SaveMenuItem")->isEnabled());
  EXPECT_FALSE(Form.Get<QAction>("CloseMenuItem")->isEnabled());
  for (const char* Name : {"OpenMenuItem", "ExitMenuItem", "Website1", "AboutMenuItem"}) {
    EXPECT_TRUE(Form.Get<QAction>(Name)->isEnabled()) << Name;
  }
  for (const char* Name : {"PreviewImage", "PosterImage", "PosterScrollBox"}) {
    EXPECT_FALSE(Shown(Name)) << Name;
  }
  EXPECT_TRUE(Form.StatusText().isEmpty());
  EXPECT_EQ(Form.Get<QLineEdit>("DurationEdit")->text(), u"0"_s);
  EXPECT_EQ(Form.Get<QLineEdit>("ParallaxEdit")->text(), u"0"_s);
  EXPECT_FALSE(Form.FModified);
  EXPECT_TRUE(Form.FFileName.isEmpty());
  EXPECT_FALSE(Form.FEditor);
}

TEST_F(EditState, WithNoFileTheStereoFieldsStayDisabledWhenTheBoxIsTicked)
{
  Form.Get<QCheckBox>("StereoCheckBox")->setChecked(true);
  for (const char* Name : StereoFields) {
    EXPECT_FALSE(Enabled(Name)) << Name;
  }
  EXPECT_TRUE(Form.FModified);
}

TEST_F(EditState, OpenFileWithoutPicturesEnablesEditingButNotTheDeleteButtons)
{
  Open(u"videos/relative name.wmv"_s);
  for (const char* Name :
       {"StereoCheckBox", "SourceEdit", "TitleEdit", "AuthorEdit", "CopyrightEdit", "DescriptionMemo",
        "DiscNameEdit", "TitleNameEdit", "TitleIndexEdit", "LoadButton", "LoadPosterButton"}) {
    EXPECT_TRUE(Enabled(Name)) << Name;
  }
  // Unticked: the stereo fields wait for the box.
  for (const char* Name : StereoFields) {
    EXPECT_FALSE(Enabled(Name)) << Name;
  }
  EXPECT_FALSE(Enabled("DeleteButton"));
  EXPECT_FALSE(Enabled("DeletePosterButton"));
  EXPECT_TRUE(Form.Get<QAction>("SaveMenuItem")->isEnabled());
  EXPECT_TRUE(Form.Get<QAction>("CloseMenuItem")->isEnabled());
  for (const char* Name : {"PreviewImage", "PosterImage", "PosterScrollBox"}) {
    EXPECT_FALSE(Shown(Name)) << Name;
  }
  EXPECT_EQ(Form.StatusText(), u"videos/relative name.wmv"_s);
  EXPECT_EQ(Form.windowTitle(), u"Quillmark"_s);
  EXPECT_FALSE(Form.FModified);
}

TEST_F(EditState, PicturesShowAndTheirDeleteButtonsEnableOnlyWithAFileOpen)
{
  Form.FPreviewImage = TestImage(160, 120);
  Form.UpdateControls();
  EXPECT_FALSE(Enabled("DeleteButton"));
  EXPECT_FALSE(Shown("PreviewImage"));

  Open(u"/data/a.wmv"_s);
  EXPECT_TRUE(Enabled("DeleteButton"));
  EXPECT_TRUE(Shown("PreviewImage"));
  EXPECT_FALSE(Enabled("DeletePosterButton"));
  EXPECT_FALSE(Shown("PosterScrollBox"));
  EXPECT_FALSE(Shown("PosterImage"));

  Form.FPreviewImage.reset();
  Form.FPosterImage = TestImage(480, 480);
  Form.UpdateControls();
  EXPECT_FALSE(Enabled("DeleteButton"));
  EXPECT_FALSE(Shown("PreviewImage"));
  EXPECT_TRUE(Enabled("DeletePosterButton"));
  EXPECT_TRUE(Shown("PosterScrollBox"));
  EXPECT_TRUE(Shown("PosterImage"));

  Open(QString());
  EXPECT_FALSE(Enabled("DeletePosterButton"));
  EXPECT_FALSE(Shown("PosterScrollBox"));
  EXPECT_TRUE(Form.StatusText().isEmpty());
}

TEST_F(EditState, StereoBoxEnablesItsFieldsAndUntickingKeepsTheirValues)
{
  Open(u"/data/a.wmv"_s);
  auto* Stereo = Form.Get<QCheckBox>("StereoCheckBox");
  Stereo->setChecked(true);
  for (const char* Name : StereoFields) {
    EXPECT_TRUE(Enabled(Name)) << Name;
  }
  Form.Get<QLineEdit>("DurationEdit")->setText(u"2.5"_s);
  Form.Get<QComboBox>("LayoutComboBox")->setCurrentIndex(3);
  Form.Get<QCheckBox>("HalfWidthCheckBox")->setChecked(true);
  Form.FModified = false;

  Stereo->setChecked(false);
  for (const char* Name : StereoFields) {
    EXPECT_FALSE(Enabled(Name)) << Name;
  }
  EXPECT_TRUE(Form.FModified);
  EXPECT_EQ(Form.Get<QLineEdit>("DurationEdit")->text(), u"2.5"_s);
  EXPECT_EQ(Form.Get<QComboBox>("LayoutComboBox")->currentIndex(), 3);
  EXPECT_TRUE(Form.Get<QCheckBox>("HalfWidthCheckBox")->isChecked());

  // UpdateControls runs the stereo rule and still leaves no changes behind.
  Stereo->setChecked(true);
  Form.UpdateControls();
  EXPECT_TRUE(Enabled("LayoutComboBox"));
  EXPECT_FALSE(Form.FModified);
}

TEST_F(EditState, EveryTextControlWithAnAttributeMarksAChange)
{
  Open(u"/data/a.wmv"_s);
  for (const char* Name : {"SourceEdit", "TitleEdit", "AuthorEdit", "CopyrightEdit", "DiscNameEdit",
                           "TitleNameEdit", "TitleIndexEdit"}) {
    Form.FModified = false;
    Form.Get<QLineEdit>(Name)->setText(u"x"_s);
    EXPECT_TRUE(Form.FModified) << Name;
  }
  Form.FModified = false;
  Form.Get<QPlainTextEdit>("DescriptionMemo")->setPlainText(u"a\nb"_s);
  EXPECT_TRUE(Form.FModified);
}

TEST_F(EditState, LayoutListMarksAChangeOnChoiceAndOnClick)
{
  auto* Combo = Form.Get<QComboBox>("LayoutComboBox");
  Combo->setCurrentIndex(4);
  EXPECT_TRUE(Form.FModified);
  Form.FModified = false;
  // Choosing the item already chosen changes nothing but is still a click.
  emit Combo->activated(4);
  EXPECT_TRUE(Form.FModified);
}

// Each field marks the file modified and its own attribute changed, the four
// stereo fields that once had no handler included, so the save prompt
// protects their edits and a save replaces exactly what was changed.
TEST_F(EditState, EveryFieldMarksItsOwnAttribute)
{
  using Quillmark::TAttribute;
  auto Type = [this](const char* Name, const QString& Text) {
    return [this, Name, Text] { Form.Get<QLineEdit>(Name)->setText(Text); };
  };
  auto Tick = [this](const char* Name) {
    return [this, Name] {
      auto* Box = Form.Get<QCheckBox>(Name);
      Box->setChecked(!Box->isChecked());
    };
  };
  const struct {
    const char* What;
    std::function<void()> Change;
    TAttribute Attribute;
  } Cases[] = {
      {"duration", Type("DurationEdit", u"12"_s), TAttribute::StereoscopicSkip},
      {"parallax", Type("ParallaxEdit", u"-3"_s), TAttribute::StereoscopicHorizontalParallax},
      {"half width", Tick("HalfWidthCheckBox"), TAttribute::StereoscopicHalfWidth},
      {"half height", Tick("HalfHeightCheckBox"), TAttribute::StereoscopicHalfHeight},
      {"stereo", Tick("StereoCheckBox"), TAttribute::Stereoscopic},
      {"layout", [this] { Form.Get<QComboBox>("LayoutComboBox")->setCurrentIndex(2); },
       TAttribute::StereoscopicLayout},
      {"source", Type("SourceEdit", u"s"_s), TAttribute::Source},
      {"title", Type("TitleEdit", u"t"_s), TAttribute::Title},
      {"author", Type("AuthorEdit", u"a"_s), TAttribute::Author},
      {"copyright", Type("CopyrightEdit", u"c"_s), TAttribute::Copyright},
      {"description", [this] { Form.Get<QPlainTextEdit>("DescriptionMemo")->setPlainText(u"d"_s); },
       TAttribute::Description},
      {"disc name", Type("DiscNameEdit", u"n"_s), TAttribute::StereoDiscName},
      {"title name", Type("TitleNameEdit", u"m"_s), TAttribute::StereoDiscTitleName},
      {"title index", Type("TitleIndexEdit", u"4"_s), TAttribute::StereoDiscTitleIndex},
  };
  for (const auto& Case : Cases) {
    Open(u"/data/a.wmv"_s);
    Form.Get<QCheckBox>("StereoCheckBox")->setChecked(Case.Attribute != TAttribute::Stereoscopic);
    Form.UpdateControls();
    ASSERT_FALSE(Form.FModified || Form.FChanged.Any()) << Case.What;
    Case.Change();
    EXPECT_TRUE(Form.FModified) << Case.What;
    Quillmark::TChangedAttributes Expected;
    Expected.Mark(Case.Attribute);
    EXPECT_EQ(Form.FChanged, Expected) << Case.What;
  }
}

TEST_F(EditState, UpdateControlsClearsTheChangeMark)
{
  Open(u"/data/a.wmv"_s);
  Form.Get<QLineEdit>("TitleEdit")->setText(u"changed"_s);
  ASSERT_TRUE(Form.FModified);
  Form.UpdateControls();
  EXPECT_FALSE(Form.FModified);
  EXPECT_EQ(Form.Get<QLineEdit>("TitleEdit")->text(), u"changed"_s);
}

} // namespace
} // namespace QuillmarkTest
