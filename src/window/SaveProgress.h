#pragma once
// A modal progress dialog for a save that copies the whole file. It appears
// only when the editor reports copying progress, and keeps the window
// repainting while the save runs on the window's thread. There is no
// cancel: a copy either completes or leaves the original untouched.
#include "metadata/MetadataEditor.h"

#include <memory>

class QProgressDialog;
class QWidget;

namespace Quillmark {

class TSaveProgress {
public:
  explicit TSaveProgress(QWidget* Owner);
  ~TSaveProgress();
  TSaveProgress(const TSaveProgress&) = delete;
  TSaveProgress& operator=(const TSaveProgress&) = delete;

  // Feeds the dialog from Editor's progress, where the editor reports it.
  void Attach(const TRef<IInterface>& Editor);
  void Report(QWORD Done, QWORD Total);
  bool WasShown() const { return FDialog != nullptr; }

private:
  QWidget* FOwner;
  TRef<IQuillmarkSaveProgress> FSource;
  std::unique_ptr<QProgressDialog> FDialog;
};

} // namespace Quillmark
