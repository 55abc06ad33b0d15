#include "window/PageControl.h"

#include <QStyle>
#include <QStyleOptionTabWidgetFrame>

namespace Quillmark {

QSize TPageControl::PageAreaSize() const
{
  // The same question QTabWidget asks its style when it places its pages.
  QStyleOptionTabWidgetFrame Option;
  initStyleOption(&Option);
  return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &Option, this).size();
}

} // namespace Quillmark
