#pragma once
// A file-open dialog component of a window: it keeps its filter, in the
// stored form "Name|*.a;*.b|Name|*.*", and its title, and runs the
// platform's dialog for choosing one existing file (no read-only check box,
// path and file must exist, resizable, the first filter chosen).
#include "support/Platform.h"

#include <QObject>
#include <QString>

class QWidget;

namespace Quillmark {

class TOpenDialog : public QObject {
  Q_OBJECT
  // Named properties, so a form's components can be retitled by name.
  Q_PROPERTY(QString filter READ Filter WRITE SetFilter)
  Q_PROPERTY(QString title READ Title WRITE SetTitle)

public:
  // Owner is the window the dialog belongs to and is shown over.
  TOpenDialog(IPlatform& Platform, QWidget* Owner, const QString& Name, const QString& Filter);

  const QString& Filter() const { return FFilter; }
  void SetFilter(const QString& Filter) { FFilter = Filter; }
  const QString& Title() const { return FTitle; }
  void SetTitle(const QString& Title) { FTitle = Title; }

  // True when the user chose a file; FileName() then names it. A cancelled
  // dialog keeps the previous name.
  bool Execute();
  const QString& FileName() const { return FFileName; }

private:
  IPlatform& FPlatform;
  QWidget* FOwner;
  QString FFilter;
  QString FTitle;
  QString FFileName;
};

} // namespace Quillmark
