// The commands of the main window: the save prompt, the menu, the close
// query, the file named on the command line and dropped files.
#include "support/AboutDlg.h"
#include "support/IconUtils.h"
#include "window/DroppedFiles.h"
#include "window/LocalPaths.h"
#include "window/Main.h"
#include "window/OpenDialog.h"
#include "window/Website.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

bool TMainForm::QuerySave()
{
  if (!FModified) {
    return true;
  }
  TMessageAnswer Answer =
      FPlatform.ShowMessage({this,
                             u"Quillmark"_s,
                             u"The current file has not been saved. Do you want to save it now?"_s,
                             TMessageIcon::Question,
                             TMessageButtons::YesNoCancel,
                             {}});
  if (Answer == TMessageAnswer::Yes) {
    SaveFile();
    return !FModified;
  }
  if (Answer == TMessageAnswer::No) {
    FModified = false;
    return true;
  }
  return false;
}

void TMainForm::OpenMenuItemClick()
{
  if (QuerySave() && OpenDialog->Execute()) {
    OpenFile(OpenDialog->FileName());
  }
}

void TMainForm::SaveMenuItemClick()
{
  SaveFile();
}

void TMainForm::CloseMenuItemClick()
{
  if (QuerySave()) {
    CloseFile();
  }
}

void TMainForm::ExitMenuItemClick()
{
  close();
}

void TMainForm::Website1Click()
{
  FPlatform.OpenUrl(QString::fromUtf16(WebsiteAddress));
}

void TMainForm::AboutMenuItemClick()
{
  ShowAboutDialog(FPlatform, this, u"About Quillpad"_s, u"Quillmark"_s, u"Version 1.5"_s,
                  u"Copyright \u00A9 2026 The Quillmark developers"_s, QString::fromUtf16(WebsiteAddress),
                  TIconResource{ApplicationIconFile()});
}

void TMainForm::SetCommandLine(const QStringList& Arguments)
{
  FArguments = Arguments;
}

void TMainForm::FormShow()
{
  AfterShowTimer->start();
}

void TMainForm::AfterShowTimerTimer()
{
  AfterShowTimer->stop();
  if (FArguments.size() < 2) {
    return;
  }
  const QString& First = FArguments.at(1);
  if (IsExistingNonFolder(First)) {
    OpenFile(First);
  }
}

bool TMainForm::FormCloseQuery()
{
  return QuerySave();
}

void TMainForm::closeEvent(QCloseEvent* Event)
{
  if (FormCloseQuery()) {
    Event->accept();
  } else {
    Event->ignore();
  }
}

void TMainForm::dragEnterEvent(QDragEnterEvent* Event)
{
  if (Event->mimeData()->hasUrls()) {
    Event->acceptProposedAction();
  }
}

void TMainForm::dropEvent(QDropEvent* Event)
{
  QStringList Names;
  for (const QUrl& Url : Event->mimeData()->urls()) {
    if (Url.isLocalFile()) {
      Names.push_back(PathOfUrl(Url));
    }
  }
  Event->acceptProposedAction();
  WMDropFiles(Names);
}

void TMainForm::WMDropFiles(const QStringList& Names)
{
  if (Names.isEmpty()) {
    return;
  }
  const QString Chosen = ChooseDroppedFile(Names);
  if (QuerySave()) {
    OpenFile(Chosen);
  }
}

} // namespace Quillmark
