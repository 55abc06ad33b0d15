#include "window/Application.h"

#include <exception>

using namespace Qt::StringLiterals;

namespace Quillmark {

TApplication::TApplication(int& Argc, char** Argv, IPlatform& Platform)
    : QApplication(Argc, Argv), FPlatform(Platform)
{
}

bool TApplication::notify(QObject* Receiver, QEvent* Event)
{
  try {
    return QApplication::notify(Receiver, Event);
  } catch (const std::exception& Error) {
    ShowError(QString::fromUtf8(Error.what()));
  } catch (...) {
    ShowError(u"An unexpected error occurred."_s);
  }
  return false;
}

void TApplication::ShowError(const QString& Text)
{
  TMessage Message;
  Message.Owner = activeWindow();
  Message.Caption = applicationName();
  Message.Text = Text;
  Message.Icon = TMessageIcon::Error;
  FPlatform.ShowMessage(Message);
}

} // namespace Quillmark
