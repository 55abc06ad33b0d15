// What a screen reader and a keyboard user meet: every control that edits
// or acts has a name of its own, every label speaks for its field, the
// pictures say what they hold, the poster scrolls by keyboard and no two
// items of one menu or page share a mnemonic.
#include "MainFormTestSupport.h"
#include "common/AsfBuilder.h"
#include "common/ScriptedPlatform.h"
#include "common/TestFiles.h"
#include "common/TestJpeg.h"
#include "support/AboutDlg.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <map>

using namespace Quillmark;
using namespace Qt::StringLiterals;

namespace QuillmarkTest {
namespace {

bool IsEditingControl(const QWidget* Widget)
{
  return qobject_cast<const QLineEdit*>(Widget) != nullptr ||
         qobject_cast<const QPlainTextEdit*>(Widget) != nullptr ||
         qobject_cast<const QComboBox*>(Widget) != nullptr ||
         (qobject_cast<const QAbstractButton*>(Widget) != nullptr && Widget->focusPolicy() != Qt::NoFocus) ||
         qobject_cast<const QAbstractSlider*>(Widget) != nullptr ||
         qobject_cast<const QScrollArea*>(Widget) != nullptr;
}

QString AccessibleName(QWidget* Widget)
{
  QAccessibleInterface* Interface = QAccessible::queryAccessibleInterface(Widget);
  return Interface != nullptr ? Interface->text(QAccessible::Name) : QString();
}

// Walks Root's widgets and fails on an editing control without a name, or
// with the name of another; the names found, by control.
std::map<QString, QString> CheckNames(QWidget* Root)
{
  std::map<QString, QString> Names;
  std::map<QString, QString> Owners;
  for (QWidget* Widget : Root->findChildren<QWidget*>()) {
    // Parts of Qt's own composite controls (a combo box's list, a scroll
    // area's bars) are named by Qt.
    if (!IsEditingControl(Widget) || Widget->objectName().isEmpty() ||
        Widget->objectName().startsWith(u"qt_"_s)) {
      continue;
    }
    const QString Name = AccessibleName(Widget);
    EXPECT_FALSE(Name.trimmed().isEmpty()) << Widget->objectName().toStdString();
    const auto [At, Fresh] = Owners.emplace(Name, Widget->objectName());
    EXPECT_TRUE(Fresh) << Widget->objectName().toStdString() << " shares the name '" << Name.toStdString()
                       << "' with " << At->second.toStdString();
    Names[Widget->objectName()] = Name;
  }
  return Names;
}

// The mnemonic letter of a text: the one after a single '&'.
QChar Mnemonic(const QString& Text)
{
  for (qsizetype Index = 0; Index + 1 < Text.size(); ++Index) {
    if (Text[Index] == u'&') {
      if (Text[Index + 1] != u'&') {
        return Text[Index + 1].toLower();
      }
      ++Index;
    }
  }
  return {};
}

void ExpectUniqueMnemonics(const QStringList& Texts, const std::string& Where)
{
  std::map<QChar, QString> Seen;
  for (const QString& Text : Texts) {
    const QChar Letter = Mnemonic(Text);
    if (Letter.isNull()) {
      continue;
    }
    const auto [At, Fresh] = Seen.emplace(Letter, Text);
    EXPECT_TRUE(Fresh) << Where << ": '" << Text.toStdString() << "' and '" << At->second.toStdString()
                       << "' share a mnemonic";
  }
}

class Accessibility : public testing::Test {
protected:
  TScriptedPlatform FPlatform;
  TTempDir FDir;
};

TEST_F(Accessibility, EveryControlOfEveryPageAndDialogHasAUniqueName)
{
  TTestForm Form(FPlatform);
  const std::map<QString, QString> Names = CheckNames(&Form);
  // Named for what they do, not after their group box or their twin.
  const std::pair<const char*, QString> Expected[] = {
      {"TitleEdit", u"Title"_s},
      {"DurationEdit", u"2D intro duration in seconds"_s},
      {"LayoutComboBox", u"Stereoscopic layout"_s},
      {"SourceEdit", u"Source"_s},
      {"LoadButton", u"Load preview image..."_s},
      {"DeleteButton", u"Delete preview image"_s},
      {"LoadPosterButton", u"Load title poster..."_s},
      {"DeletePosterButton", u"Delete title poster"_s},
      {"PosterScrollBox", u"Title poster image"_s},
      {"StereoCheckBox", u"File contains stereoscopic content"_s},
  };
  for (const auto& [Control, Name] : Expected) {
    ASSERT_TRUE(Names.count(QString::fromLatin1(Control))) << Control;
    EXPECT_EQ(Names.at(QString::fromLatin1(Control)), Name) << Control;
  }

  std::unique_ptr<TAboutForm> About =
      CreateAboutDialog(FPlatform, nullptr, u"About Quillpad"_s, u"Quillmark"_s, u"Version 1.5"_s,
                        u"Copyright"_s, u"https://x/"_s, {});
  CheckNames(About.get());
}

TEST_F(Accessibility, EveryFieldLabelIsItsBuddyAndCarriesNoMnemonic)
{
  TTestForm Form(FPlatform);
  const std::pair<const char*, const char*> Labels[] = {
      {"Label1", "LayoutComboBox"},      {"Label8", "DurationEdit"},   {"Label10", "ParallaxEdit"},
      {"Label2", "SourceEdit"},          {"Label3", "PreviewPanel"},   {"Label4", "TitleEdit"},
      {"Label5", "AuthorEdit"},          {"Label6", "CopyrightEdit"},  {"Label7", "DescriptionMemo"},
      {"DiscNameLabel", "DiscNameEdit"}, {"Label14", "TitleNameEdit"}, {"Label15", "TitleIndexEdit"},
      {"Label16", "PosterScrollBox"},
  };
  for (const auto& [LabelName, FieldName] : Labels) {
    auto* Label = Form.Get<QLabel>(LabelName);
    EXPECT_EQ(Label->buddy(), Form.Get(FieldName)) << LabelName;
    EXPECT_TRUE(Mnemonic(Label->text()).isNull()) << LabelName;
  }
}

TEST_F(Accessibility, MenusAndPagesHaveUniqueMnemonics)
{
  TTestForm Form(FPlatform);
  QStringList Bar;
  for (QAction* Item : Form.menuBar()->actions()) {
    Bar.push_back(Item->text());
    if (QMenu* Menu = Item->menu()) {
      QStringList Items;
      for (QAction* Entry : Menu->actions()) {
        Items.push_back(Entry->text());
      }
      ExpectUniqueMnemonics(Items, Menu->objectName().toStdString());
    }
  }
  ExpectUniqueMnemonics(Bar, "menu bar");
  auto* Pages = Form.Get<QTabWidget>("PageControl");
  for (int Page = 0; Page < Pages->count(); ++Page) {
    QStringList Texts;
    for (QAbstractButton* Button : Pages->widget(Page)->findChildren<QAbstractButton*>()) {
      Texts.push_back(Button->text());
    }
    ExpectUniqueMnemonics(Texts, Pages->widget(Page)->objectName().toStdString());
  }
}

TEST_F(Accessibility, PicturesDescribeThemselvesAndThePosterScrollsByKeyboard)
{
  TTestForm Form(FPlatform);
  EXPECT_EQ(Form.Get("PreviewPanel")->accessibleDescription(), u"No image available"_s);
  EXPECT_EQ(Form.Get("PosterScrollBox")->accessibleDescription(), u"No image available"_s);

  TAsfBuilder Builder;
  Builder.Add(PaddingObject(4000));
  Builder.AddToExtension(LibraryObject({BinaryRecord(u"StereoDiscTitlePoster", MakeJpeg(1920, 1080))}));
  WriteFileBytes(FDir.File("a.wmv"), Builder.File());
  Form.show();
  Form.OpenFile(QString::fromStdString(FDir.File("a.wmv").string()));
  Form.SettlePictures();
  auto* Poster = Form.Get<QScrollArea>("PosterScrollBox");
  EXPECT_EQ(Poster->accessibleDescription(), u"Picture of 1920 x 1080 pixels"_s);
  EXPECT_EQ(Poster->focusPolicy() & Qt::TabFocus, Qt::TabFocus);

  Form.Get<QTabWidget>("PageControl")->setCurrentWidget(Form.Get("DiscTabSheet"));
  Poster->setFocus();
  for (const Qt::Key Key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_End}) {
    QKeyEvent Press(QEvent::KeyPress, Key, Qt::NoModifier);
    QApplication::sendEvent(Poster, &Press);
  }
  EXPECT_GT(Poster->horizontalScrollBar()->value(), 0);
  EXPECT_GT(Poster->verticalScrollBar()->value(), 0);
  Form.CloseFile();
  EXPECT_EQ(Poster->accessibleDescription(), u"No image available"_s);
}

} // namespace
} // namespace QuillmarkTest
