// The editor: the application, the platform it runs on and its one window.
#include "window/Main.h"
#include "support/QtPlatform.h"
#include "window/Application.h"
#include "window/LocalPaths.h"
#include "window/Translations.h"

int main(int argc, char** argv)
{
  Quillmark::TQtPlatform Platform;
  Quillmark::TApplication Application(argc, argv, Platform);
  // The user's language, before any text is made.
  const Quillmark::TTranslations Translations;
  Quillmark::TMainForm MainForm(Platform);
  Quillmark::TApplication::setWindowIcon(MainForm.windowIcon());
  // Qt has taken its own options out of argv; the rest keep their bytes.
  MainForm.SetCommandLine(Quillmark::CommandLineArguments(argc, argv));
  MainForm.show();
  return Quillmark::TApplication::exec();
}
