#pragma once
// Drawing a JPEG picture into an image control, unscaled.
#include "metadata/JpegImage.h"

#include <QPixmap>

class QLabel;

namespace Quillmark {

// The picture's pixels at their own size. A picture whose data does not
// decode gives a null pixmap: the control it is drawn into stays empty.
QPixmap JpegToPixmap(const TJpegImage& Image);

// Draws Image at the top left corner of Control, which keeps its size.
void DrawJpeg(QLabel* Control, const TJpegImage& Image);

} // namespace Quillmark
