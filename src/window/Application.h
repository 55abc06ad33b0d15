#pragma once
// The application: Qt's, with the general error display. An exception that
// escapes an event handler is shown in a message box captioned with the
// application's name, and the program goes on.
#include "support/Platform.h"

#include <QApplication>

namespace Quillmark {

class TApplication : public QApplication {
  Q_OBJECT
public:
  // Platform shows the error messages; it must outlive the application.
  TApplication(int& Argc, char** Argv, IPlatform& Platform);

  bool notify(QObject* Receiver, QEvent* Event) override;

private:
  IPlatform& FPlatform;
};

} // namespace Quillmark
