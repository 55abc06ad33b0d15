#include "window/Application.h"

#include "support/ErrorDisplay.h"

namespace Quillmark {

TApplication::TApplication(int& Argc, char** Argv, IPlatform& Platform)
    : QApplication(Argc, Argv), FPlatform(Platform)
{
}

bool TApplication::notify(QObject* Receiver, QEvent* Event)
{
  bool Result = false;
  // The window's own handlers catch at their edge; this is the last stop
  // for anything else.
  RunHandler(FPlatform, activeWindow(), [&] { Result = QApplication::notify(Receiver, Event); });
  return Result;
}

} // namespace Quillmark
