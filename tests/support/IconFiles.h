#pragma once
// Icon files made in memory for the icon tests: a directory of entries, each
// a bottom-up DIB with its AND mask (or a PNG), laid out as icon writers do.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

namespace QuillmarkTest {

// One image of a test icon. DirBitCount and ColorCount are what the
// directory says (16-colour images of the application icon say bit count 0);
// DibBitCount is how the pixels are stored.
struct TTestImage {
  int Size = 48;
  int ColorCount = 0;
  int DirBitCount = 32;
  int DibBitCount = 32;
  QRgb Colour = qRgb(255, 0, 0);
  bool Png = false;
};

inline void PutU16(QByteArray& Bytes, std::uint32_t Value)
{
  Bytes.append(static_cast<char>(Value & 0xFF));
  Bytes.append(static_cast<char>(Value >> 8 & 0xFF));
}

inline void PutU32(QByteArray& Bytes, std::uint32_t Value)
{
  PutU16(Bytes, Value & 0xFFFF);
  PutU16(Bytes, Value >> 16);
}

inline int Stride(int Width, int Bits)
{
  return (Width * Bits + 31) / 32 * 4;
}

// A DIB of Width x Height: every pixel PixelColour(x, y) (y from the top);
// the bottom-right pixel is transparent in the AND mask (and has alpha 0 in
// 32-bit images). Palette images use the two colours Colour and Other: a
// pixel is Colour when PixelColour says so, else Other.
inline QByteArray MakeDib(int Width, int Height, int Bits, const std::function<QRgb(int, int)>& PixelColour,
                          QRgb Colour, QRgb Other)
{
  QByteArray Dib;
  PutU32(Dib, 40);
  PutU32(Dib, static_cast<std::uint32_t>(Width));
  PutU32(Dib, static_cast<std::uint32_t>(2 * Height));
  PutU16(Dib, 1);
  PutU16(Dib, static_cast<std::uint32_t>(Bits));
  for (int I = 0; I < 6; ++I) {
    PutU32(Dib, 0); // compression, size, resolutions, colours used, important
  }
  if (Bits <= 8) {
    for (int I = 0; I < (1 << Bits); ++I) {
      const QRgb Entry = I == 0 ? Other : I == 1 ? Colour : qRgb(0, 0, 0);
      Dib.append(static_cast<char>(qBlue(Entry)));
      Dib.append(static_cast<char>(qGreen(Entry)));
      Dib.append(static_cast<char>(qRed(Entry)));
      Dib.append('\0');
    }
  }
  for (int Row = Height - 1; Row >= 0; --Row) {
    QByteArray Line(Stride(Width, Bits), '\0');
    for (int X = 0; X < Width; ++X) {
      const QRgb Pixel = PixelColour(X, Row);
      const bool Transparent = X == Width - 1 && Row == Height - 1;
      auto* Data = reinterpret_cast<std::uint8_t*>(Line.data());
      if (Bits <= 8) {
        const int Index = Pixel == Colour ? 1 : 0;
        const int Bit = X * Bits;
        Data[Bit / 8] = static_cast<std::uint8_t>(Data[Bit / 8] | Index << (8 - Bits - Bit % 8));
      } else {
        const int At = X * Bits / 8;
        Data[At] = static_cast<std::uint8_t>(qBlue(Pixel));
        Data[At + 1] = static_cast<std::uint8_t>(qGreen(Pixel));
        Data[At + 2] = static_cast<std::uint8_t>(qRed(Pixel));
        if (Bits == 32) {
          Data[At + 3] = static_cast<std::uint8_t>(Transparent ? 0 : 255);
        }
      }
    }
    Dib.append(Line);
  }
  for (int Row = Height - 1; Row >= 0; --Row) {
    QByteArray Line(Stride(Width, 1), '\0');
    if (Row == Height - 1) {
      const int X = Width - 1;
      Line[X / 8] = static_cast<char>(Line[X / 8] | 0x80 >> (X % 8));
    }
    Dib.append(Line);
  }
  return Dib;
}

inline QByteArray MakeImageBytes(const TTestImage& Image)
{
  if (Image.Png) {
    QImage Picture(Image.Size, Image.Size, QImage::Format_ARGB32);
    Picture.fill(Image.Colour);
    QByteArray Png;
    QBuffer Buffer(&Png);
    Buffer.open(QIODevice::WriteOnly);
    Picture.save(&Buffer, "PNG");
    return Png;
  }
  const QRgb Colour = Image.Colour;
  return MakeDib(
      Image.Size, Image.Size, Image.DibBitCount, [Colour](int, int) { return Colour; }, Colour,
      qRgb(0, 0, 0));
}

inline QByteArray MakeIcon(const std::vector<TTestImage>& Images)
{
  QByteArray Icon;
  PutU16(Icon, 0);
  PutU16(Icon, 1);
  PutU16(Icon, static_cast<std::uint32_t>(Images.size()));
  std::vector<QByteArray> Data;
  for (const TTestImage& Image : Images) {
    Data.push_back(MakeImageBytes(Image));
  }
  std::uint32_t Offset = static_cast<std::uint32_t>(6 + 16 * Images.size());
  for (std::size_t I = 0; I < Images.size(); ++I) {
    Icon.append(static_cast<char>(Images[I].Size >= 256 ? 0 : Images[I].Size));
    Icon.append(static_cast<char>(Images[I].Size >= 256 ? 0 : Images[I].Size));
    Icon.append(static_cast<char>(Images[I].ColorCount));
    Icon.append('\0');
    PutU16(Icon, 1);
    PutU16(Icon, static_cast<std::uint32_t>(Images[I].DirBitCount));
    PutU32(Icon, static_cast<std::uint32_t>(Data[I].size()));
    PutU32(Icon, Offset);
    Offset += static_cast<std::uint32_t>(Data[I].size());
  }
  for (const QByteArray& Bytes : Data) {
    Icon.append(Bytes);
  }
  return Icon;
}

// The shape of the application icon: 48, 32 and 16 pixels, each at 16
// colours (bit count 0 in the directory), 256 colours and 32 bits, in this
// order. Each image has its own colour, so a test sees which was drawn.
inline QRgb AppIconColour(int Index)
{
  return qRgb(20 * Index + 10, 255 - 20 * Index, 100 + Index);
}

inline QByteArray MakeAppShapedIcon()
{
  std::vector<TTestImage> Images;
  for (int Size : {48, 32, 16}) {
    Images.push_back({Size, 16, 0, 4, 0, false});
    Images.push_back({Size, 0, 8, 8, 0, false});
    Images.push_back({Size, 0, 32, 32, 0, false});
  }
  for (std::size_t I = 0; I < Images.size(); ++I) {
    Images[I].Colour = AppIconColour(static_cast<int>(I));
  }
  return MakeIcon(Images);
}

} // namespace QuillmarkTest
