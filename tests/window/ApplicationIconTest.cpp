// The application icon file: nine classic BMP images in the order the icon
// choice relies on, as the drawing script makes them.
#include "common/TestFiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace QuillmarkTest {
namespace {

const std::filesystem::path IconPath =
    std::filesystem::path(QUILLMARK_SOURCE_DIR) / "resources/quillmark.ico";

unsigned Get(const std::vector<std::uint8_t>& Bytes, std::size_t Offset, int Size)
{
  unsigned Value = 0;
  for (int Index = Size - 1; Index >= 0; --Index) {
    Value = Value << 8 | Bytes.at(Offset + static_cast<std::size_t>(Index));
  }
  return Value;
}

TEST(ApplicationIcon, HoldsNineClassicImagesBySizeThenColours)
{
  const std::vector<std::uint8_t> Bytes = ReadFileBytes(IconPath);
  ASSERT_GE(Bytes.size(), 6U);
  EXPECT_EQ(Get(Bytes, 0, 2), 0U);
  EXPECT_EQ(Get(Bytes, 2, 2), 1U);
  ASSERT_EQ(Get(Bytes, 4, 2), 9U);
  struct TExpected {
    unsigned Size, ColourCount, BitCount, DibBits;
  };
  const TExpected Expected[] = {{48, 16, 0, 4}, {48, 0, 8, 8}, {48, 0, 32, 32},
                                {32, 16, 0, 4}, {32, 0, 8, 8}, {32, 0, 32, 32},
                                {16, 16, 0, 4}, {16, 0, 8, 8}, {16, 0, 32, 32}};
  std::size_t End = 6 + 9 * 16;
  for (std::size_t Index = 0; Index < 9; ++Index) {
    const std::size_t Entry = 6 + Index * 16;
    const TExpected& E = Expected[Index];
    EXPECT_EQ(Get(Bytes, Entry, 1), E.Size) << Index;
    EXPECT_EQ(Get(Bytes, Entry + 1, 1), E.Size) << Index;
    EXPECT_EQ(Get(Bytes, Entry + 2, 1), E.ColourCount) << Index;
    EXPECT_EQ(Get(Bytes, Entry + 6, 2), E.BitCount) << Index;
    const unsigned Length = Get(Bytes, Entry + 8, 4);
    const unsigned Offset = Get(Bytes, Entry + 12, 4);
    EXPECT_EQ(Offset, End) << "images follow each other";
    ASSERT_LE(std::size_t{Offset} + Length, Bytes.size());
    End = Offset + Length;
    // BITMAPINFOHEADER: the height counts the colour bitmap and the mask.
    EXPECT_EQ(Get(Bytes, Offset, 4), 40U);
    EXPECT_EQ(Get(Bytes, Offset + 4, 4), E.Size);
    EXPECT_EQ(Get(Bytes, Offset + 8, 4), 2 * E.Size);
    EXPECT_EQ(Get(Bytes, Offset + 14, 2), E.DibBits);
    EXPECT_EQ(Get(Bytes, Offset + 16, 4), 0U) << "uncompressed";
    const unsigned Palette = E.DibBits <= 8 ? (1U << E.DibBits) * 4 : 0;
    const unsigned Stride = (E.Size * E.DibBits + 31) / 32 * 4;
    const unsigned MaskStride = (E.Size + 31) / 32 * 4;
    EXPECT_EQ(Length, 40 + Palette + E.Size * (Stride + MaskStride)) << Index;
  }
  EXPECT_EQ(End, Bytes.size());
}

TEST(ApplicationIcon, QtDecodesEveryImage)
{
  const std::vector<std::uint8_t> Bytes = ReadFileBytes(IconPath);
  QByteArray Data(reinterpret_cast<const char*>(Bytes.data()), static_cast<qsizetype>(Bytes.size()));
  QBuffer Buffer(&Data);
  QImageReader Reader(&Buffer, "ico");
  ASSERT_EQ(Reader.imageCount(), 9);
  for (int Index = 0; Index < 9; ++Index) {
    ASSERT_TRUE(Reader.jumpToImage(Index));
    const QImage Image = Reader.read();
    const int Size = std::array{48, 32, 16}[static_cast<std::size_t>(Index / 3)];
    EXPECT_EQ(Image.size(), QSize(Size, Size)) << Index;
    // Transparent around the artwork, opaque inside it.
    EXPECT_EQ(qAlpha(Image.pixel(Size - 1, 0)), 0) << Index;
    EXPECT_EQ(qAlpha(Image.pixel(Size / 2, Size / 2)), 255) << Index;
  }
}

TEST(ApplicationIcon, TheScriptMakesExactlyTheCommittedFile)
{
  TTempDir Dir;
  const std::filesystem::path Made = Dir.File("made.ico");
  ASSERT_EQ(
      RunCommand("/usr/bin/python3 '" QUILLMARK_SOURCE_DIR "/tools/make_icon.py' '" + Made.string() + "'"),
      0);
  EXPECT_EQ(ReadFileBytes(Made), ReadFileBytes(IconPath));
  const std::filesystem::path Png = Dir.File("icon.png");
  ASSERT_EQ(RunCommand("/usr/bin/python3 '" QUILLMARK_SOURCE_DIR "/tools/make_icon.py' --png 64 '" +
                       Png.string() + "'"),
            0);
  const QImage Image(QString::fromStdString(Png.string()));
  EXPECT_EQ(Image.size(), QSize(64, 64));
  EXPECT_TRUE(Image.hasAlphaChannel());
}

} // namespace
} // namespace QuillmarkTest
