#include "support/Localization.h"

#include "common/ScriptedPlatform.h"
#include "common/TestFiles.h"
#include "support/Debug.h"
#include "window/OpenDialog.h"
#include "window/Panel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace Quillmark;
using namespace Qt::StringLiterals;

namespace QuillmarkTest {
namespace {

TPropertyEntry Text(std::int32_t Index, const QString& Value)
{
  return {Index, TPropertyKind::Text, 0, Value};
}

TPropertyEntry Integer(std::int32_t Index, std::int32_t Value)
{
  return {Index, TPropertyKind::Integer, Value, {}};
}

template <typename T> T* Tagged(T* Component, int Tag)
{
  Component->setProperty("tag", Tag);
  return Component;
}

// A form with one component of every kind the tables know, tagged 1 to 11.
struct TTestForm {
  TTestForm()
  {
    Tagged(&Form, 7);
    Form.setWindowTitle(u"Form"_s);
    Label = Tagged(new QLabel(u"Label"_s, &Form), 1);
    Label->setGeometry(10, 20, 100, 13);
    GroupBox = Tagged(new QGroupBox(u"Group"_s, &Form), 2);
    Button = Tagged(new QPushButton(u"Button"_s, GroupBox), 3);
    Button->setGeometry(30, 40, 75, 23);
    CheckBox = Tagged(new QCheckBox(u"Check"_s, GroupBox), 4);
    Tabs = new QTabWidget(&Form);
    Page = Tagged(new QWidget, 5);
    Tabs->addTab(Page, u"Page"_s);
    Action = Tagged(new QAction(u"Action"_s, &Form), 6);
    Menu = Tagged(new QMenu(u"Menu"_s, &Form), 12);
    Panel = Tagged(new QFrame(&Form), 7);
    Panel->setProperty("caption", u"Panel"_s);
    ComboBox = Tagged(new QComboBox(&Form), 8);
    ComboBox->addItems({u"One"_s, u"Two"_s, u"Three"_s});
    ComboBox->setGeometry(50, 60, 120, 21);
    Dialog = Tagged(new TOpenDialog(Platform, &Form, u"OpenDialog"_s, u"All|*.*"_s), 9);
    WindowPanel = Tagged(new TPanel(u"No image available"_s, &Form), 13);
    Radio = Tagged(new QRadioButton(u"Radio"_s, &Form), 10);
    Plain = Tagged(new QFrame(&Form), 11);
  }

  TScriptedPlatform Platform;
  QWidget Form;
  QLabel* Label;
  QGroupBox* GroupBox;
  QPushButton* Button;
  QCheckBox* CheckBox;
  QTabWidget* Tabs;
  QWidget* Page;
  QAction* Action;
  QMenu* Menu;
  QFrame* Panel;
  QComboBox* ComboBox;
  TOpenDialog* Dialog;
  TPanel* WindowPanel;
  QRadioButton* Radio;
  QFrame* Plain;
};

class Localization : public ::testing::Test {
protected:
  void TearDown() override
  {
    LocalizationTables.reset();
    if (LogFileHandle != NoLogFile) {
      ::close(LogFileHandle);
      LogFileHandle = NoLogFile;
    }
  }

  // Installs one form table for the form tag 7 with the given components.
  void SetTables(std::vector<TComponentTable> Components, std::int32_t FormTag = 7)
  {
    LocalizationTables = std::make_unique<TLocalizationTables>();
    LocalizationTables->Forms.push_back({FormTag - 1, {{0, {Text(0, u"Wrong form"_s)}}}});
    LocalizationTables->Forms.push_back({FormTag, std::move(Components)});
  }

