// The main window's components as the form resource and creation leave
// them: kinds, texts, lists, menus, dialogs, the timer, the icon and the
// order of the Tab key.
#include "MainFormTestSupport.h"
#include "catalogue/CatalogueWriting.h"
#include "window/OpenDialog.h"
#include "window/Product.h"
#include "window/WindowTexts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <limits>

using namespace Qt::StringLiterals;

namespace QuillmarkTest {
namespace {

QString Text(TTestForm& Form, const char* Name)
{
  QObject* Found = Form.findChild<QObject*>(QString::fromLatin1(Name));
  if (auto* Label = qobject_cast<QLabel*>(Found)) {
    return Label->text();
  }
  if (auto* Button = qobject_cast<QAbstractButton*>(Found)) {
    return Button->text();
  }
  if (auto* Edit = qobject_cast<QLineEdit*>(Found)) {
    return Edit->text();
  }
  if (auto* Box = qobject_cast<QGroupBox*>(Found)) {
    return Box->title();
  }
  ADD_FAILURE() << Name << " has no text";
  return {};
}

TEST(MainFormComponents, ControlsHaveTheirKindsTextsAndTags)
{
  TScriptedPlatform Platform;
  TTestForm Form(Platform);
  EXPECT_EQ(Form.objectName(), u"MainForm"_s);
  const std::pair<const char*, const char*> Texts[] = {
      {"StereoGroupBox", "Stereoscopic Metadata"},
      {"PlayerGroupBox", "Metadata for Lumivex"},
      {"StereoCheckBox", "File contains stereoscopic content"},
      {"HalfWidthCheckBox", "Half horizontal resolution"},
      {"HalfHeightCheckBox", "Half vertical resolution"},
      {"Label1", "Stereoscopic layout:"},
      {"Label8", "2D intro duration:"},
      {"DurationEdit", "0"},
      {"Label9", "seconds"},
      {"Label10", "Parallax correction:"},
      {"ParallaxEdit", "0"},
      {"Label11", "pixels"},
      {"Label2", "Source:"},
      {"SourceEdit", ""},
      {"Label3", "Preview image:"},
      {"PreviewPanel", "No image available"},
      {"LoadButton", "&Load..."},
      {"DeleteButton", "&Delete"},
      {"Label4", "Title:"},
      {"Label5", "Author:"},
      {"Label6", "Copyright:"},
      {"Label7", "Description:"},
      {"Label12", "These attributes are only required for stereoscopic movie disks."},
      {"DiscNameLabel", "Disc name:"},
      {"Label14", "Title name:"},
      {"Label15", "Title index:"},
      {"Label16", "Title poster image:"},
      {"PosterPanel", "No image available"},
      {"LoadPosterButton", "&Load..."},
      {"DeletePosterButton", "&Delete"},
  };
  for (const auto& [Name, Expected] : Texts) {
    EXPECT_EQ(Text(Form, Name), QString::fromLatin1(Expected)) << Name;
    EXPECT_EQ(Form.Get<QObject>(Name)->property("tag"), QVariant(0)) << Name;
  }
  for (const char* Name : {"StereoCheckBox", "HalfWidthCheckBox", "HalfHeightCheckBox"}) {
    EXPECT_FALSE(Form.Get<QCheckBox>(Name)->isChecked()) << Name;
  }
  for (const char* Name : {"SourceEdit", "TitleEdit", "AuthorEdit", "CopyrightEdit", "DiscNameEdit",
                           "TitleNameEdit", "TitleIndexEdit", "DurationEdit", "ParallaxEdit"}) {
    // No limit of its own: a stored text of any length shows whole.
    EXPECT_EQ(Form.Get<QLineEdit>(Name)->maxLength(), std::numeric_limits<int>::max())
        << Name << " has a length limit";
  }
  for (const char* Name : {"PreviewPanel", "PosterPanel"}) {
    auto* Panel = Form.Get<QLabel>(Name);
    EXPECT_EQ(Panel->frameShape(), QFrame::Panel);
    EXPECT_EQ(Panel->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(Panel->lineWidth(), 1);
    EXPECT_EQ(Panel->alignment(), Qt::AlignCenter);
  }
  auto* Memo = Form.Get<QPlainTextEdit>("DescriptionMemo");
  EXPECT_EQ(Memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(Memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(Memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  auto* Scroll = Form.Get<QScrollArea>("PosterScrollBox");
  EXPECT_EQ(Scroll->frameShape(), QFrame::NoFrame);
  EXPECT_EQ(Scroll->widget(), Form.Get("PosterImage"));
  EXPECT_EQ(Form.Get("PosterImage")->size(), QSize(64, 56));
  EXPECT_EQ(Form.Get("PreviewImage")->parentWidget(), Form.Get("PreviewPanel"));
}

TEST(MainFormComponents, LayoutListOffersSevenLayoutsAndNoTyping)
{
  TScriptedPlatform Platform;
  TTestForm Form(Platform);
  auto* Combo = Form.Get<QComboBox>("LayoutComboBox");
  EXPECT_FALSE(Combo->isEditable());
  EXPECT_EQ(Combo->currentIndex(), -1);
  QStringList Items;
  for (int Index = 0; Index < Combo->count(); ++Index) {
    Items.push_back(Combo->itemText(Index));
  }
  EXPECT_EQ(Items, QStringList({u"Side by Side, Right Image First"_s, u"Side by Side, Left Image First"_s,
                                u"Over/Under, Right Image Top"_s, u"Over/Under, Left Image Top"_s,
                                u"Dual Stream"_s, u"Multi Stream"_s, u"Monoscopic"_s}));
}

// The window finds each attribute's control by the name the catalogue
// gives, and moves its value by the control's class.
TEST(MainFormComponents, EveryCatalogueControlIsInTheFormWithItsKindsClass)
{
  TScriptedPlatform Platform;
  TTestForm Form(Platform);
  for (const Quillmark::TCatalogueEntry& Row : Quillmark::Catalogue) {
    QObject* Control = Form.findChild<QObject*>(QString::fromLatin1(Row.Control));
    ASSERT_NE(Control, nullptr) << Row.Control;
    bool Fits = false;
    switch (Row.Field.Kind) {
    case Quillmark::TFieldKind::Flag:
      Fits = qobject_cast<QCheckBox*>(Control) != nullptr;
      break;
    case Quillmark::TFieldKind::Layout:
      Fits = qobject_cast<QComboBox*>(Control) != nullptr;
      break;
    case Quillmark::TFieldKind::Picture:
      Fits = qobject_cast<QLabel*>(Control) != nullptr;
      break;
    default:
      Fits =
          qobject_cast<QLineEdit*>(Control) != nullptr || qobject_cast<QPlainTextEdit*>(Control) != nullptr;
      break;
    }
    EXPECT_TRUE(Fits) << Row.Control << " is a " << Control->metaObject()->className();
    // A text refused for its length says so in the field's own sentence.
    if (Row.Field.Kind == Quillmark::TFieldKind::Text) {
      const QString Refusal = Quillmark::RefusalText(Row.Attribute, Form.FieldOf(Row.Attribute));
      EXPECT_TRUE(Refusal.contains(QString::number(Quillmark::MaxTextCharacters))) << Row.Control;
      EXPECT_TRUE(Refusal.contains(QString::fromLatin1(Row.Noun))) << Row.Control;
    }
  }
  // The list's items are the layout table's captions, by position.
  auto* Combo = Form.Get<QComboBox>("LayoutComboBox");
  ASSERT_EQ(Combo->count(), static_cast<int>(Quillmark::LayoutCount));
  for (const Quillmark::TLayoutEntry& Layout : Quillmark::Layouts) {
    EXPECT_EQ(Combo->itemText(Quillmark::LayoutIndex(Layout.Layout)),
              QString::fromStdU16String(Layout.Caption));
  }
}

TEST(MainFormComponents, CreationSetsCaptionsAndTheStereoPage)
{
  TScriptedPlatform Platform;
  TTestForm Form(Platform);
  EXPECT_EQ(Form.windowTitle(), u"Quillmark"_s);
  EXPECT_EQ(QApplication::applicationName(), u"Quillpad"_s);
  auto* Pages = Form.Get<QTabWidget>("PageControl");
  EXPECT_EQ(Pages->currentWidget(), Form.Get("StereoTabSheet"));
  EXPECT_EQ(Pages->count(), 3);
  EXPECT_EQ(Pages->tabText(0), u"Stereo"_s);
  EXPECT_EQ(Pages->tabText(1), u"General"_s);
  EXPECT_EQ(Pages->tabText(2), u"Movie Disk"_s);
  EXPECT_EQ(Pages->widget(1), Form.Get("GeneralTabSheet"));
  EXPECT_EQ(Pages->widget(2), Form.Get("DiscTabSheet"));
  EXPECT_TRUE(Form.acceptDrops());
}

TEST(MainFormComponents, VersionIsTheProjectsOwn)
{
  QFile Project(QString::fromUtf8(QUILLMARK_SOURCE_DIR "/CMakeLists.txt"));
  ASSERT_TRUE(Project.open(QIODevice::ReadOnly));
  const QRegularExpressionMatch Match = QRegularExpression(u"project\\(Quillmark VERSION (\\d+)\\.(\\d+)"_s)
                                            .match(QString::fromUtf8(Project.readAll()));
  ASSERT_TRUE(Match.hasMatch());
  EXPECT_EQ(Quillmark::VersionText(), u"Version "_s + Match.captured(1) + u"."_s + Match.captured(2));
  EXPECT_EQ(Quillmark::ProductName(), u"Quillmark"_s);
  EXPECT_EQ(Quillmark::ApplicationTitle(), u"Quillpad"_s);
}

TEST(MainFormComponents, MenusHaveTheirItemsInOrderWithoutShortcuts)
{
  TScriptedPlatform Platform;
  TTestForm Form(Platform);
  auto Items = [&Form](const char* Menu) {
    QStringList Result;
    for (QAction* Action : Form.Get<QMenu>(Menu)->actions()) {
      EXPECT_TRUE(Action->shortcut().isEmpty()) << qPrintable(Action->objectName());
      Result.push_back(Action->objectName() + u'=' + (Action->isSeparator() ? u"-"_s : Action->text()));
    }
    return Result;
  };
  EXPECT_EQ(Form.Get<QMenuBar>("MainMenu1"), Form.menuBar());
  ASSERT_EQ(Form.menuBar()->actions().size(), 3);
  EXPECT_EQ(Form.menuBar()->actions()[0]->text(), u"&File"_s);
  EXPECT_EQ(Form.menuBar()->actions()[1]->text(), u"&Video"_s);
  EXPECT_EQ(Form.menuBar()->actions()[2]->text(), u"&Help"_s);
  EXPECT_EQ(Items("Video1"), QStringList({u"DetectLayoutMenuItem=Detect Stereo &Layout"_s, u"N3=-"_s,
                                          u"MakePreviewMenuItem=Make &Preview from Video..."_s,
                                          u"MakePosterMenuItem=Make &Title Poster from Video..."_s}));
  EXPECT_EQ(Items("File1"), QStringList({u"OpenMenuItem=&Open..."_s, u"SaveMenuItem=&Save"_s,
                                         u"CloseMenuItem=&Close"_s, u"N2=-"_s, u"ExitMenuItem=&Exit"_s}));
  EXPECT_EQ(Items("Help1"),
            QStringList({u"Website1=Website"_s, u"N1=-"_s, u"AboutMenuItem=&About Quillpad..."_s}));
}

TEST(MainFormComponents, FileDialogsKeepTheirFiltersAndRunThroughThePlatform)
{
  TScriptedPlatform Platform;
  TTestForm Form(Platform);
  EXPECT_EQ(Form.Get<Quillmark::TOpenDialog>("OpenDialog")->Filter(),
            u"Windows Media Files|*.wmv|All Files|*.*"_s);
  for (const char* Name : {"PreviewOpenDialog", "PosterOpenDialog"}) {
    EXPECT_EQ(Form.Get<Quillmark::TOpenDialog>(Name)->Filter(), u"JPEG Images|*.jpg;*.jpeg|All Files|*.*"_s);
  }
  auto* Dialog = Form.Get<Quillmark::TOpenDialog>("PosterOpenDialog");
  Platform.FChosenFiles = {u"/videos/poster.jpg"_s, std::nullopt};
  EXPECT_TRUE(Dialog->Execute());
  EXPECT_EQ(Dialog->FileName(), u"/videos/poster.jpg"_s);
  EXPECT_FALSE(Dialog->Execute());
  ASSERT_EQ(Platform.FDialogs.size(), 2U);
  EXPECT_EQ(Platform.FDialogs[0].Owner, &Form);
  EXPECT_EQ(Platform.FDialogs[0].Filter, Dialog->Filter());
  EXPECT_TRUE(Platform.FDialogs[0].Title.isEmpty());
}

TEST(MainFormComponents, AfterShowTimerIsAOneShotMillisecondTimerNotRunningAtCreation)
{
  TScriptedPlatform Platform;
  TTestForm Form(Platform);
  auto* Timer = Form.findChild<QTimer*>(u"AfterShowTimer"_s);
  ASSERT_NE(Timer, nullptr);
  EXPECT_EQ(Timer->interval(), 1);
  EXPECT_TRUE(Timer->isSingleShot());
  EXPECT_FALSE(Timer->isActive());
}

TEST(MainFormComponents, IconImageHoldsTheApplicationIconAndIsNeverShown)
{
  TScriptedPlatform Platform;
  TTestForm Form(Platform);
  Form.show();
  QApplication::processEvents();
  QFile Resource(u":/quillmark.ico"_s);
  ASSERT_TRUE(Resource.open(QIODevice::ReadOnly));
  EXPECT_EQ(Form.ApplicationIconFile(), Resource.readAll());
  auto* Icon = Form.Get<QLabel>("IconImage");
  EXPECT_FALSE(Icon->isVisible());
  EXPECT_EQ(Icon->pixmap().size(), QSize(48, 48));
  // The 32-bit image with its soft edges, not a palette image.
  EXPECT_TRUE(Icon->pixmap().toImage().hasAlphaChannel());
  const QList<QSize> Sizes = Form.windowIcon().availableSizes();
  EXPECT_EQ(Sizes, QList<QSize>({QSize(48, 48), QSize(32, 32), QSize(16, 16)}));
}

TEST(MainFormComponents, TabKeyVisitsTheControlsPageByPageInTheirOrder)
{
  TScriptedPlatform Platform;
  TTestForm Form(Platform);
  const QStringList Order = {
      u"PageControl"_s,       u"StereoCheckBox"_s,     u"LayoutComboBox"_s,   u"DurationEdit"_s,
      u"HalfWidthCheckBox"_s, u"HalfHeightCheckBox"_s, u"ParallaxEdit"_s,     u"SourceEdit"_s,
      u"LoadButton"_s,        u"DeleteButton"_s,       u"TitleEdit"_s,        u"AuthorEdit"_s,
      u"CopyrightEdit"_s,     u"DescriptionMemo"_s,    u"DiscNameEdit"_s,     u"TitleNameEdit"_s,
      u"TitleIndexEdit"_s,    u"PosterScrollBox"_s,    u"LoadPosterButton"_s, u"DeletePosterButton"_s};
  QStringList Visited;
  QWidget* Start = Form.Get("PageControl");
  QWidget* Widget = Start;
  do {
    if (Order.contains(Widget->objectName())) {
      Visited.push_back(Widget->objectName());
    }
    Widget = Widget->nextInFocusChain();
  } while (Widget != Start && Visited.size() <= Order.size());
  EXPECT_EQ(Visited, Order);
  for (const char* Name : {"PreviewPanel", "PosterPanel"}) {
    EXPECT_EQ(Form.Get(Name)->focusPolicy(), Qt::NoFocus) << Name;
  }
  // The poster scrolls by keyboard.
  EXPECT_EQ(Form.Get("PosterScrollBox")->focusPolicy(), Qt::StrongFocus);
  EXPECT_TRUE(Form.Get<QPlainTextEdit>("DescriptionMemo")->tabChangesFocus());
}

} // namespace
} // namespace QuillmarkTest
