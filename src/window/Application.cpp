#include "window/Application.h"

#include "support/ErrorDisplay.h"

namespace Quillmark {

namespace {

// The window adapts its design to the screen's resolution by itself and
// draws its pictures in screen pixels. Qt's own scaling on top would hide the
// resolution from that adaptation and resample every picture, so Qt is told
// before it starts to leave the pixels alone, unless the user has chosen
// otherwise.
int& LeaveScalingToTheWindow(int& Argc)
{
  if (!qEnvironmentVariableIsSet(HighDpiScalingVariable)) {
    qputenv(HighDpiScalingVariable, "0");
  }
  return Argc;
}

} // namespace

TApplication::TApplication(int& Argc, char** Argv, IPlatform& Platform)
    : QApplication(LeaveScalingToTheWindow(Argc), Argv), FPlatform(Platform)
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
