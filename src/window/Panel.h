#pragma once
// A sunken panel with its caption centred on its face. Its children fill the
// inside of the bevel, so a picture placed on the panel covers the caption
// and follows the panel's size.
#include <QLabel>

namespace Quillmark {

class TPanel : public QLabel {
  Q_OBJECT
public:
  using QLabel::QLabel;

protected:
  void resizeEvent(QResizeEvent* Event) override;
};

} // namespace Quillmark
