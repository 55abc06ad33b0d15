#pragma once
// The status bar's path: a long one is cut in the middle, where the folders
// that tell paths apart least are, and shown whole as the tooltip and to
// screen readers.
#include <QLabel>
#include <QString>

namespace Quillmark {

class TPathLabel : public QLabel {
  Q_OBJECT

public:
  explicit TPathLabel(QWidget* Parent = nullptr);

  void SetPath(const QString& Path);
  const QString& Path() const { return FPath; }

protected:
  void resizeEvent(QResizeEvent* Event) override;
  void showEvent(QShowEvent* Event) override;

private:
  void Elide();

  QString FPath;
};

} // namespace Quillmark
