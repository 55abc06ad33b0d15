#pragma once
// Adapting a window designed at 96 pixels per inch to the screen: the font
// gets its character height for the screen's resolution, and when the digit
// 0 drawn in it is not as high as in the design, every designed position and
// size is multiplied by measured / designed height.
#include <QFont>
#include <QRect>
#include <QString>

class QWidget;

namespace Quillmark {

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
