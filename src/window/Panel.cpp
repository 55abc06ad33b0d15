#include "window/Panel.h"

namespace Quillmark {

void TPanel::resizeEvent(QResizeEvent* Event)
{
  QLabel::resizeEvent(Event);
  for (QWidget* Child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    Child->setGeometry(contentsRect());
  }
}

} // namespace Quillmark