  TTestForm F;
};

TEST_F(Localization, WithoutTablesOnlyFontsChange)
{
  QFont Designed(u"Courier"_s);
  Designed.setPixelSize(14);
  Designed.setBold(true);
  F.Label->setFont(Designed);
  QPalette Red = F.Label->palette();
  Red.setColor(QPalette::WindowText, Qt::red);
  F.Label->setPalette(Red);
  auto* Inner = new QLabel(u"Inner"_s, F.GroupBox);
  const QRect Geometry = F.Label->geometry();

  LocalizeForm(&F.Form, 120);

  EXPECT_EQ(F.Form.font().family(), u"MS Shell Dlg"_s);
  EXPECT_EQ(F.Label->font().family(), u"MS Shell Dlg"_s);
  EXPECT_EQ(F.Label->font().pixelSize(), 14);
  EXPECT_TRUE(F.Label->font().bold());
  EXPECT_EQ(F.Label->palette().color(QPalette::WindowText), QColor(Qt::red));
  EXPECT_EQ(Inner->font().family(), u"MS Shell Dlg"_s);
  EXPECT_EQ(F.Label->text(), u"Label"_s);
  EXPECT_EQ(F.Label->geometry(), Geometry);
  EXPECT_EQ(F.Form.windowTitle(), u"Form"_s);
}

TEST_F(Localization, WidthsAndLeftsScaleWithTheScreenPpi)
{
  SetTables({{3, {Integer(1, 10), Integer(2, 10)}}, {8, {Integer(1, -5), Integer(2, -5)}}});
  LocalizeForm(&F.Form, 96);
  EXPECT_EQ(F.Button->width(), 85);
  EXPECT_EQ(F.Button->x(), 40);
  EXPECT_EQ(F.ComboBox->width(), 115);
  EXPECT_EQ(F.ComboBox->x(), 45);

  TTestForm AtHighPpi;
  LocalizeForm(&AtHighPpi.Form, 120);
  EXPECT_EQ(AtHighPpi.Button->width(), 87);
  EXPECT_EQ(AtHighPpi.Button->x(), 42);
  EXPECT_EQ(AtHighPpi.ComboBox->width(), 114); // -5 × 120 / 96 = -6.25, truncated to -6
  EXPECT_EQ(AtHighPpi.ComboBox->x(), 44);
  EXPECT_EQ(AtHighPpi.Button->height(), 23);
}

TEST_F(Localization, ExtremeValuesDoNotOverflow)
{
  SetTables({{3, {Integer(1, INT32_MAX), Integer(2, INT32_MIN)}}, {8, {Integer(1, INT32_MIN)}}});
  LocalizeForm(&F.Form, 480);
  EXPECT_EQ(F.Button->width(), QWIDGETSIZE_MAX);
  EXPECT_LT(F.Button->x(), -1000000);
  EXPECT_EQ(F.ComboBox->width(), 0);
}

TEST_F(Localization, CaptionsOfEveryKind)
{
  SetTables({
      {0, {Text(0, u"Titel"_s), Text(0, u"Second title"_s)}},
      {1, {Text(0, u"Etikett"_s)}},
      {2, {Text(0, u"Gruppe"_s)}},
      {3, {Text(0, u"Knopf"_s), Text(0, u"Schalter"_s)}}, // the later entry wins
      {4, {Text(0, u"Kästchen"_s)}},
      {5, {Text(0, u"Seite"_s)}},
      {6, {Text(0, u"Aktion"_s)}},
      {12, {Text(0, u"Menü"_s)}},
      {7, {Text(0, u"Tafel"_s)}},
      {13, {Text(0, u"Kein Bild"_s)}},
      {10, {Text(0, u"Radio changed"_s)}},
      {11, {Text(0, u"Plain changed"_s)}},
      {8, {Text(0, u"Combo changed"_s), Text(5, u"Combo changed"_s)}},
  });
  LocalizeForm(&F.Form, 96);
  EXPECT_EQ(F.Form.windowTitle(), u"Titel"_s);
  EXPECT_EQ(F.Label->text(), u"Etikett"_s);
  EXPECT_EQ(F.GroupBox->title(), u"Gruppe"_s);
  EXPECT_EQ(F.Button->text(), u"Schalter"_s);
  EXPECT_EQ(F.CheckBox->text(), u"Kästchen"_s);
  EXPECT_EQ(F.Tabs->tabText(0), u"Seite"_s);
  EXPECT_EQ(F.Action->text(), u"Aktion"_s);
  EXPECT_EQ(F.Menu->title(), u"Menü"_s);
  EXPECT_EQ(F.Panel->property("caption").toString(), u"Tafel"_s);
  EXPECT_EQ(F.WindowPanel->text(), u"Kein Bild"_s);
  // Kinds the tables do not know keep everything.
  EXPECT_EQ(F.Radio->text(), u"Radio"_s);
  EXPECT_FALSE(F.Plain->property("caption").isValid());
  EXPECT_EQ(F.ComboBox->itemText(0), u"One"_s);
  EXPECT_EQ(F.ComboBox->currentText(), u"One"_s);
}

TEST_F(Localization, ComboItemsAndTheLogOfMissingOnes)
{
  TTempDir Dir;
  LogFileHandle = ::open(Dir.File("log.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_NE(LogFileHandle, NoLogFile);
  SetTables(
      {{8, {Text(100, u"Eins"_s), Text(103, u"Vier"_s), Text(99, u"Nothing"_s), Text(102, u"Drei"_s)}}});
  LocalizeForm(&F.Form, 96);
  EXPECT_EQ(F.ComboBox->count(), 3);
  EXPECT_EQ(F.ComboBox->itemText(0), u"Eins"_s);
  EXPECT_EQ(F.ComboBox->itemText(1), u"Two"_s);
  EXPECT_EQ(F.ComboBox->itemText(2), u"Drei"_s);
  const std::vector<std::uint8_t> Log = ReadFileBytes(Dir.File("log.txt"));
  EXPECT_EQ(std::string(Log.begin(), Log.end()), "Unexpected localization string: Vier\r\n");
}

TEST_F(Localization, FileOpenDialogTitleAndFilter)
{
  SetTables({{9, {Text(0, u"Bild öffnen"_s), Text(1, u"JPEG|*.jpg;*.jpeg"_s), Text(2, u"ignored"_s)}}});
  LocalizeForm(&F.Form, 96);
  EXPECT_EQ(F.Dialog->Title(), u"Bild öffnen"_s);
  EXPECT_EQ(F.Dialog->Filter(), u"JPEG|*.jpg;*.jpeg"_s);
}

TEST_F(Localization, WrongKindStopsEverythingAfterIt)
{
  SetTables({{1, {Text(0, u"Applied first"_s), Integer(0, 5), Integer(1, 10)}}, {3, {Text(0, u"Never"_s)}}});
  try {
    LocalizeForm(&F.Form, 96);
    FAIL() << "no exception";
  } catch (const ELocalization& Error) {
    EXPECT_STREQ(Error.what(), "Invalid property type!");
  }
  EXPECT_EQ(F.Label->text(), u"Applied first"_s);
  EXPECT_EQ(F.Label->width(), 100);
  EXPECT_EQ(F.Button->text(), u"Button"_s);
  EXPECT_EQ(F.Form.font().family(), u"MS Shell Dlg"_s);

  // A text where a width belongs, and a wrongly typed form caption.
  TTestForm Other;
  SetTables({{3, {Text(1, u"wide"_s)}}});
  EXPECT_THROW(LocalizeForm(&Other.Form, 96), ELocalization);
  SetTables({{0, {Integer(0, 1)}}});
  EXPECT_THROW(LocalizeForm(&Other.Form, 96), ELocalization);
  EXPECT_THROW(GetText(TPropertyEntry{0, static_cast<TPropertyKind>(7), 0, u"x"_s}), ELocalization);
}

TEST_F(Localization, TagsOfZeroOrLessAreNeverLookedUp)
{
  // Component key 0 names the form only; a label tagged 0 keeps its text.
  F.Label->setProperty("tag", 0);
  F.Button->setProperty("tag", -3);
  SetTables({{0, {Text(0, u"Titel"_s)}}, {-3, {Text(0, u"Minus"_s)}}});
  LocalizeForm(&F.Form, 96);
  EXPECT_EQ(F.Form.windowTitle(), u"Titel"_s);
  EXPECT_EQ(F.Label->text(), u"Label"_s);
  EXPECT_EQ(F.Button->text(), u"Button"_s);

  for (int FormTag : {0, -7}) {
    TTestForm Untagged;
    Untagged.Form.setProperty("tag", FormTag);
    SetTables({{0, {Text(0, u"Titel"_s)}}, {1, {Text(0, u"Etikett"_s)}}}, FormTag);
    LocalizeForm(&Untagged.Form, 96);
    EXPECT_EQ(Untagged.Form.windowTitle(), u"Form"_s);
    EXPECT_EQ(Untagged.Label->text(), u"Label"_s);
  }

  // No table for the form's tag, and a tag that is no number.
  SetTables({{1, {Text(0, u"Etikett"_s)}}}, 9);
  LocalizeForm(&F.Form, 96);
  EXPECT_EQ(F.Form.windowTitle(), u"Titel"_s);
  F.Label->setProperty("tag", u"one"_s);
  EXPECT_EQ(ComponentTag(F.Label), 0);
}

} // namespace
} // namespace QuillmarkTest
