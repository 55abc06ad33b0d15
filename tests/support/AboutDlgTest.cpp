#include "support/AboutDlg.h"

#include "common/ScriptedPlatform.h"
#include "support/IconFiles.h"
#include "support/Localization.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Quillmark;
using namespace Qt::StringLiterals;

namespace QuillmarkTest {
namespace {

const QString Link = u"https://quillmark.example/"_s;
const QString ShortCopyright = u"Copyright © 2026 The Quillmark developers"_s;
const QString LongCopyright =
    u"Copyright © 2026 The Quillmark developers, with parts contributed by many translators, testers and "
    u"writers of documentation over the years"_s;

int Bottom(const QWidget* Widget)
{
  return Widget->y() + Widget->height();
}

class AboutDialog : public ::testing::Test {
protected:
  void TearDown() override { LocalizationTables.reset(); }

  std::unique_ptr<TAboutForm> Create(const QString& Copyright = ShortCopyright,
                                     const TIconResource& Icon = {})
  {
    return CreateAboutDialog(FPlatform, nullptr, u"About Quillpad"_s, u"Quillmark"_s, u"Version 1.5"_s,
                             Copyright, Link, Icon);
  }

  TScriptedPlatform FPlatform;
};

TEST_F(AboutDialog, LayoutAt96Ppi)
{
  std::unique_ptr<TAboutForm> Dialog = Create();
  ASSERT_EQ(Dialog->TextHeight(), 13) << "the dialog font measures differently here";
  EXPECT_EQ(Dialog->width(), 309);
  EXPECT_EQ(Dialog->CloseButton->geometry(), QRect(224, Dialog->CloseButton->y(), 75, 23));
  EXPECT_EQ(Dialog->width() - (Dialog->CloseButton->x() + Dialog->CloseButton->width()), 10);
  EXPECT_EQ(Dialog->WarningLabel->x(), 10);
  EXPECT_EQ(Dialog->WarningLabel->width(), 289);
  EXPECT_GT(Dialog->WarningLabel->height(), 2 * Dialog->TextHeight()); // it wraps
  EXPECT_EQ(Dialog->IconImage->geometry(), QRect(16, 18, 48, 48));

  EXPECT_EQ(Dialog->TitleLabel->pos(), QPoint(84, 16));
  EXPECT_EQ(Dialog->VersionLabel->pos(), QPoint(84, Bottom(Dialog->TitleLabel) + 2));
  EXPECT_EQ(Dialog->CopyrightLabel->pos(), QPoint(84, Bottom(Dialog->VersionLabel) + 12));
  EXPECT_EQ(Dialog->CopyrightLabel->width(), 309 - 84 - 10);
  EXPECT_EQ(Dialog->ReservedLabel->pos(), QPoint(84, Bottom(Dialog->CopyrightLabel) + 2));
  EXPECT_EQ(Dialog->WarningLabel->y(), Bottom(Dialog->ReservedLabel) + 12);
  EXPECT_EQ(Dialog->CloseButton->y(), Bottom(Dialog->WarningLabel) + 16);
  EXPECT_EQ(Dialog->height(), Bottom(Dialog->CloseButton) + 9);

  const int UrlHeight = Dialog->URLLabel->height();
  EXPECT_EQ(UrlHeight, Dialog->URLLabel->sizeHint().height());
  EXPECT_EQ(Dialog->URLLabel->pos(), QPoint(10, Dialog->CloseButton->y() + (23 - UrlHeight) / 2));
  if (UrlHeight == 13) {
    EXPECT_EQ(Dialog->URLLabel->y() - Dialog->CloseButton->y(), 5);
  }
  // Single-line labels fit their text.
  for (QLabel* Label : {Dialog->TitleLabel, Dialog->VersionLabel, Dialog->ReservedLabel, Dialog->URLLabel}) {
    EXPECT_EQ(Label->size(), Label->sizeHint()) << Label->objectName().toStdString();
  }
  EXPECT_EQ(Dialog->minimumSize(), Dialog->maximumSize());
}

TEST_F(AboutDialog, TextsFontsTagsAndLook)
{
  std::unique_ptr<TAboutForm> Dialog = Create();
  EXPECT_EQ(Dialog->windowTitle(), u"About Quillpad"_s);
  EXPECT_EQ(Dialog->TitleLabel->text(), u"Quillmark"_s);
  EXPECT_EQ(Dialog->VersionLabel->text(), u"Version 1.5"_s);
  EXPECT_EQ(Dialog->CopyrightLabel->text(), ShortCopyright);
  EXPECT_EQ(Dialog->ReservedLabel->text(), u"All rights reserved."_s);
  EXPECT_TRUE(Dialog->WarningLabel->text().contains(u"copyright law and international treaties"_s));
  EXPECT_EQ(Dialog->URLLabel->text(), Link);

  EXPECT_EQ(Dialog->font().family(), u"MS Shell Dlg"_s);
  EXPECT_EQ(Dialog->font().pixelSize(), 11);
  for (QLabel* Label : Dialog->findChildren<QLabel*>()) {
    EXPECT_EQ(Label->font().family(), u"MS Shell Dlg"_s);
    EXPECT_EQ(Label->textFormat(), Label == Dialog->IconImage ? Qt::AutoText : Qt::PlainText);
  }
  EXPECT_EQ(ComponentTag(Dialog.get()), 6);
  EXPECT_EQ(ComponentTag(Dialog->CloseButton), 1);
  EXPECT_EQ(ComponentTag(Dialog->ReservedLabel), 2);
  EXPECT_EQ(ComponentTag(Dialog->WarningLabel), 5);
  EXPECT_EQ(ComponentTag(Dialog->URLLabel), 10);

  EXPECT_EQ(Dialog->URLLabel->palette().color(QPalette::WindowText), QColor(0, 0, 128));
  EXPECT_TRUE(Dialog->URLLabel->font().underline());
  EXPECT_EQ(Dialog->URLLabel->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_TRUE(Dialog->CloseButton->isDefault());

  const Qt::WindowFlags Flags = Dialog->windowFlags();
  EXPECT_TRUE(Flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(Flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(Flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(Flags & Qt::WindowContextHelpButtonHint);
}

TEST_F(AboutDialog, LongCopyrightPushesEverythingBelowDown)
{
  std::unique_ptr<TAboutForm> Short = Create(ShortCopyright);
  std::unique_ptr<TAboutForm> Long = Create(LongCopyright);
  EXPECT_EQ(Long->CopyrightLabel->width(), Short->CopyrightLabel->width());
  const int Growth = Long->CopyrightLabel->height() - Short->CopyrightLabel->height();
  EXPECT_GE(Growth, 2 * Long->TextHeight());
  EXPECT_EQ(Long->ReservedLabel->y() - Short->ReservedLabel->y(), Growth);
  EXPECT_EQ(Long->WarningLabel->y() - Short->WarningLabel->y(), Growth);
  EXPECT_EQ(Long->CloseButton->y() - Short->CloseButton->y(), Growth);
  EXPECT_EQ(Long->URLLabel->y() - Short->URLLabel->y(), Growth);
  EXPECT_EQ(Long->height() - Short->height(), Growth);
  EXPECT_EQ(Long->width(), Short->width());
}

TEST_F(AboutDialog, AdaptsToAHigherPpi)
{
  FPlatform.FPpi = 120;
  std::unique_ptr<TAboutForm> Dialog = Create();
  EXPECT_EQ(Dialog->font().pixelSize(), 14); // 11 × 120 / 96 = 13.75
  const int Measured = Dialog->TextHeight();
  auto Scaled = [Measured](int Design) { return (Design * Measured + 6) / 13; };
  EXPECT_EQ(Dialog->width(), 12 + 12 + 361);
  EXPECT_EQ(Dialog->WarningLabel->geometry().left(), 12);
  EXPECT_EQ(Dialog->WarningLabel->width(), 361);
  EXPECT_EQ(Dialog->CloseButton->geometry().topLeft().x(), Scaled(224));
  EXPECT_EQ(Dialog->CloseButton->size(), QSize(Scaled(75), Scaled(23)));
  EXPECT_EQ(Dialog->TitleLabel->pos(), QPoint(Scaled(84), Scaled(16)));
  EXPECT_EQ(Dialog->VersionLabel->y(), Bottom(Dialog->TitleLabel) + 2);
  EXPECT_EQ(Dialog->CopyrightLabel->y(), Bottom(Dialog->VersionLabel) + 15);
  EXPECT_EQ(Dialog->CloseButton->y(), Bottom(Dialog->WarningLabel) + 20);
  EXPECT_EQ(Dialog->height(), Bottom(Dialog->CloseButton) + 11);
}

TEST_F(AboutDialog, IconChosenForTheDisplay)
{
  const TIconResource Icon{MakeAppShapedIcon()};
  std::unique_ptr<TAboutForm> Dialog = Create(ShortCopyright, Icon);
  QImage Shown = Dialog->IconImage->pixmap().toImage();
  EXPECT_EQ(Shown.size(), QSize(48, 48));
  EXPECT_EQ(Shown.pixel(16, 16), AppIconColour(2));

  FPlatform.FVersion = TPlatformVersion{2, 5, 0};
  Shown = Create(ShortCopyright, Icon)->IconImage->pixmap().toImage();
  EXPECT_EQ(Shown.pixel(16, 16), AppIconColour(1));

  FPlatform.FPpi = 144;
  FPlatform.FVersion = TPlatformVersion{};
  Dialog = Create(ShortCopyright, Icon);
  Shown = Dialog->IconImage->pixmap().toImage();
  EXPECT_EQ(Shown.size(), QSize(64, 64));
  EXPECT_EQ(Shown.pixel(20, 20), AppIconColour(2));
  EXPECT_GE(Dialog->IconImage->width(), 64);

  EXPECT_TRUE(Create()->IconImage->pixmap().isNull());
  EXPECT_TRUE(Create(ShortCopyright, {QByteArray("broken")})->IconImage->pixmap().isNull());
}

// Shows the dialog modally and sends Key to its focused control once it is up.
bool ClosesOnKey(TAboutForm& Dialog, int Key)
{
  bool Closed = false;
  QTimer::singleShot(0, &Dialog, [&Dialog, Key] {
    QWidget* Target = Dialog.focusWidget() != nullptr ? Dialog.focusWidget() : &Dialog;
    QKeyEvent Press(QEvent::KeyPress, Key, Qt::NoModifier);
    QApplication::sendEvent(Target, &Press);
  });
  // A dialog that ignores the key is closed by force after a while.
  QTimer::singleShot(400, &Dialog, [&Dialog] { Dialog.done(42); });
  Closed = Dialog.exec() != 42;
  return Closed && !Dialog.isVisible();
}

TEST_F(AboutDialog, EnterAndEscBothClose)
{
  std::unique_ptr<TAboutForm> ForEnter = Create();
  EXPECT_TRUE(ClosesOnKey(*ForEnter, Qt::Key_Return));
  std::unique_ptr<TAboutForm> ForKeypadEnter = Create();
  EXPECT_TRUE(ClosesOnKey(*ForKeypadEnter, Qt::Key_Enter));
  std::unique_ptr<TAboutForm> ForEsc = Create();
  EXPECT_TRUE(ClosesOnKey(*ForEsc, Qt::Key_Escape));
  std::unique_ptr<TAboutForm> ForOther = Create();
  EXPECT_FALSE(ClosesOnKey(*ForOther, Qt::Key_A));
}

TEST_F(AboutDialog, LinkClickOpensTheCaptionThroughThePlatform)
{
  std::unique_ptr<TAboutForm> Dialog = Create();
  const QPointF Inside(2, 2);
  QMouseEvent Press(QEvent::MouseButtonPress, Inside, Dialog->URLLabel->mapToGlobal(Inside), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent Release(QEvent::MouseButtonRelease, Inside, Dialog->URLLabel->mapToGlobal(Inside),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(Dialog->URLLabel, &Press);
  EXPECT_TRUE(FPlatform.FOpenedUrls.isEmpty());
  QApplication::sendEvent(Dialog->URLLabel, &Release);
  EXPECT_EQ(FPlatform.FOpenedUrls, QStringList{Link});

  // The label's current caption, whatever set it.
  Dialog->URLLabel->setText(u"https://elsewhere.example/"_s);
  Dialog->URLLabelClick();
  EXPECT_EQ(FPlatform.FOpenedUrls.last(), u"https://elsewhere.example/"_s);
}

TEST_F(AboutDialog, LinkIsReadableOnLightAndDarkPalettes)
{
  struct TCase {
    const char* Name;
    QColor Window;
    QColor Link;
    QColor Expected;
  };
  const QColor Navy(0, 0, 128);
  const TCase Cases[] = {
      {"light, as designed", QColor(240, 240, 240), QColor(0, 0, 255), Navy},
      {"dark with a light link colour", QColor(45, 45, 48), QColor(120, 170, 255), QColor(120, 170, 255)},
      {"dark with a dark link colour", QColor(30, 30, 30), QColor(0, 0, 160), QColor(230, 230, 230)},
  };
  const QPalette Before = QApplication::palette();
  for (const TCase& Case : Cases) {
    QPalette Palette = Before;
    Palette.setColor(QPalette::Window, Case.Window);
    Palette.setColor(QPalette::WindowText, QColor(230, 230, 230));
    Palette.setColor(QPalette::Link, Case.Link);
    if (Case.Window.lightness() > 128) {
      Palette.setColor(QPalette::WindowText, Qt::black);
    }
    QApplication::setPalette(Palette);
    std::unique_ptr<TAboutForm> Dialog = Create();
    const QColor Shown =
        Dialog->URLLabel->palette().color(QPalette::Active, Dialog->URLLabel->foregroundRole());
    const QColor Behind = Dialog->palette().color(QPalette::Active, Dialog->backgroundRole());
    EXPECT_EQ(Shown, Case.Expected) << Case.Name;
    EXPECT_GE(Contrast(Shown, Behind), 4.5) << Case.Name;
    EXPECT_TRUE(Dialog->URLLabel->font().underline()) << Case.Name;
  }
  QApplication::setPalette(Before);
  EXPECT_DOUBLE_EQ(Contrast(Qt::black, Qt::white), 21.0);
  EXPECT_DOUBLE_EQ(Contrast(Navy, Navy), 1.0);
}

TEST_F(AboutDialog, TablesApplyBeforeTheCallersTextsAndLayout)
{
  LocalizationTables = std::make_unique<TLocalizationTables>();
  LocalizationTables->Forms.push_back({6,
                                       {{0, {{0, TPropertyKind::Text, 0, u"Über"_s}}},
                                        {2, {{0, TPropertyKind::Text, 0, u"Alle Rechte vorbehalten."_s}}},
                                        {5, {{1, TPropertyKind::Integer, 40, {}}}},
                                        {1, {{0, TPropertyKind::Text, 0, u"&Schließen"_s}}}}});
  std::unique_ptr<TAboutForm> Dialog = Create();
  EXPECT_EQ(Dialog->windowTitle(), u"About Quillpad"_s);
  EXPECT_EQ(Dialog->ReservedLabel->text(), u"Alle Rechte vorbehalten."_s);
  EXPECT_EQ(Dialog->ReservedLabel->size(), Dialog->ReservedLabel->sizeHint());
  EXPECT_EQ(Dialog->CloseButton->text(), u"&Schließen"_s);
  EXPECT_EQ(Dialog->WarningLabel->width(), 289);
}

TEST_F(AboutDialog, AWronglyTypedEntryStopsTheShowing)
{
  LocalizationTables = std::make_unique<TLocalizationTables>();
  LocalizationTables->Forms.push_back({6, {{1, {{0, TPropertyKind::Integer, 3, {}}}}}});
  EXPECT_THROW(Create(), ELocalization);
  // Were the dialog shown, this would close it and the test would see it.
  bool Shown = false;
  QTimer Watch;
  QObject::connect(&Watch, &QTimer::timeout, [&Shown] {
    if (QWidget* Modal = QApplication::activeModalWidget()) {
      Shown = true;
      Modal->close();
    }
  });
  Watch.start(10);
  EXPECT_THROW(ShowAboutDialog(FPlatform, nullptr, u"About Quillpad"_s, u"Quillmark"_s, u"Version 1.5"_s,
                               ShortCopyright, Link, {}),
               ELocalization);
  EXPECT_FALSE(Shown);
}

} // namespace
} // namespace QuillmarkTest
