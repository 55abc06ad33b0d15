#pragma once
// The main window under test: its protected state made reachable, and its
// controls found by their component names.
#include "common/ScriptedPlatform.h"
#include "window/Main.h"

#include <QCoreApplication>
#include <QLabel>
#include <QString>
#include <gtest/gtest.h>

namespace QuillmarkTest {

class TTestForm : public Quillmark::TMainForm {
public:
  using TMainForm::FChanged;
  using TMainForm::FCreateEditor;
  using TMainForm::FEditor;
  using TMainForm::FExecFrameDialog;
  using TMainForm::FFileName;
  using TMainForm::FModified;
  using TMainForm::FPosterImage;
  using TMainForm::FPosterView;
  using TMainForm::FPreviewImage;
  using TMainForm::FPreviewView;
  using TMainForm::TMainForm;

  // What the status bar's text area shows.
  QString StatusText() const { return Get<QLabel>("StatusText")->text(); }

  // Runs the event loop until every picture decode has ended and its result
  // has been placed or dropped; a hang is the failure.
  void SettlePictures()
  {
    while (FPreviewView->Busy() || FPosterView->Busy()) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
  }

  template <class T = QWidget> T* Get(const char* Name) const
  {
    T* Found = findChild<T*>(QString::fromLatin1(Name));
    EXPECT_NE(Found, nullptr) << Name;
    return Found;
  }
};

} // namespace QuillmarkTest
