#pragma once
// Turning a JPEG picture into what a control draws, unscaled.
#include "catalogue/JpegImage.h"

#include <QImage>
#include <QPixmap>
#include <atomic>

namespace Quillmark {

// The picture's pixels at their own size. A picture whose data does not
// decode gives a null pixmap: the control it is drawn into stays empty.
QPixmap JpegToPixmap(const TJpegImage& Image);

// The same pixels as an image in the screen's own layout, made on any
// thread; null when they do not decode or once Cancel turns true.
QImage DecodeJpeg(const TJpegImage& Image, const std::atomic<bool>& Cancel);

} // namespace Quillmark
