// The Qt side of the platform seam: filters, message boxes and the file
// dialog as they are built for showing.
#include "support/QtPlatform.h"

#include "common/TestFiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QListView>
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
            u"Windows Media Files (*.wmv);;All Files (*)"_s);
  EXPECT_EQ(QtFileFilter(u"JPEG Images|*.jpg;*.jpeg|All Files|*.*"_s),
            u"JPEG Images (*.jpg *.jpeg);;All Files (*)"_s);
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
  EXPECT_EQ(Dialog->nameFilters(), QStringList({u"JPEG Images (*.jpg *.jpeg)"_s, u"All Files (*)"_s}));
  EXPECT_EQ(Dialog->selectedNameFilter(), u"JPEG Images (*.jpg *.jpeg)"_s);
  EXPECT_TRUE(Dialog->isSizeGripEnabled());
}

// The names the dialog lists in its folder, sorted, once they are the
// expected ones or the folder had time enough to be read.
QStringList ListedNames(QFileDialog& Dialog, const QStringList& Expected)
{
  auto* List = Dialog.findChild<QListView*>(u"listView"_s);
  if (List == nullptr) {
    ADD_FAILURE() << "the dialog has no list of files";
    return {};
  }
  QStringList Names;
  // The folder is read in the background; an empty list may just be early.
  QDeadlineTimer Deadline(5000);
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    Names.clear();
    const QModelIndex Root = List->rootIndex();
    for (int Row = 0; Row < List->model()->rowCount(Root); ++Row) {
      Names.push_back(List->model()->index(Row, 0, Root).data().toString());
    }
    Names.sort();
  } while (Names != Expected && !Deadline.hasExpired());
  return Names;
}

TEST(QtOpenFileDialog, AllFilesListsNamesWithoutADotToo)
{
  TTempDir Dir;
  for (const char* Name : {"README", "clip.wmv", "photo.jpg", "archive.tar.gz"}) {
    WriteFileBytes(Dir.File(Name), {1});
  }
  struct TCase {
    QString StoredFilter;
    QStringList FirstListed;
  };
  const TCase Cases[] = {
      {u"Windows Media Files|*.wmv|All Files|*.*"_s, {u"clip.wmv"_s}},
      {u"JPEG Images|*.jpg;*.jpeg|All Files|*.*"_s, {u"photo.jpg"_s}},
  };
  for (const TCase& Case : Cases) {
    std::unique_ptr<QFileDialog> Dialog = CreateOpenFileDialog({nullptr, Case.StoredFilter, QString()});
    Dialog->setDirectory(QString::fromStdString(Dir.Path().string()));
    Dialog->show();
    Dialog->selectNameFilter(Dialog->nameFilters().last());
    const QStringList Every = {u"README"_s, u"archive.tar.gz"_s, u"clip.wmv"_s, u"photo.jpg"_s};
    EXPECT_EQ(ListedNames(*Dialog, Every), Every) << Case.StoredFilter.toStdString();
    Dialog->selectNameFilter(Dialog->nameFilters().first());
    EXPECT_EQ(ListedNames(*Dialog, Case.FirstListed), Case.FirstListed) << Case.StoredFilter.toStdString();
    Dialog->hide();
  }
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
