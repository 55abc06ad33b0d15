#pragma once
// The application: Qt's, with the general error display. An exception that
// escapes an event handler is shown in a message box captioned with the
// application's name, and the program goes on. Qt's scaling of the screen
// is left off (see HighDpiScalingVariable), so one pixel of the window is
// one pixel of the screen and the window adapts its design itself.
#include "support/Platform.h"

#include <QApplication>

namespace Quillmark {

// Qt's switch for its own scaling; the application sets it to "0" when the
// user has not set it.
inline constexpr char HighDpiScalingVariable[] = "QT_ENABLE_HIGHDPI_SCALING";

class TApplication : public QApplication {
  Q_OBJECT
public:
  // Platform shows the error messages; it must outlive the application. At
  // most one exists, created before any other Qt object.
  TApplication(int& Argc, char** Argv, IPlatform& Platform);

  bool notify(QObject* Receiver, QEvent* Event) override;

private:
  IPlatform& FPlatform;
};

} // namespace Quillmark
