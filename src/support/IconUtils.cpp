#include "support/IconUtils.h"

#include "support/Platform.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <cstdlib>

namespace Quillmark {

namespace {

// Icon images are at most 256 pixels square; anything far larger is no icon.
constexpr int MaxImageSide = 1024;
constexpr qsizetype IconHeaderSize = 6;
constexpr qsizetype DirEntrySize = 16;
constexpr std::uint32_t BitmapInfoHeaderSize = 40;
constexpr std::uint32_t BiRgb = 0;
constexpr int PlatformWin9x = 1;
constexpr int PlatformNt = 2;

std::uint32_t ByteAt(const QByteArray& Bytes, qsizetype Offset)
{
  return static_cast<std::uint8_t>(Bytes[Offset]);
}

// Little-endian fields; the caller has checked that they lie inside Bytes.
std::uint32_t U16At(const QByteArray& Bytes, qsizetype Offset)
{
  return ByteAt(Bytes, Offset) | ByteAt(Bytes, Offset + 1) << 8;
}

std::uint32_t U32At(const QByteArray& Bytes, qsizetype Offset)
{
  return U16At(Bytes, Offset) | U16At(Bytes, Offset + 2) << 16;
}

std::int32_t I32At(const QByteArray& Bytes, qsizetype Offset)
{
  return static_cast<std::int32_t>(U32At(Bytes, Offset));
}

int SideFromByte(std::uint32_t Byte)
{
  return Byte == 0 ? 256 : static_cast<int>(Byte);
}

TIconDirEntry ReadDirEntry(const QByteArray& Bytes, qsizetype Offset)
{
  TIconDirEntry Entry;
  Entry.Width = SideFromByte(ByteAt(Bytes, Offset));
  Entry.Height = SideFromByte(ByteAt(Bytes, Offset + 1));
  Entry.ColorCount = static_cast<int>(ByteAt(Bytes, Offset + 2));
  Entry.Reserved = static_cast<int>(ByteAt(Bytes, Offset + 3));
  Entry.Planes = static_cast<int>(U16At(Bytes, Offset + 4));
  Entry.BitCount = static_cast<int>(U16At(Bytes, Offset + 6));
  Entry.BytesInRes = U32At(Bytes, Offset + 8);
  Entry.ImageOffset = U32At(Bytes, Offset + 12);
  return Entry;
}

// The fields of a BITMAPINFOHEADER that an icon image relies on. The stored
// height covers the colour bitmap and the AND mask below it, so it is twice
// the image's.
struct TDibLayout {
  int Width = 0;
  int Height = 0;
  int BitCount = 0;
  qsizetype PaletteOffset = 0;
  qsizetype PaletteCount = 0;
  qsizetype ColorOffset = 0;
  qsizetype ColorStride = 0;
  qsizetype MaskOffset = 0;
  qsizetype MaskStride = 0;
  bool HasMask = false;
};

qsizetype RowStride(std::int64_t Width, std::int64_t BitCount)
{
  return static_cast<qsizetype>((Width * BitCount + 31) / 32 * 4);
}

std::optional<TDibLayout> ReadDibLayout(const QByteArray& Bytes)
{
  if (Bytes.size() < BitmapInfoHeaderSize) {
    return std::nullopt;
  }
  const std::uint32_t HeaderSize = U32At(Bytes, 0);
  const std::int32_t Width = I32At(Bytes, 4);
  const std::int32_t DoubledHeight = I32At(Bytes, 8);
  const std::uint32_t Planes = U16At(Bytes, 12);
  const std::uint32_t BitCount = U16At(Bytes, 14);
  const std::uint32_t Compression = U32At(Bytes, 16);
  const std::uint32_t ColorsUsed = U32At(Bytes, 32);
  const bool KnownDepth = BitCount == 1 || BitCount == 4 || BitCount == 8 || BitCount == 24 || BitCount == 32;
  if (HeaderSize < BitmapInfoHeaderSize || HeaderSize > static_cast<std::uint64_t>(Bytes.size()) ||
      Width < 1 || Width > MaxImageSide || DoubledHeight < 2 || DoubledHeight > 2 * MaxImageSide ||
      Planes != 1 || !KnownDepth || Compression != BiRgb) {
    return std::nullopt;
  }
  const std::uint32_t PaletteLimit = BitCount <= 8 ? 1U << BitCount : 256U;
  if (ColorsUsed > PaletteLimit) {
    return std::nullopt;
  }
  TDibLayout Layout;
  Layout.Width = Width;
  Layout.Height = DoubledHeight / 2;
  Layout.BitCount = static_cast<int>(BitCount);
  Layout.PaletteOffset = HeaderSize;
  Layout.PaletteCount = ColorsUsed != 0 || BitCount > 8 ? ColorsUsed : PaletteLimit;
  Layout.ColorOffset = Layout.PaletteOffset + 4 * Layout.PaletteCount;
  Layout.ColorStride = RowStride(Width, BitCount);
  Layout.MaskOffset = Layout.ColorOffset + Layout.ColorStride * Layout.Height;
  Layout.MaskStride = RowStride(Width, 1);
  if (Layout.MaskOffset > Bytes.size()) {
    return std::nullopt;
  }
  // Some writers leave the mask off 32-bit images, whose alpha says it all.
  Layout.HasMask = Layout.MaskOffset + Layout.MaskStride * Layout.Height <= Bytes.size();
  if (!Layout.HasMask && BitCount != 32) {
    return std::nullopt;
  }
  return Layout;
}

QRgb PaletteColor(const QByteArray& Bytes, const TDibLayout& Layout, std::uint32_t Index)
{
  if (Index >= Layout.PaletteCount) {
    return qRgb(0, 0, 0);
  }
  const qsizetype At = Layout.PaletteOffset + 4 * static_cast<qsizetype>(Index);
  return qRgb(static_cast<int>(ByteAt(Bytes, At + 2)), static_cast<int>(ByteAt(Bytes, At + 1)),
              static_cast<int>(ByteAt(Bytes, At)));
}

// Pixel X of a bottom-up row starting at Row; palette bits run from the high
// end of each byte.
QRgb DibPixel(const QByteArray& Bytes, const TDibLayout& Layout, qsizetype Row, int X)
{
  switch (Layout.BitCount) {
  case 1:
    return PaletteColor(Bytes, Layout, ByteAt(Bytes, Row + X / 8) >> (7 - X % 8) & 1U);
  case 4:
    return PaletteColor(Bytes, Layout, ByteAt(Bytes, Row + X / 2) >> (X % 2 == 0 ? 4 : 0) & 15U);
  case 8:
    return PaletteColor(Bytes, Layout, ByteAt(Bytes, Row + X));
  case 24: {
    const qsizetype At = Row + 3 * static_cast<qsizetype>(X);
    return qRgb(static_cast<int>(ByteAt(Bytes, At + 2)), static_cast<int>(ByteAt(Bytes, At + 1)),
                static_cast<int>(ByteAt(Bytes, At)));
  }
  default: {
    const qsizetype At = Row + 4 * static_cast<qsizetype>(X);
    return qRgba(static_cast<int>(ByteAt(Bytes, At + 2)), static_cast<int>(ByteAt(Bytes, At + 1)),
                 static_cast<int>(ByteAt(Bytes, At)), static_cast<int>(ByteAt(Bytes, At + 3)));
  }
  }
}

bool MaskedOut(const QByteArray& Bytes, const TDibLayout& Layout, int SourceRow, int X)
{
  const qsizetype Row = Layout.MaskOffset + Layout.MaskStride * SourceRow;
  return (ByteAt(Bytes, Row + X / 8) >> (7 - X % 8) & 1U) != 0;
}

bool HasAlpha(const QImage& Image)
{
  for (int Y = 0; Y < Image.height(); ++Y) {
    const auto* Line = reinterpret_cast<const QRgb*>(Image.constScanLine(Y));
    for (int X = 0; X < Image.width(); ++X) {
      if (qAlpha(Line[X]) != 0) {
        return true;
      }
    }
  }
  return false;
}

QImage DecodeDib(const QByteArray& Bytes)
{
  const std::optional<TDibLayout> Layout = ReadDibLayout(Bytes);
  if (!Layout) {
    return {};
  }
  QImage Image(Layout->Width, Layout->Height, QImage::Format_ARGB32);
  for (int Y = 0; Y < Layout->Height; ++Y) {
    const int SourceRow = Layout->Height - 1 - Y;
    const qsizetype Row = Layout->ColorOffset + Layout->ColorStride * SourceRow;
    auto* Line = reinterpret_cast<QRgb*>(Image.scanLine(Y));
    for (int X = 0; X < Layout->Width; ++X) {
      Line[X] = DibPixel(Bytes, *Layout, Row, X);
    }
  }
  // A 32-bit image with any alpha carries its own transparency; otherwise the
  // AND mask marks the transparent pixels.
  if (Layout->BitCount == 32 && HasAlpha(Image)) {
    return Image;
  }
  for (int Y = 0; Y < Layout->Height; ++Y) {
    auto* Line = reinterpret_cast<QRgb*>(Image.scanLine(Y));
    for (int X = 0; X < Layout->Width; ++X) {
      const bool Transparent = Layout->HasMask && MaskedOut(Bytes, *Layout, Layout->Height - 1 - Y, X);
      Line[X] = Transparent ? qRgba(0, 0, 0, 0) : (Line[X] | 0xFF000000U);
    }
  }
  return Image;
}

QImage DecodePng(const QByteArray& Bytes)
{
  QBuffer Buffer;
  Buffer.setData(Bytes);
  Buffer.open(QIODevice::ReadOnly);
  QImageReader Reader(&Buffer, "png");
  const QSize Size = Reader.size();
  if (!Size.isValid() || Size.width() > MaxImageSide || Size.height() > MaxImageSide) {
    return {};
  }
  return Reader.read();
}

bool IsPng(const QByteArray& Bytes)
{
  return Bytes.startsWith("\x89PNG\r\n\x1a\n");
}

} // namespace

TIconResource TIconResource::FromFile(const QString& FileName)
{
  QFile File(FileName);
  if (!File.open(QIODevice::ReadOnly)) {
    return {};
  }
  return {File.readAll()};
}

int ScaledIconSize(int Nominal, int Ppi)
{
  if (Ppi < 144) {
    return Nominal;
  }
  switch (Nominal) {
  case 16:
    return 24;
  case 24:
    return 32;
  case 32:
    return 48;
  case 48:
    return 64;
  default:
    return 32;
  }
}

int IconDepthForPlatform(int ScreenDepth, const std::optional<TPlatformVersion>& Version)
{
  if (!Version) {
    return ScreenDepth;
  }
  const bool IsNt = Version->PlatformId == PlatformNt;
  if (IsNt && Version->Major >= 5 && Version->Minor >= 1) {
    return 32;
  }
  const bool UpToNt50 = IsNt && (Version->Major < 5 || (Version->Major == 5 && Version->Minor == 0));
  if (Version->PlatformId == PlatformWin9x || UpToNt50) {
    return std::min(ScreenDepth, 24);
  }
  return ScreenDepth;
}

std::optional<std::vector<TIconDirEntry>> ReadIconDirectory(const QByteArray& IconFile)
{
  if (IconFile.size() < IconHeaderSize || U16At(IconFile, 0) != 0 || U16At(IconFile, 2) != 1) {
    return std::nullopt;
  }
  const qsizetype Count = U16At(IconFile, 4);
  if (IconHeaderSize + Count * DirEntrySize > IconFile.size()) {
    return std::nullopt;
  }
  std::vector<TIconDirEntry> Entries;
  Entries.reserve(static_cast<std::size_t>(Count));
  for (qsizetype Index = 0; Index < Count; ++Index) {
    Entries.push_back(ReadDirEntry(IconFile, IconHeaderSize + Index * DirEntrySize));
  }
  return Entries;
}

int ChooseIconImage(const std::vector<TIconDirEntry>& Entries, int Size, int Depth)
{
  if (Entries.empty()) {
    return -1;
  }
  auto Distance = [&](std::size_t Index) { return std::abs(Size - Entries[Index].Width); };
  std::size_t Best = 0;
  for (std::size_t Index = 0; Index < Entries.size(); ++Index) {
    const int Bits = Entries[Index].BitCount;
    const int BestBits = Entries[Best].BitCount;
    if (Distance(Index) < Distance(Best)) {
      Best = Index;
    } else if (Distance(Index) == Distance(Best)) {
      if (Bits == Depth) {
        Best = Index;
      } else if (BestBits > Depth && Bits < Depth) {
        Best = Index;
      } else if (Bits > BestBits && Bits < Depth) {
        Best = Index;
      }
    }
  }
  return static_cast<int>(Best);
}

QImage DecodeIconImage(const QByteArray& ImageBytes)
{
  return IsPng(ImageBytes) ? DecodePng(ImageBytes) : DecodeDib(ImageBytes);
}

TDisplayIcon CreateDisplayIcon(const TIconResource& Icon, int Size, const IPlatform& Platform)
{
  const int Depth = IconDepthForPlatform(Platform.ScreenDepth(), Platform.PlatformVersion());
  return CreateIconForDepth(Icon, Size, Depth);
}

TDisplayIcon CreateIconForDepth(const TIconResource& Icon, int Size, int Depth)
{
  TDisplayIcon Result;
  const std::optional<std::vector<TIconDirEntry>> Entries = ReadIconDirectory(Icon.Bytes);
  if (!Entries) {
    return Result;
  }
  Result.ChosenIndex = ChooseIconImage(*Entries, Size, Depth);
  if (Result.ChosenIndex < 0 || Size > MaxImageSide) {
    return Result;
  }
  const TIconDirEntry& Chosen = (*Entries)[static_cast<std::size_t>(Result.ChosenIndex)];
  if (std::uint64_t{Chosen.ImageOffset} + Chosen.BytesInRes > static_cast<std::uint64_t>(Icon.Bytes.size())) {
    return Result;
  }
  QImage Image = DecodeIconImage(Icon.Bytes.mid(Chosen.ImageOffset, Chosen.BytesInRes));
  // Size 0 asks for the image's own size.
  if (!Image.isNull() && Size > 0 && Image.size() != QSize(Size, Size)) {
    Image = Image.scaled(Size, Size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  Result.Image = Image;
  return Result;
}

} // namespace Quillmark
