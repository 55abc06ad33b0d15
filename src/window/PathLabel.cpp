#include "window/PathLabel.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace Quillmark {

TPathLabel::TPathLabel(QWidget* Parent) : QLabel(Parent)
{
  setTextFormat(Qt::PlainText);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void TPathLabel::SetPath(const QString& Path)
{
  FPath = Path;
  setToolTip(Path);
  setAccessibleName(Path);
  Elide();
}

void TPathLabel::resizeEvent(QResizeEvent* Event)
{
  QLabel::resizeEvent(Event);
  Elide();
}

void TPathLabel::showEvent(QShowEvent* Event)
{
  QLabel::showEvent(Event);
  Elide();
}

void TPathLabel::Elide()
{
  const int Room = contentsRect().width() - 2 * margin() - 2 * indent();
  // Until the status bar shows and lays out the label, its size means nothing.
  if (!isVisible() || Room <= 0) {
    setText(FPath);
    return;
  }
  setText(fontMetrics().elidedText(FPath, Qt::ElideMiddle, Room));
}

} // namespace Quillmark
