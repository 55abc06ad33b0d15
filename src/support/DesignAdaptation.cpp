#include "support/DesignAdaptation.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMainWindow>
#include <QStackedWidget>
#include <QVariant>
#include <cmath>

namespace Quillmark {

std::int64_t ScaleByPpi(std::int64_t Value, int Ppi)
{
  return Value * Ppi / DesignPpi;
}

int Bottom(const QWidget* Widget)
{
  return Widget->y() + Widget->height();
}

QFont DesignFont(const QString& Family, int DesignPixelHeight, int Ppi)
{
  QFont Font(Family);
  Font.setPixelSize(static_cast<int>(std::lround(static_cast<double>(DesignPixelHeight) * Ppi / DesignPpi)));
  return Font;
}

int DigitHeight(const QFont& Font)
{
  return QFontMetrics(Font).height();
}

int ScaleDesigned(int Value, int Measured, int Designed)
{
  return static_cast<int>(std::lround(static_cast<double>(Value) * Measured / Designed));
}

QRect ScaleDesigned(const QRect& Geometry, int Measured, int Designed)
{
  return {ScaleDesigned(Geometry.x(), Measured, Designed), ScaleDesigned(Geometry.y(), Measured, Designed),
          ScaleDesigned(Geometry.width(), Measured, Designed),
          ScaleDesigned(Geometry.height(), Measured, Designed)};
}

namespace {

// Menus are windows of their own and are placed when they pop up.
bool PlacedElsewhere(const QWidget& Widget)
{
  const QWidget* Parent = Widget.parentWidget();
  return Widget.isWindow() || qobject_cast<const QStackedWidget*>(Parent) != nullptr ||
         qobject_cast<const QMainWindow*>(Parent) != nullptr;
}

} // namespace

void ScaleDesign(QWidget& Form, int Measured, int Designed)
{
  for (QWidget* Widget : Form.findChildren<QWidget*>()) {
    if (Widget->property("tag").isValid() && !PlacedElsewhere(*Widget)) {
      Widget->setGeometry(ScaleDesigned(Widget->geometry(), Measured, Designed));
    }
  }
}

void FitLabels(QWidget& Form)
{
  for (QLabel* Label : Form.findChildren<QLabel*>()) {
    if (Label->property("autoSize").toBool()) {
      Label->resize(Label->sizeHint());
    }
  }
}

int AdaptDesign(QWidget& Form, const QString& Family, int DesignPixelHeight, int Ppi)
{
  Form.setFont(DesignFont(Family, DesignPixelHeight, Ppi));
  const int Measured = DigitHeight(Form.font());
  if (Measured != DesignDigitHeight) {
    ScaleDesign(Form, Measured, DesignDigitHeight);
  }
  return Measured;
}

} // namespace Quillmark
