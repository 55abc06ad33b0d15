// The window as a person meets it: the path in the status bar, files dropped
// anywhere, errors that stop at their handler's edge and the window cleared
// behind a failed read.
#include "MainFormTestSupport.h"
#include "common/AsfBuilder.h"
#include "common/FaultyEditor.h"
#include "common/ScriptedPlatform.h"
#include "common/TestFiles.h"
#include "support/Localization.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>

using namespace Quillmark;
using namespace Qt::StringLiterals;

namespace QuillmarkTest {
namespace {

const char* const StereoFields[] = {"LayoutComboBox", "DurationEdit", "ParallaxEdit", "HalfWidthCheckBox",
                                    "HalfHeightCheckBox"};

class WindowUse : public testing::Test {
protected:
  void TearDown() override { LocalizationTables.reset(); }

  // A file with a title and room for edits.
  QString WriteVideo(const char* Name, std::u16string_view Title, std::vector<TRecord> More = {})
  {
    More.push_back(StringRecord(u"Title", Title));
    TAsfBuilder Builder;
    Builder.Add(ExtendedContentObject(More)).Add(PaddingObject(4000));
    WriteFileBytes(FDir.File(Name), Builder.File());
    return QString::fromStdString(FDir.File(Name).string());
  }

  // A drag of local files as file managers give it: the addresses, and the
  // same addresses as text, which an edit field would paste.
  static std::unique_ptr<QMimeData> FileDrag(const QString& Path)
  {
    auto Data = std::make_unique<QMimeData>();
    Data->setUrls({QUrl::fromLocalFile(Path)});
    Data->setText(QUrl::fromLocalFile(Path).toString());
    return Data;
  }

  // Drags Data over Target and drops it there; true when the drag was
  // accepted on entering.
  static bool DragAndDrop(QWidget* Target, const QMimeData& Data)
  {
    const QPoint Inside = Target->rect().center();
    QDragEnterEvent Enter(Inside, Qt::CopyAction | Qt::MoveAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Target, &Enter);
    QDropEvent Drop(Inside, Qt::CopyAction | Qt::MoveAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Target, &Drop);
    QApplication::processEvents();
    return Enter.isAccepted();
  }

