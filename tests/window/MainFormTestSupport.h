#pragma once
// The main window under test: its protected state made reachable, and its
// controls found by their component names.
#include "common/ScriptedPlatform.h"
#include "window/Main.h"

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
  using TMainForm::FPreviewImage;
  using TMainForm::TMainForm;

  // What the status bar's text area shows.
  QString StatusText() const { return Get<QLabel>("StatusText")->text(); }

  template <class T = QWidget> T* Get(const char* Name) const
  {
    T* Found = findChild<T*>(QString::fromLatin1(Name));
    EXPECT_NE(Found, nullptr) << Name;
    return Found;
  }
};

} // namespace QuillmarkTest
