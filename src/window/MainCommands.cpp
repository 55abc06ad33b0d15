// The commands of the main window: the save prompt, the menu, the close
// query, the file named on the command line and dropped files.
#include "support/AboutDlg.h"
#include "support/ErrorDisplay.h"
#include "support/IconUtils.h"
#include "window/DroppedFiles.h"
#include "window/LocalPaths.h"
#include "window/Main.h"
#include "window/OpenDialog.h"
#include "window/Product.h"
#include "window/Website.h"
#include "window/WindowTask.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

bool TMainForm::QuerySave()
{
  if (!FModified) {
    return true;
  }
  TMessageAnswer Answer = FPlatform.ShowMessage(
      {this, ProductName(), tr("The current file has not been saved. Do you want to save it now?"),
       TMessageIcon::Question, TMessageButtons::YesNoCancel});
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
  ShowAboutDialog(FPlatform, this, tr("About %1").arg(ApplicationTitle()), ProductName(), VersionText(),
                  CopyrightText(), QString::fromUtf16(WebsiteAddress), TIconResource{ApplicationIconFile()});
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

// Every command stops its errors at its own edge, and none runs while a save
// or a read of the window's is under way: it could touch the file.
std::function<void()> TMainForm::GuardedCommand(void (TMainForm::*Handler)())
{
  return [this, Handler] {
    if (!WindowTaskRunning()) {
      RunHandler(FPlatform, this, [this, Handler] { (this->*Handler)(); });
    }
  };
}

void TMainForm::closeEvent(QCloseEvent* Event)
{
  // The window stays while its file is being saved.
  if (WindowTaskRunning()) {
    Event->ignore();
    return;
  }
  bool Granted = false;
  RunHandler(FPlatform, this, [&] { Granted = FormCloseQuery(); });
  Event->setAccepted(Granted);
}

// Files dropped anywhere on the window, over an edit field too, are the
// window's: the fields would paste their addresses instead. Other drags,
// text from one field to another, stay with the fields.
void TMainForm::AcceptDropsEverywhere()
{
  setAcceptDrops(true);
  for (QWidget* Child : findChildren<QWidget*>()) {
    if (Child->acceptDrops()) {
      Child->installEventFilter(this);
    }
  }
}

bool TMainForm::eventFilter(QObject* Watched, QEvent* Event)
{
  const QEvent::Type Type = Event->type();
  if (Type == QEvent::DragEnter || Type == QEvent::DragMove || Type == QEvent::Drop) {
    auto* Drag = static_cast<QDropEvent*>(Event);
    if (!DroppedFileNames(Drag->mimeData()).isEmpty()) {
      if (Type == QEvent::Drop) {
        DropFiles(Drag);
      } else {
        Drag->acceptProposedAction();
      }
      return true;
    }
  }
  return QMainWindow::eventFilter(Watched, Event);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* Event)
{
  if (!DroppedFileNames(Event->mimeData()).isEmpty()) {
    Event->acceptProposedAction();
  }
}

void TMainForm::dropEvent(QDropEvent* Event)
{
  DropFiles(Event);
}

// The drop is finished before anything is asked, as the platform releases
// it before the window handles the files; the prompt and the open come
// from the event loop.
void TMainForm::DropFiles(QDropEvent* Event)
{
  const QStringList Names = DroppedFileNames(Event->mimeData());
  Event->acceptProposedAction();
  QMetaObject::invokeMethod(
      this,
      [this, Names] {
        if (!WindowTaskRunning()) {
          RunHandler(FPlatform, this, [this, &Names] { WMDropFiles(Names); });
        }
      },
      Qt::QueuedConnection);
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
