#pragma once
// Choosing and drawing one image of a multi-image icon for the display: the
// image nearest the wanted size, preferring the display's colour depth.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace Quillmark {

class IPlatform;
struct TPlatformVersion;

// A multi-image icon held as the bytes of its .ico file; empty: no icon.
struct TIconResource {
  QByteArray Bytes;

  bool IsEmpty() const { return Bytes.isEmpty(); }
  // The whole file (a Qt resource path such as ":/quillmark.ico" works);
  // empty when it cannot be read.
  static TIconResource FromFile(const QString& FileName);
};

// One 16-byte directory entry of an icon file; a width or height byte of 0
// stands for 256 and is stored here as 256.
struct TIconDirEntry {
  int Width = 0;
  int Height = 0;
  int ColorCount = 0;
  int Reserved = 0;
  int Planes = 0;
  int BitCount = 0;
  std::uint32_t BytesInRes = 0;
  std::uint32_t ImageOffset = 0;
};

// The icon drawn for the display, and which directory entry it came from
// (-1: the icon has no images). Image is null when there is nothing to show.
struct TDisplayIcon {
  QImage Image;
  int ChosenIndex = -1;

  bool IsNull() const { return Image.isNull(); }
};

// The icon size for the screen: at 144 PPI and above 16, 24, 32 and 48
// become 24, 32, 48 and 64, any other size 32; below 144 unchanged.
int ScaledIconSize(int Nominal, int Ppi);

// The depth to choose images for: the display's depth, forced to 32 on NT
// 5.1 and later of the 5.x line, capped at 24 on 9x and NT up to 5.0.
int IconDepthForPlatform(int ScreenDepth, const std::optional<TPlatformVersion>& Version);

// The directory of an icon file; nothing when the header or the directory
// does not fit in the bytes or the file is no icon.
std::optional<std::vector<TIconDirEntry>> ReadIconDirectory(const QByteArray& IconFile);

// The entry nearest Size in width; among equally near ones an exact Depth
// wins (the later of several), else the deepest below Depth. -1 for none.
int ChooseIconImage(const std::vector<TIconDirEntry>& Entries, int Size, int Depth);

// One icon image (a DIB with its AND mask, or a PNG) decoded at its own
// size; null when the bytes do not hold a sound image.
QImage DecodeIconImage(const QByteArray& ImageBytes);

// The display depth from the platform, then CreateIconForDepth.
TDisplayIcon CreateDisplayIcon(const TIconResource& Icon, int Size, const IPlatform& Platform);

// The image of Icon chosen for Size and Depth, drawn Size x Size.
TDisplayIcon CreateIconForDepth(const TIconResource& Icon, int Size, int Depth);

} // namespace Quillmark
