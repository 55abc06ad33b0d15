#include "support/QtPlatform.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QUrl>
#include <cmath>

using namespace Qt::StringLiterals;

namespace Quillmark {

namespace {

constexpr int DefaultPpi = 96;
constexpr int DefaultDepth = 32;

QMessageBox::Icon BoxIcon(TMessageIcon Icon)
{
  switch (Icon) {
  case TMessageIcon::Error:
    return QMessageBox::Critical;
  case TMessageIcon::Warning:
    return QMessageBox::Warning;
  case TMessageIcon::Information:
    return QMessageBox::Information;
  case TMessageIcon::Question:
    return QMessageBox::Question;
  case TMessageIcon::None:
    break;
  }
  return QMessageBox::NoIcon;
}

// Message texts break their lines with carriage returns, alone or before a
// line feed.
QString BoxText(const QString& Text)
{
  QString Result = Text;
  Result.replace(u"\r\n"_s, u"\n"_s);
  Result.replace(u'\r', u'\n');
  return Result;
}

} // namespace

QString QtFileFilter(const QString& StoredFilter)
{
  const QStringList Parts = StoredFilter.split(u'|');
  QStringList Filters;
  for (qsizetype Index = 0; Index + 1 < Parts.size(); Index += 2) {
    QStringList Patterns = Parts[Index + 1].split(u';', Qt::SkipEmptyParts);
    for (QString& Pattern : Patterns) {
      Pattern = Pattern.trimmed();
      // "*.*" is every file where the filter comes from; here it would
      // leave out every name without a dot.
      if (Pattern == u"*.*"_s) {
        Pattern = u"*"_s;
      }
    }
    Patterns.removeAll(QString());
    Filters.push_back(Parts[Index].trimmed() + u" ("_s + Patterns.join(u' ') + u")"_s);
  }
  return Filters.join(u";;"_s);
}

std::unique_ptr<QMessageBox> CreateMessageBox(const TMessage& Message)
{
  auto Box = std::make_unique<QMessageBox>(BoxIcon(Message.Icon), Message.Caption, BoxText(Message.Text),
                                           QMessageBox::NoButton, Message.Owner);
  // File names may look like markup; they are shown as they are.
  Box->setTextFormat(Qt::PlainText);
  if (!Message.Details.isEmpty()) {
    Box->setDetailedText(Message.Details);
  }
  if (Message.Buttons == TMessageButtons::YesNoCancel) {
    Box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    Box->setDefaultButton(QMessageBox::Yes);
    Box->setEscapeButton(QMessageBox::Cancel);
  } else {
    Box->setStandardButtons(QMessageBox::Ok);
    Box->setDefaultButton(QMessageBox::Ok);
    Box->setEscapeButton(QMessageBox::Ok);
  }
  return Box;
}

std::unique_ptr<QFileDialog> CreateOpenFileDialog(const TOpenDialogRequest& Request)
{
  auto Dialog =
      std::make_unique<QFileDialog>(Request.Owner, Request.Title, QString(), QtFileFilter(Request.Filter));
  Dialog->setAcceptMode(QFileDialog::AcceptOpen);
  Dialog->setFileMode(QFileDialog::ExistingFile);
  Dialog->setSizeGripEnabled(true);
  const QStringList Filters = Dialog->nameFilters();
  if (!Filters.isEmpty()) {
    Dialog->selectNameFilter(Filters.front());
  }
  return Dialog;
}

TMessageAnswer TQtPlatform::ShowMessage(const TMessage& Message)
{
  std::unique_ptr<QMessageBox> Box = CreateMessageBox(Message);
  Box->exec();
  switch (Box->standardButton(Box->clickedButton())) {
  case QMessageBox::Yes:
    return TMessageAnswer::Yes;
  case QMessageBox::No:
    return TMessageAnswer::No;
  case QMessageBox::Ok:
    return TMessageAnswer::Ok;
  default:
    return Message.Buttons == TMessageButtons::Ok ? TMessageAnswer::Ok : TMessageAnswer::Cancel;
  }
}

std::optional<QString> TQtPlatform::ChooseOpenFile(const TOpenDialogRequest& Request)
{
  std::unique_ptr<QFileDialog> Dialog = CreateOpenFileDialog(Request);
  if (Dialog->exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  const QStringList Files = Dialog->selectedFiles();
  if (Files.isEmpty()) {
    return std::nullopt;
  }
  return Files.front();
}

int TQtPlatform::ScreenPpi() const
{
  const QScreen* Screen = QGuiApplication::primaryScreen();
  if (Screen == nullptr) {
    return DefaultPpi;
  }
  // The user had Qt scale the window (QT_SCALE_FACTOR,
  // QT_SCREEN_SCALE_FACTORS): its pixels are already the size the user
  // chose, so the design stays at its own resolution and is scaled once, by
  // Qt. Adapting it to the screen as well would scale it twice, and Qt's
  // reduced resolution for a screen factor would shrink it instead.
  if (!qFuzzyCompare(Screen->devicePixelRatio(), 1.0)) {
    return DefaultPpi;
  }
  return static_cast<int>(std::lround(Screen->logicalDotsPerInch()));
}

int TQtPlatform::ScreenDepth() const
{
  const QScreen* Screen = QGuiApplication::primaryScreen();
  return Screen ? Screen->depth() : DefaultDepth;
}

std::optional<TPlatformVersion> TQtPlatform::PlatformVersion() const
{
  return TPlatformVersion{2, 10, 0};
}

void TQtPlatform::OpenUrl(const QString& Url)
{
  QDesktopServices::openUrl(QUrl(Url));
}

} // namespace Quillmark
