// The editor: the application, the platform it runs on and its one window.
#include "window/Main.h"
#include "support/QtPlatform.h"
#include "window/Application.h"

int main(int argc, char** argv)
{
  Quillmark::TQtPlatform Platform;
  Quillmark::TApplication Application(argc, argv, Platform);
  Quillmark::TMainForm MainForm(Platform);
  Quillmark::TApplication::setWindowIcon(MainForm.windowIcon());
  MainForm.SetCommandLine(Quillmark::TApplication::arguments());
  MainForm.show();
  return Quillmark::TApplication::exec();
}
