#pragma once
// The tab control of the main window. Qt places the page area only when the
// control is shown, but the window lays out its pages before it is first
// shown, so the control reports the page area its style will give it.
#include <QSize>
#include <QTabWidget>

namespace Quillmark {

class TPageControl : public QTabWidget {
  Q_OBJECT
public:
  using QTabWidget::QTabWidget;

  // The size every page gets at the control's current size.
  QSize PageAreaSize() const;
};

} // namespace Quillmark
