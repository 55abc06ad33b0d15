// The window in the user's language: the German and French catalogues are
// complete and built into the program, Qt's own catalogue is found, and no
// visible text of a page, menu or dialog stays English under German.
#include "MainFormTestSupport.h"
#include "common/ScriptedPlatform.h"
#include "support/AboutDlg.h"
#include "window/Product.h"
#include "window/Translations.h"
#include "window/WindowTexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <map>

using namespace Quillmark;
using namespace Qt::StringLiterals;

namespace QuillmarkTest {
namespace {

const QLocale German(QLocale::German, QLocale::Germany);
const QLocale French(QLocale::French, QLocale::France);

// Every text a user sees on a window or dialog and what a screen reader
// reads there, keyed by the object and the kind of text.
std::map<QString, QString> VisibleTexts(QWidget* Root)
{
  std::map<QString, QString> Texts;
  auto Add = [&Texts](const QObject* Object, const char* Kind, const QString& Text) {
    if (!Text.trimmed().isEmpty()) {
      Texts[Object->objectName() + u"."_s + QString::fromLatin1(Kind)] = Text;
    }
  };
  for (QWidget* Widget : Root->findChildren<QWidget*>()) {
    if (Widget->objectName().isEmpty() || Widget->objectName().startsWith(u"qt_"_s)) {
      continue;
    }
    if (auto* Label = qobject_cast<QLabel*>(Widget)) {
      Add(Label, "text", Label->text());
    } else if (auto* Button = qobject_cast<QAbstractButton*>(Widget)) {
      Add(Button, "text", Button->text());
    } else if (auto* Group = qobject_cast<QGroupBox*>(Widget)) {
      Add(Group, "title", Group->title());
    } else if (auto* Tabs = qobject_cast<QTabWidget*>(Widget)) {
      for (int Page = 0; Page < Tabs->count(); ++Page) {
        Add(Tabs->widget(Page), "tab", Tabs->tabText(Page));
      }
    } else if (auto* Combo = qobject_cast<QComboBox*>(Widget)) {
      for (int Item = 0; Item < Combo->count(); ++Item) {
        Add(Combo, QByteArray("item" + QByteArray::number(Item)).constData(), Combo->itemText(Item));
      }
    } else if (auto* Menu = qobject_cast<QMenu*>(Widget)) {
      Add(Menu, "title", Menu->title());
    }
    Add(Widget, "accessibleName", Widget->accessibleName());
    Add(Widget, "accessibleDescription", Widget->accessibleDescription());
  }
  for (QAction* Action : Root->findChildren<QAction*>()) {
    if (!Action->isSeparator() && !Action->objectName().isEmpty()) {
      Add(Action, "text", Action->text());
    }
  }
  return Texts;
}

// Words German writes as English does.
bool SameInGerman(const QString& Text)
{
  static const QStringList Same = {u"Stereo"_s, u"&Video"_s, u"Quillmark"_s, u"Quillpad"_s};
  return Same.contains(Text) || Text.startsWith(u"Version "_s) || Text.contains(u"://"_s);
}

std::unique_ptr<TAboutForm> About(TScriptedPlatform& Platform)
{
  return CreateAboutDialog(Platform, nullptr, TMainForm::tr("About %1").arg(ApplicationTitle()),
                           ProductName(), VersionText(), CopyrightText(), u"https://quillmark.example/"_s,
                           {});
}

TEST(Translation, NoVisibleTextOfAPageMenuOrDialogStaysEnglishUnderGerman)
{
  TScriptedPlatform Platform;
  std::map<QString, QString> English;
  {
    TTestForm Form(Platform);
    English = VisibleTexts(&Form);
    for (const auto& [Key, Text] : VisibleTexts(About(Platform).get())) {
      English[u"About."_s + Key] = Text;
    }
  }
  const TTranslations Translations(German);
  ASSERT_TRUE(Translations.HasOwn());
  TTestForm Form(Platform);
  std::map<QString, QString> Shown = VisibleTexts(&Form);
  for (const auto& [Key, Text] : VisibleTexts(About(Platform).get())) {
    Shown[u"About."_s + Key] = Text;
  }
  ASSERT_GT(Shown.size(), 60U);
  for (const auto& [Key, Text] : Shown) {
    const auto Before = English.find(Key);
    if (Before != English.end() && !SameInGerman(Text)) {
      EXPECT_NE(Text, Before->second) << Key.toStdString();
    }
  }

  // The messages too, whole sentences with their arguments in place.
  Form.FModified = true;
  Form.QuerySave();
  ASSERT_FALSE(Platform.FMessages.empty());
  EXPECT_EQ(Platform.FMessages.back().Text,
            u"Die aktuelle Datei wurde nicht gespeichert. Möchten Sie sie jetzt speichern?"_s);
  EXPECT_EQ(PictureLoadText(TPictureKind::Poster, TPictureLoad::CannotOpen, u"/a/b.jpg"_s),
            u"Die Datei „b.jpg“ konnte nicht geöffnet werden!"_s);
  EXPECT_EQ(RefusalText(TAttribute::Title, Form.FieldOf(TAttribute::Title)).contains(u"32766"_s), true);
  EXPECT_TRUE(RefusalText(TAttribute::Title, Form.FieldOf(TAttribute::Title)).startsWith(u"Der Titel"_s));
  Form.FModified = false;
}

TEST(Translation, QtsOwnCatalogueIsLoadedForTheLocale)
{
  const TTranslations Translations(French);
  EXPECT_TRUE(Translations.HasOwn());
  ASSERT_TRUE(Translations.HasQt()) << "qtbase_fr.qm is not installed";
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"Annuler"_s);
}

TEST(Translation, EnglishNeedsNoCatalogueAndStaysAsDesigned)
{
  const TTranslations Translations(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_FALSE(Translations.HasOwn());
  EXPECT_EQ(RefusalText(TAttribute::StereoscopicSkip, nullptr), u"Please enter a valid 2D intro duration!"_s);
}

// Each catalogue, as the sources keep it: no entry unfinished, none empty,
// and every argument of the English text kept.
TEST(Translation, GermanAndFrenchCataloguesAreComplete)
{
  for (const char* Language : {"de", "fr"}) {
    QFile File(
        QStringLiteral(QUILLMARK_SOURCE_DIR "/translations/quillmark_%1.ts").arg(QLatin1String(Language)));
    ASSERT_TRUE(File.open(QIODevice::ReadOnly)) << Language;
    const QString Text = QString::fromUtf8(File.readAll());
    EXPECT_FALSE(Text.contains(u"type=\"unfinished\""_s)) << Language;
    EXPECT_FALSE(Text.contains(u"type=\"vanished\""_s)) << Language;
    const QRegularExpression Message(u"<source>(.*?)</source>\\s*<translation>(.*?)</translation>"_s,
                                     QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression Argument(u"%\\d"_s);
    int Count = 0;
    for (const QRegularExpressionMatch& Match : Message.globalMatch(Text)) {
      ++Count;
      const QString Source = Match.captured(1);
      const QString Translation = Match.captured(2);
      EXPECT_FALSE(Translation.isEmpty()) << Language << ": " << Source.toStdString();
      for (const QRegularExpressionMatch& Used : Argument.globalMatch(Source)) {
        EXPECT_TRUE(Translation.contains(Used.captured())) << Language << ": " << Source.toStdString();
      }
    }
    EXPECT_EQ(Count, Text.count(u"<message>"_s)) << Language;
  }
}

} // namespace
} // namespace QuillmarkTest
