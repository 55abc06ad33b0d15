// What the window tells the user about where things are: a long path cut
// in its middle and whole in its tooltip, a refused value shown on its own
// page with the focus in its field, a poster too large to draw that says
// so in its area.
#include "MainFormTestSupport.h"
#include "common/AsfBuilder.h"
#include "common/ScriptedPlatform.h"
#include "common/TestFiles.h"
#include "common/TestJpeg.h"
#include "window/PictureView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>

using namespace Quillmark;
using namespace Qt::StringLiterals;

namespace QuillmarkTest {
namespace {

class WindowFeedback : public testing::Test {
protected:
  QString WriteVideo(std::vector<TRecord> Records, std::vector<TRecord> Library = {})
  {
    TAsfBuilder Builder;
    Builder.Add(ExtendedContentObject(std::move(Records))).Add(PaddingObject(4000));
    if (!Library.empty()) {
      Builder.AddToExtension(LibraryObject(std::move(Library)));
    }
    WriteFileBytes(FDir.File("a.wmv"), Builder.File());
    return QString::fromStdString(FDir.File("a.wmv").string());
  }

  TTempDir FDir;
  TScriptedPlatform FPlatform;
};

TEST_F(WindowFeedback, ALongPathIsCutInTheMiddleAndShownWholeAsTooltip)
{
  TTestForm Form(FPlatform);
  Form.show();
  const QString Path = u"/home/someone/"_s + QString(300, u'f') + u"/the end.wmv"_s;
  Form.FFileName = Path;
  Form.UpdateControls();
  QApplication::processEvents();
  const QString Shown = Form.StatusText();
  EXPECT_LT(Shown.size(), Path.size());
  EXPECT_TRUE(Shown.startsWith(u"/home/someone/"_s)) << Shown.toStdString();
  EXPECT_TRUE(Shown.endsWith(u"/the end.wmv"_s)) << Shown.toStdString();
  EXPECT_EQ(Form.Get("StatusText")->toolTip(), Path);
  EXPECT_EQ(Form.Get("StatusText")->accessibleName(), Path);

  Form.FFileName = u"/v/short.wmv"_s;
  Form.UpdateControls();
  EXPECT_EQ(Form.StatusText(), u"/v/short.wmv"_s);
}

TEST_F(WindowFeedback, ARefusedSaveShowsThePageOfItsFieldWithTheFocusThere)
{
  struct TCase {
    const char* Field;
    const char* Page;
    std::function<void(TTestForm&)> Spoil;
    QString Message;
  };
  const TCase Cases[] = {
      {"TitleIndexEdit", "DiscTabSheet",
       [](TTestForm& Form) { Form.Get<QLineEdit>("TitleIndexEdit")->setText(u"-1"_s); },
       u"Please enter a valid title index!"_s},
      {"DurationEdit", "StereoTabSheet",
       [](TTestForm& Form) {
         Form.Get<QCheckBox>("StereoCheckBox")->setChecked(true);
         Form.Get<QLineEdit>("DurationEdit")->setText(u"soon"_s);
       },
       u"Please enter a valid 2D intro duration!"_s},
      {"LayoutComboBox", "StereoTabSheet",
       [](TTestForm& Form) {
         Form.Get<QCheckBox>("StereoCheckBox")->setChecked(true);
         Form.Get<QComboBox>("LayoutComboBox")->setCurrentIndex(-1);
       },
       u"Please select a stereoscopic layout!"_s},
      {"DescriptionMemo", "GeneralTabSheet",
       [](TTestForm& Form) {
         Form.Get<QPlainTextEdit>("DescriptionMemo")->setPlainText(QString(40000, u'd'));
       },
       u"The description is too long to be saved. Please shorten it to 32766 characters or fewer."_s},
  };
  const QString Video = WriteVideo({StringRecord(u"Title", u"T")});
  for (const TCase& Case : Cases) {
    TTestForm Form(FPlatform);
    Form.show();
    QApplication::setActiveWindow(&Form);
    Form.OpenFile(Video);
    Case.Spoil(Form);
    auto* Pages = Form.Get<QTabWidget>("PageControl");
    Pages->setCurrentWidget(Form.Get("GeneralTabSheet") == Form.Get(Case.Page) ? Form.Get("DiscTabSheet")
                                                                               : Form.Get("GeneralTabSheet"));
    QWidget* ShownBehind = nullptr;
    FPlatform.FOnMessage = [&](const TMessage&) { ShownBehind = Pages->currentWidget(); };
    FPlatform.FMessages.clear();
    Form.SaveFile();
    FPlatform.FOnMessage = nullptr;
    ASSERT_EQ(FPlatform.MessageTexts(), QStringList{Case.Message}) << Case.Field;
    EXPECT_EQ(ShownBehind, Form.Get(Case.Page)) << Case.Field;
    EXPECT_EQ(Pages->currentWidget(), Form.Get(Case.Page)) << Case.Field;
    EXPECT_EQ(Form.focusWidget(), Form.Get(Case.Field)) << Case.Field;
    EXPECT_TRUE(Form.FModified) << Case.Field;
    Form.FModified = false;
  }
}

TEST_F(WindowFeedback, APosterTooLargeToShowSaysSoAndIsKeptAsItIs)
{
  const TBytes Huge = MakeJpeg(4097, 4096);
  TTestForm Form(FPlatform);
  Form.show();
  Form.OpenFile(WriteVideo({StringRecord(u"Title", u"T")}, {BinaryRecord(u"StereoDiscTitlePoster", Huge)}));
  Form.SettlePictures();
  ASSERT_TRUE(Form.FPosterImage);
  auto* Poster = Form.Get<QLabel>("PosterImage");
  EXPECT_EQ(Poster->text(), TooLargeText(*Form.FPosterImage));
  EXPECT_TRUE(Poster->text().contains(u"4097 x 4096"_s));
  EXPECT_FALSE(Poster->isHidden());
  // The words fit the visible area: no canvas of the picture's size to scroll.
  auto* Box = Form.Get<QScrollArea>("PosterScrollBox");
  EXPECT_LE(Poster->width(), Box->width());
  EXPECT_EQ(Box->verticalScrollBar()->maximum(), 0);

  Form.Get<QLineEdit>("TitleEdit")->setText(u"Saved"_s);
  Form.SaveFile();
  EXPECT_TRUE(FPlatform.FMessages.empty());
  Form.CloseFile();
  Form.OpenFile(QString::fromStdString(FDir.File("a.wmv").string()));
  ASSERT_TRUE(Form.FPosterImage);
  EXPECT_EQ(Form.FPosterImage->Bytes(), Huge);
  Form.CloseFile();
}

} // namespace
} // namespace QuillmarkTest
