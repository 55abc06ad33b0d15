#include "window/JpegDrawing.h"

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

QImage DecodeJpeg(const TJpegImage& Image, const std::atomic<bool>& Cancel)
{
  // Checked before anything is allocated for a size the header only claims.
  const std::uint64_t Count = std::uint64_t(Image.Width()) * std::uint64_t(Image.Height());
  if (Count == 0 || Count > MaxDecodedPixels) {
    return QImage();
  }
  // Decoded straight into the image the pixmap will share: the screen's
  // layout needs no conversion on the window's thread.
  QImage Decoded(Image.Width(), Image.Height(), QImage::Format_RGB32);
  if (Decoded.isNull() || !Image.DecodeInto(Decoded.bits(), static_cast<std::size_t>(Decoded.bytesPerLine()),
                                            TPixelLayout::Xrgb, &Cancel)) {
    return QImage();
  }
  return Decoded;
}

} // namespace Quillmark
