#pragma once
// Adapting a window designed at 96 pixels per inch to the screen: the font
// gets its character height for the screen's resolution, and when the digit
// 0 drawn in it is not as high as in the design, every designed position and
// size is multiplied by measured / designed height.
#include <QFont>
#include <QRect>
#include <QString>
#include <cstdint>

class QWidget;

namespace Quillmark {

// The screen the designs were made for, and the height of the digit 0 in
// their fonts there.
inline constexpr int DesignPpi = 96;
inline constexpr int DesignDigitHeight = 13;

// Value × Ppi / 96, the product first and the quotient truncated toward
// zero: the margins computed at run time and the widths and lefts of the
// localization tables. 64 bits, so no 32-bit value overflows.
std::int64_t ScaleByPpi(std::int64_t Value, int Ppi);

// The bottom edge of a component: its top plus its height.
int Bottom(const QWidget* Widget);

// Adapts Form, designed with Family at DesignPixelHeight pixels, to a screen
// of Ppi: the font gets its height for Ppi, and when the digit 0 is not
// DesignDigitHeight high in it, the designed components are scaled by the
// measured height over the designed one (ScaleDesign). Returns the
// measured height.
int AdaptDesign(QWidget& Form, const QString& Family, int DesignPixelHeight, int Ppi);

// Family at DesignPixelHeight × Ppi / 96 pixels, rounded.
QFont DesignFont(const QString& Family, int DesignPixelHeight, int Ppi);

// The height of the digit 0 as text measuring reports it: the font's line
// height (ascent plus descent), not the ink of the glyph.
int DigitHeight(const QFont& Font);

// Value × Measured / Designed, rounded half away from zero.
int ScaleDesigned(int Value, int Measured, int Designed);
QRect ScaleDesigned(const QRect& Geometry, int Measured, int Designed);

// Scales the geometry of every designed component below Form: every widget
// carrying the dynamic property "tag", except menus and those a container
// places by itself (tab pages, and the menu bar, status bar and central
// widget of a main window).
void ScaleDesign(QWidget& Form, int Measured, int Designed);

// Gives every label marked with the dynamic property "autoSize" the size of
// its text in its font.
void FitLabels(QWidget& Form);

} // namespace Quillmark