  TTempDir FDir;
  TScriptedPlatform FPlatform;
};

TEST_F(WindowUse, PathStaysInTheStatusBarWhateverPassesOverTheMenus)
{
  TTestForm Form(FPlatform);
  Form.show();
  const QString Path = u"/videos/<b>not bold</b> & more.wmv"_s;
  Form.FFileName = Path;
  Form.UpdateControls();
  auto* Status = Form.Get<QStatusBar>("StatusBar");
  const std::function<void()> Passers[] = {
      // A menu item under the mouse sends its status tip, empty here.
      [&Form] { Form.Get<QAction>("OpenMenuItem")->showStatusText(&Form); },
      [&Form] { Form.Get<QAction>("AboutMenuItem")->showStatusText(&Form); },
      [Status] { Status->showMessage(u"Something passing"_s); },
      [Status] { Status->clearMessage(); },
  };
  for (const auto& Pass : Passers) {
    Pass();
    QApplication::processEvents();
    EXPECT_EQ(Form.StatusText(), Path);
    EXPECT_TRUE(Form.Get("StatusText")->isVisible());
    EXPECT_EQ(Form.Get<QLabel>("StatusText")->textFormat(), Qt::PlainText);
  }
  EXPECT_GE(Form.Get("StatusText")->width(), Status->width() / 2) << "the text area fills the bar";
  Form.FFileName.clear();
  Form.UpdateControls();
  EXPECT_TRUE(Form.StatusText().isEmpty());
}

TEST_F(WindowUse, FilesDroppedAnywhereOpenByTheWindowsRules)
{
  const QString First = WriteVideo("first.wmv", u"First");
  const QString Dropped = WriteVideo("dropped.wmv", u"Dropped");
  // Each place, with the page it lies on.
  const std::pair<const char*, int> Places[] = {
      {"TitleEdit", 1}, {"DescriptionMemo", 1}, {"SourceEdit", 0}, {"StereoCheckBox", 0}, {"PosterPanel", 2}};
  for (const auto& [Name, Page] : Places) {
    TTestForm Form(FPlatform);
    Form.show();
    Form.OpenFile(First);
    Form.Get<QTabWidget>("PageControl")->setCurrentIndex(Page);
    QWidget* Target = Form.Get(Name);
    if (auto* Memo = qobject_cast<QPlainTextEdit*>(Target)) {
      Target = Memo->viewport();
    }
    // As the platform does, the drag goes to the nearest widget that takes
    // drops.
    while (!Target->acceptDrops()) {
      Target = Target->parentWidget();
    }
    auto* Title = Form.Get<QLineEdit>("TitleEdit");
    Title->setText(u"Edited"_s);
    FPlatform.FMessages.clear();

    // Cancelled at the save prompt: nothing changes, nothing is pasted.
    FPlatform.FAnswers = {TMessageAnswer::Cancel};
    EXPECT_TRUE(DragAndDrop(Target, *FileDrag(Dropped))) << Name;
    ASSERT_EQ(FPlatform.FMessages.size(), 1U) << Name;
    EXPECT_EQ(FPlatform.FMessages[0].Icon, TMessageIcon::Question) << Name;
    EXPECT_EQ(Form.FFileName, First) << Name;
    EXPECT_EQ(Title->text(), u"Edited"_s) << Name;
    EXPECT_TRUE(Form.Get<QPlainTextEdit>("DescriptionMemo")->toPlainText().isEmpty()) << Name;
    EXPECT_TRUE(Form.Get<QLineEdit>("SourceEdit")->text().isEmpty()) << Name;

    // Answered No: the dropped file opens.
    FPlatform.FAnswers = {TMessageAnswer::No};
    DragAndDrop(Target, *FileDrag(Dropped));
    EXPECT_EQ(Form.FFileName, Dropped) << Name;
    EXPECT_EQ(Title->text(), u"Dropped"_s) << Name;
    EXPECT_FALSE(Form.FModified) << Name;
    Form.CloseFile();
  }
}

TEST_F(WindowUse, TextDraggedBetweenFieldsStaysWithTheFields)
{
  TTestForm Form(FPlatform);
  Form.show();
  Form.OpenFile(WriteVideo("first.wmv", u"First"));
  QMimeData Text;
  Text.setText(u"plain words"_s);
  auto* Source = Form.Get<QLineEdit>("SourceEdit");
  EXPECT_TRUE(DragAndDrop(Source, Text));
  EXPECT_TRUE(Source->text().contains(u"plain words"_s));
  EXPECT_TRUE(FPlatform.FMessages.empty());
}

TEST_F(WindowUse, ErrorsOfCommandsAreShownOnceByTheGeneralErrorDisplay)
{
  const QString Video = WriteVideo("video.wmv", u"T", {BoolRecord(u"Stereoscopic", 1, 4)});
  struct TCase {
    const char* Name;
    std::function<void(TTestForm&)> Prepare;
    const char* Item;
    QString Text;
  };
  const TCase Cases[] = {
      {"wrongly typed localization table",
       [](TTestForm&) {
         LocalizationTables = std::make_unique<TLocalizationTables>();
         LocalizationTables->Forms.push_back({6, {{1, {{0, TPropertyKind::Integer, 3, {}}}}}});
       },
       "AboutMenuItem", u"Invalid property type!"_s},
      {"editor without the header interface",
       [this, &Video](TTestForm& Form) {
         Form.FCreateEditor = [](TRef<IWMMetadataEditor>& Editor) {
           TRef<IWMMetadataEditor> Real;
           WMCreateEditor(Real);
           Editor = std::make_shared<TEditorWithoutHeaderInfo3>(QueryInterface<IWMMetadataEditor2>(Real));
           return S_OK;
         };
         FPlatform.FChosenFiles = {Video};
       },
       "OpenMenuItem", u"Interface not supported"_s},
  };
  for (const TCase& Case : Cases) {
    TTestForm Form(FPlatform);
    Form.show();
    FPlatform.FMessages.clear();
    Case.Prepare(Form);
    // Were a dialog shown, this closes it and says so.
    bool DialogShown = false;
    QTimer Watch;
    QObject::connect(&Watch, &QTimer::timeout, [&DialogShown] {
      if (QWidget* Modal = QApplication::activeModalWidget()) {
        DialogShown = true;
        Modal->close();
      }
    });
    Watch.start(10);
    Form.Get<QAction>(Case.Item)->trigger();
    ASSERT_EQ(FPlatform.FMessages.size(), 1U) << Case.Name;
    const TMessage& Shown = FPlatform.FMessages[0];
    EXPECT_EQ(Shown.Caption, u"Quillpad"_s) << Case.Name;
    EXPECT_EQ(Shown.Text, Case.Text) << Case.Name;
    EXPECT_EQ(Shown.Icon, TMessageIcon::Error) << Case.Name;
    EXPECT_EQ(Shown.Owner, &Form) << Case.Name;
    EXPECT_FALSE(DialogShown) << Case.Name;
    // No file is left open or half shown, and the file is not held.
    EXPECT_TRUE(Form.FFileName.isEmpty()) << Case.Name;
    EXPECT_FALSE(Form.FEditor) << Case.Name;
    EXPECT_FALSE(Form.Get<QCheckBox>("StereoCheckBox")->isChecked()) << Case.Name;
    EXPECT_TRUE(Form.StatusText().isEmpty()) << Case.Name;
    LocalizationTables.reset();
  }
  TRef<IWMMetadataEditor> Created;
  ASSERT_EQ(WMCreateEditor(Created), S_OK);
  const TRef<IWMMetadataEditor2> Holder = QueryInterface<IWMMetadataEditor2>(Created);
  const std::u16string Name = Video.toStdU16String();
  EXPECT_EQ(Holder->OpenEx(Name.c_str(), GENERIC_READ | GENERIC_WRITE, 0), S_OK);
  Holder->Close();
}

TEST_F(WindowUse, WindowIsClearedBehindTheReadFailureMessage)
{
  // Both files fail after the stereo box was ticked: one at the duration,
  // one at the title index, after the half-resolution boxes were read.
  const std::vector<TRecord> Breaks[] = {
      {BoolRecord(u"Stereoscopic", 1, 4), DwordRecord(u"StereoscopicSkip", 5)},
      {BoolRecord(u"Stereoscopic", 1, 4), BoolRecord(u"StereoscopicHalfWidth", 1, 4),
       StringRecord(u"StereoDiscTitleIndex", u"1")},
  };
  for (const std::vector<TRecord>& Break : Breaks) {
    const QString Video = WriteVideo("broken.wmv", u"Half read", Break);
    TTestForm Form(FPlatform);
    Form.show();
    int Seen = 0;
    FPlatform.FOnMessage = [&](const TMessage& Message) {
      ++Seen;
      EXPECT_EQ(Message.Text, u"Failed to read metadata!"_s);
      EXPECT_TRUE(Form.FFileName.isEmpty());
      EXPECT_TRUE(Form.StatusText().isEmpty());
      EXPECT_FALSE(Form.Get<QCheckBox>("StereoCheckBox")->isChecked());
      EXPECT_FALSE(Form.Get<QCheckBox>("StereoCheckBox")->isEnabled());
      EXPECT_FALSE(Form.Get<QCheckBox>("HalfWidthCheckBox")->isChecked());
      for (const char* Field : StereoFields) {
        EXPECT_FALSE(Form.Get(Field)->isEnabled()) << Field;
      }
      EXPECT_TRUE(Form.Get<QLineEdit>("TitleEdit")->text().isEmpty());
      EXPECT_FALSE(Form.Get("TitleEdit")->isEnabled());
    };
    Form.OpenFile(Video);
    FPlatform.FOnMessage = nullptr;
    EXPECT_EQ(Seen, 1);
    EXPECT_FALSE(Form.FModified);
  }
}

} // namespace
} // namespace QuillmarkTest
