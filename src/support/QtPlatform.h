#pragma once
// The platform seam on Qt: message boxes, the file-open dialog, the screen
// and the desktop's web browser.
#include "support/Platform.h"

#include <QString>
#include <memory>

class QFileDialog;
class QMessageBox;

namespace Quillmark {

// The stored filter form "A|p1;p2|B|p3" in Qt's form "A (p1 p2);;B (p3)".
// A name without a pattern after it is left out; "*.*", every file there,
// becomes "*".
QString QtFileFilter(const QString& StoredFilter);

// The boxes and dialogs as TQtPlatform shows them, built but not run.
std::unique_ptr<QMessageBox> CreateMessageBox(const TMessage& Message);
std::unique_ptr<QFileDialog> CreateOpenFileDialog(const TOpenDialogRequest& Request);

class TQtPlatform : public IPlatform {
public:
  TMessageAnswer ShowMessage(const TMessage& Message) override;
  std::optional<QString> ChooseOpenFile(const TOpenDialogRequest& Request) override;
  // The primary screen's logical resolution, rounded; 96 without a screen.
  int ScreenPpi() const override;
  int ScreenDepth() const override;
  // A current NT-family platform.
  std::optional<TPlatformVersion> PlatformVersion() const override;
  void OpenUrl(const QString& Url) override;
};

} // namespace Quillmark
