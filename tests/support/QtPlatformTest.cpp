// The Qt side of the platform seam: filters, message boxes and the file
// dialog as they are built for showing.
#include "support/QtPlatform.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace QuillmarkTest {
namespace {

using namespace Quillmark;

TEST(QtFileFilter, StoredPairsBecomeQtFilters)
{
  EXPECT_EQ(QtFileFilter(u"Windows Media Files|*.wmv|All Files|*.*"_s),
            u"Windows Media Files (*.wmv);;All Files (*.*)"_s);
  EXPECT_EQ(QtFileFilter(u"JPEG Images|*.jpg;*.jpeg|All Files|*.*"_s),
            u"JPEG Images (*.jpg *.jpeg);;All Files (*.*)"_s);
  EXPECT_EQ(QtFileFilter(u"A| *.a ; ;*.b |B|*.c"_s), u"A (*.a *.b);;B (*.c)"_s);
}

TEST(QtFileFilter, NamesWithoutPatternsAreLeftOut)
{
  EXPECT_EQ(QtFileFilter(QString()), QString());
  EXPECT_EQ(QtFileFilter(u"Lonely"_s), QString());
  EXPECT_EQ(QtFileFilter(u"A|*.a|Dangling"_s), u"A (*.a)"_s);
}

TEST(QtMessageBox, QuestionsOfferYesNoCancelWithYesFirstAndEscapeCancels)
{
  std::unique_ptr<QMessageBox> Box = CreateMessageBox(
      {nullptr, u"Quillmark"_s, u"Save?"_s, TMessageIcon::Question, TMessageButtons::YesNoCancel});
  EXPECT_EQ(Box->windowTitle(), u"Quillmark"_s);
  EXPECT_EQ(Box->icon(), QMessageBox::Question);
  EXPECT_EQ(Box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  EXPECT_EQ(Box->defaultButton(), static_cast<QPushButton*>(Box->button(QMessageBox::Yes)));
  EXPECT_EQ(Box->escapeButton(), Box->button(QMessageBox::Cancel));
  EXPECT_EQ(Box->parentWidget(), nullptr);
}

TEST(QtMessageBox, TextBreaksLinesAtCarriageReturnsAndIsNeverMarkup)
{
  std::unique_ptr<QMessageBox> Box = CreateMessageBox(
      {nullptr, u"Quillmark"_s, u"Could not open\r<b>x</b>.wmv\r\nnow"_s, TMessageIcon::Warning});
  EXPECT_EQ(Box->text(), u"Could not open\n<b>x</b>.wmv\nnow"_s);
  EXPECT_EQ(Box->textFormat(), Qt::PlainText);
  EXPECT_EQ(Box->icon(), QMessageBox::Warning);
  EXPECT_EQ(Box->standardButtons(), QMessageBox::Ok);
  EXPECT_EQ(CreateMessageBox({nullptr, {}, {}, TMessageIcon::Error})->icon(), QMessageBox::Critical);
  EXPECT_EQ(CreateMessageBox({nullptr, {}, {}, TMessageIcon::Information})->icon(), QMessageBox::Information);
  EXPECT_EQ(CreateMessageBox({nullptr, {}, {}, TMessageIcon::None})->icon(), QMessageBox::NoIcon);
}

TEST(QtMessageBox, TheReasonIsTheDetailedTextAndTheTextStaysFixed)
{
  TMessage Message{nullptr, u"Quillmark"_s, u"Could not open file 'a.wmv'!"_s, TMessageIcon::Warning};
  Message.Details = u"permission denied"_s;
  std::unique_ptr<QMessageBox> Box = CreateMessageBox(Message);
  EXPECT_EQ(Box->text(), u"Could not open file 'a.wmv'!"_s);
  EXPECT_EQ(Box->detailedText(), u"permission denied"_s);
  EXPECT_TRUE(CreateMessageBox({nullptr, {}, u"x"_s, TMessageIcon::Error})->detailedText().isEmpty());
}

TEST(QtOpenFileDialog, ChoosesOneExistingFileWithTheFirstFilter)
{
  std::unique_ptr<QFileDialog> Dialog =
      CreateOpenFileDialog({nullptr, u"JPEG Images|*.jpg;*.jpeg|All Files|*.*"_s, QString()});
  EXPECT_EQ(Dialog->fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(Dialog->acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(Dialog->nameFilters(), QStringList({u"JPEG Images (*.jpg *.jpeg)"_s, u"All Files (*.*)"_s}));
  EXPECT_EQ(Dialog->selectedNameFilter(), u"JPEG Images (*.jpg *.jpeg)"_s);
  EXPECT_TRUE(Dialog->isSizeGripEnabled());
}

TEST(QtPlatform, ReportsTheScreenAndACurrentPlatform)
{
  TQtPlatform Platform;
  EXPECT_GE(Platform.ScreenPpi(), 48);
  EXPECT_GT(Platform.ScreenDepth(), 0);
  ASSERT_TRUE(Platform.PlatformVersion());
  EXPECT_EQ(Platform.PlatformVersion()->PlatformId, 2);
  EXPECT_GE(Platform.PlatformVersion()->Major, 6);
}

} // namespace
} // namespace QuillmarkTest
