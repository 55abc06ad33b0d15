#include "window/JpegDrawing.h"

#include <QImage>
#include <QLabel>

namespace Quillmark {

QPixmap JpegToPixmap(const TJpegImage& Image)
{
  const std::vector<std::uint8_t>& Pixels = Image.Pixels();
  if (Pixels.empty()) {
    return QPixmap();
  }
  QImage Decoded(Pixels.data(), Image.Width(), Image.Height(), Image.Width() * 3, QImage::Format_RGB888);
  // The QImage only borrows the pixels; the pixmap takes its own copy.
  return QPixmap::fromImage(Decoded);
}

void DrawJpeg(QLabel* Control, const TJpegImage& Image)
{
  Control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Control->setScaledContents(false);
  Control->setPixmap(JpegToPixmap(Image));
}

} // namespace Quillmark
