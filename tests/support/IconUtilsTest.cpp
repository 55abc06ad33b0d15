#include "support/IconUtils.h"

#include "common/ScriptedPlatform.h"
#include "support/IconFiles.h"
#include "support/Platform.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <gtest/gtest.h>
#include <random>

using namespace Quillmark;

namespace QuillmarkTest {
namespace {

TIconResource AppShapedIcon()
{
  return {MakeAppShapedIcon()};
}

// A pixel well inside the image, away from the transparent corner.
QRgb Inner(const TDisplayIcon& Icon)
{
  return Icon.Image.pixel(Icon.Image.width() / 3, Icon.Image.height() / 3);
}

TEST(ScaledIconSize, GrowsOnlyFrom144Ppi)
{
  for (int Nominal : {16, 24, 32, 48, 20}) {
    EXPECT_EQ(ScaledIconSize(Nominal, 96), Nominal);
    EXPECT_EQ(ScaledIconSize(Nominal, 143), Nominal);
  }
  EXPECT_EQ(ScaledIconSize(16, 144), 24);
  EXPECT_EQ(ScaledIconSize(24, 144), 32);
  EXPECT_EQ(ScaledIconSize(32, 192), 48);
  EXPECT_EQ(ScaledIconSize(48, 144), 64);
  EXPECT_EQ(ScaledIconSize(20, 144), 32);
  EXPECT_EQ(ScaledIconSize(64, 144), 32);
}

TEST(IconDepthForPlatform, FollowsThePlatformVersion)
{
  auto Depth = [](int ScreenDepth, int Id, int Major, int Minor) {
    return IconDepthForPlatform(ScreenDepth, TPlatformVersion{Id, Major, Minor});
  };
  EXPECT_EQ(Depth(16, 2, 5, 1), 32); // NT 5.1
  EXPECT_EQ(Depth(24, 2, 5, 2), 32);
  EXPECT_EQ(Depth(32, 2, 6, 1), 32);
  EXPECT_EQ(Depth(32, 2, 5, 0), 24); // NT 5.0
  EXPECT_EQ(Depth(16, 2, 5, 0), 16);
  EXPECT_EQ(Depth(32, 2, 4, 0), 24); // NT 4
  EXPECT_EQ(Depth(32, 2, 4, 1), 24);
  EXPECT_EQ(Depth(32, 1, 4, 10), 24); // 9x
  EXPECT_EQ(Depth(8, 1, 4, 90), 8);
  EXPECT_EQ(Depth(32, 2, 6, 0), 32); // NT 6.0 and 10.0 keep the display's depth
  EXPECT_EQ(Depth(16, 2, 6, 0), 16);
  EXPECT_EQ(Depth(24, 2, 10, 0), 24);
  EXPECT_EQ(Depth(32, 0, 3, 1), 32); // any other platform keeps it too
  EXPECT_EQ(IconDepthForPlatform(16, std::nullopt), 16);
}

TEST(ChooseIconImage, NearestWidthThenDepth)
{
  auto Entry = [](int Width, int Bits) {
    TIconDirEntry E;
    E.Width = Width;
    E.BitCount = Bits;
    return E;
  };
  EXPECT_EQ(ChooseIconImage({}, 48, 32), -1);
  // Nearer width beats any depth.
  EXPECT_EQ(ChooseIconImage({Entry(16, 32), Entry(40, 4), Entry(32, 32)}, 48, 32), 1);
  // Exact depth wins among equally near widths, the later of several.
  EXPECT_EQ(ChooseIconImage({Entry(48, 32), Entry(48, 8), Entry(48, 32), Entry(48, 24)}, 48, 32), 2);
  // Failing that, the deepest below the wanted depth.
  EXPECT_EQ(ChooseIconImage({Entry(48, 32), Entry(48, 4), Entry(48, 8)}, 48, 16), 2);
  EXPECT_EQ(ChooseIconImage({Entry(48, 4), Entry(48, 32), Entry(48, 8)}, 48, 16), 2);
  // Nothing at or below the depth: the first of them stays.
  EXPECT_EQ(ChooseIconImage({Entry(48, 24), Entry(48, 32)}, 48, 8), 0);
  // Equal distance on either side: the first stays unless depth decides.
  EXPECT_EQ(ChooseIconImage({Entry(40, 8), Entry(56, 8)}, 48, 32), 0);
}

TEST(IconDirectory, WidthByteZeroMeans256)
{
  QByteArray Icon = MakeIcon({{256, 0, 32, 32, qRgb(1, 2, 3), true}, {48, 0, 32, 32, qRgb(1, 2, 3), false}});
  std::optional<std::vector<TIconDirEntry>> Entries = ReadIconDirectory(Icon);
  ASSERT_TRUE(Entries);
  ASSERT_EQ(Entries->size(), 2U);
  EXPECT_EQ((*Entries)[0].Width, 256);
  EXPECT_EQ((*Entries)[0].Height, 256);
  EXPECT_EQ((*Entries)[1].Width, 48);
  EXPECT_EQ(CreateIconForDepth({Icon}, 200, 32).ChosenIndex, 0);
  EXPECT_EQ(CreateIconForDepth({Icon}, 100, 32).ChosenIndex, 1);
}

TEST(CreateIconForDepth, ApplicationIconShape)
{
  const TIconResource Icon = AppShapedIcon();
  TDisplayIcon Deep = CreateIconForDepth(Icon, 48, 32);
  EXPECT_EQ(Deep.ChosenIndex, 2);
  EXPECT_EQ(Deep.Image.size(), QSize(48, 48));
  EXPECT_EQ(Inner(Deep), AppIconColour(2));
  EXPECT_EQ(qAlpha(Deep.Image.pixel(47, 47)), 0);

  TDisplayIcon TrueColour = CreateIconForDepth(Icon, 48, 24);
  EXPECT_EQ(TrueColour.ChosenIndex, 1);
  EXPECT_EQ(Inner(TrueColour), AppIconColour(1));
  EXPECT_EQ(qAlpha(TrueColour.Image.pixel(47, 47)), 0);
  EXPECT_EQ(qAlpha(TrueColour.Image.pixel(0, 0)), 255);

  EXPECT_EQ(CreateIconForDepth(Icon, 48, 4).ChosenIndex, 0);
  EXPECT_EQ(CreateIconForDepth(Icon, 32, 32).ChosenIndex, 5);
  EXPECT_EQ(CreateIconForDepth(Icon, 16, 8).ChosenIndex, 7);
  EXPECT_EQ(Inner(CreateIconForDepth(Icon, 16, 2)), AppIconColour(6));
}

TEST(CreateIconForDepth, DrawsTheNearestImageAtTheSizeAsked)
{
  TDisplayIcon Large = CreateIconForDepth(AppShapedIcon(), ScaledIconSize(48, 144), 32);
  EXPECT_EQ(Large.ChosenIndex, 2);
  EXPECT_EQ(Large.Image.size(), QSize(64, 64));
  EXPECT_EQ(Inner(Large), AppIconColour(2));
  TDisplayIcon Own = CreateIconForDepth(AppShapedIcon(), 0, 32);
  EXPECT_EQ(Own.ChosenIndex, 8);
  EXPECT_EQ(Own.Image.size(), QSize(16, 16));
}

TEST(CreateDisplayIcon, DepthFromTheScreenAndThePlatform)
{
  TScriptedPlatform Platform;
  auto Chosen = [&](int ScreenDepth, std::optional<TPlatformVersion> Version) {
    Platform.FDepth = ScreenDepth;
    Platform.FVersion = Version;
    return CreateDisplayIcon(AppShapedIcon(), 48, Platform).ChosenIndex;
  };
  EXPECT_EQ(Chosen(32, TPlatformVersion{2, 5, 0}), 1);
  EXPECT_EQ(Chosen(16, TPlatformVersion{2, 5, 1}), 2);
  EXPECT_EQ(Chosen(32, TPlatformVersion{2, 6, 0}), 2);
  EXPECT_EQ(Chosen(16, TPlatformVersion{2, 6, 0}), 1);
  EXPECT_EQ(Chosen(32, TPlatformVersion{2, 10, 0}), 2);
  EXPECT_EQ(Chosen(24, TPlatformVersion{2, 10, 0}), 1);
  EXPECT_EQ(Chosen(32, TPlatformVersion{1, 4, 10}), 1);
  EXPECT_EQ(Chosen(32, std::nullopt), 2);
  EXPECT_EQ(Chosen(8, std::nullopt), 1);
  EXPECT_EQ(Chosen(4, std::nullopt), 0);
}

// Every pixel depth a DIB may have: rows run bottom-up, palette pixels from
// the high bits, rows padded to 32 bits, and the AND mask marks transparency.
TEST(DecodeIconImage, DibsOfEveryDepth)
{
  const QRgb Red = qRgb(200, 0, 0);
  const QRgb Blue = qRgb(0, 0, 200);
  for (int Bits : {1, 4, 8, 24, 32}) {
    SCOPED_TRACE(Bits);
    const int Width = 11;
    const int Height = 5;
    auto Pattern = [&](int X, int Y) { return X == 0 && Y == 0 ? Red : X == 3 && Y == 1 ? Red : Blue; };
    QImage Image = DecodeIconImage(MakeDib(Width, Height, Bits, Pattern, Red, Blue));
    ASSERT_EQ(Image.size(), QSize(Width, Height));
    for (int Y = 0; Y < Height; ++Y) {
      for (int X = 0; X < Width; ++X) {
        if (X == Width - 1 && Y == Height - 1) {
          EXPECT_EQ(qAlpha(Image.pixel(X, Y)), 0);
        } else {
          EXPECT_EQ(Image.pixel(X, Y), Pattern(X, Y)) << X << "," << Y;
        }
      }
    }
  }
}

TEST(DecodeIconImage, PngImagesAndThirtyTwoBitsWithoutMask)
{
  QByteArray Icon = MakeIcon({{48, 0, 32, 32, qRgb(9, 99, 199), true}});
  TDisplayIcon Png = CreateIconForDepth({Icon}, 64, 32);
  EXPECT_EQ(Png.Image.size(), QSize(64, 64));
  EXPECT_EQ(Inner(Png), qRgb(9, 99, 199));

  const QRgb Green = qRgb(0, 150, 0);
  QByteArray Dib = MakeDib(
      8, 8, 32, [&](int, int) { return Green; }, Green, Green);
  Dib.chop(Stride(8, 1) * 8);
  QImage Unmasked = DecodeIconImage(Dib);
  ASSERT_EQ(Unmasked.size(), QSize(8, 8));
  EXPECT_EQ(Unmasked.pixel(2, 2), Green);
  EXPECT_EQ(qAlpha(Unmasked.pixel(7, 7)), 0);
}

TEST(CreateIconForDepth, HostileIconsGiveNoIcon)
{
  const QByteArray Good = MakeAppShapedIcon();
  auto Shown = [](const QByteArray& Bytes) { return !CreateIconForDepth({Bytes}, 48, 32).IsNull(); };
  ASSERT_TRUE(Shown(Good));
  EXPECT_FALSE(Shown({}));
  EXPECT_FALSE(Shown(Good.left(3)));
  EXPECT_FALSE(Shown(Good.left(6 + 16 * 9 - 1))); // directory cut short
  const std::uint32_t ChosenOffset = (*ReadIconDirectory(Good))[2].ImageOffset;
  EXPECT_FALSE(Shown(Good.left(ChosenOffset + 100))); // the chosen image cut short
  QByteArray Cursor = Good;
  Cursor[2] = 2;
  EXPECT_FALSE(Shown(Cursor));

  QByteArray HugeCount = Good.left(6 + 16);
  HugeCount[4] = '\xFF';
  HugeCount[5] = '\xFF';
  EXPECT_FALSE(Shown(HugeCount));
  EXPECT_EQ(CreateIconForDepth({HugeCount}, 48, 32).ChosenIndex, -1);

  QByteArray Empty = Good.left(6);
  Empty[4] = 0;
  Empty[5] = 0;
  TDisplayIcon None = CreateIconForDepth({Empty}, 48, 32);
  EXPECT_TRUE(None.IsNull());
  EXPECT_EQ(None.ChosenIndex, -1);

  // The chosen entry (index 2) pointed or sized past the end, or wrapping.
  const int Entry2 = 6 + 2 * 16;
  auto WithField = [&](int Offset, std::uint32_t Value) {
    QByteArray Bytes = Good;
    for (int I = 0; I < 4; ++I) {
      Bytes[Entry2 + Offset + I] = static_cast<char>(Value >> (8 * I) & 0xFF);
    }
    return Bytes;
  };
  EXPECT_FALSE(Shown(WithField(12, static_cast<std::uint32_t>(Good.size()))));
  EXPECT_FALSE(Shown(WithField(12, 0xFFFFFFF0U)));
  EXPECT_FALSE(Shown(WithField(8, 0xFFFFFFFFU)));
  EXPECT_FALSE(Shown(WithField(8, 0)));
  EXPECT_FALSE(Shown(WithField(8, 20))); // shorter than its DIB header
}

TEST(DecodeIconImage, RefusesUnsoundDibHeaders)
{
  const QRgb Grey = qRgb(90, 90, 90);
  const QByteArray Good = MakeDib(
      16, 16, 8, [&](int, int) { return Grey; }, Grey, Grey);
  ASSERT_FALSE(DecodeIconImage(Good).isNull());
  auto With32 = [&](int Offset, std::uint32_t Value) {
    QByteArray Bytes = Good;
    for (int I = 0; I < 4; ++I) {
      Bytes[Offset + I] = static_cast<char>(Value >> (8 * I) & 0xFF);
    }
    return DecodeIconImage(Bytes);
  };
  EXPECT_TRUE(With32(0, 39).isNull());                               // header size
  EXPECT_TRUE(With32(0, 0x7FFFFFFF).isNull());                       // header past the data
  EXPECT_TRUE(With32(4, 0).isNull());                                // width
  EXPECT_TRUE(With32(4, 0x80000000U).isNull());                      // negative width
  EXPECT_TRUE(With32(4, 100000).isNull());                           // wider than the data holds
  EXPECT_TRUE(With32(4, 17).isNull());                               // one pixel wider than the data holds
  EXPECT_TRUE(With32(8, 0).isNull());                                // height
  EXPECT_TRUE(With32(8, 0xFFFFFFE0U).isNull());                      // top-down
  EXPECT_TRUE(With32(8, 34).isNull());                               // taller than the data holds
  EXPECT_TRUE(With32(12, 0x00070001U).isNull());                     // seven bits per pixel
  EXPECT_TRUE(With32(12, 0x00080002U).isNull());                     // two planes
  EXPECT_TRUE(With32(16, 1).isNull());                               // run-length compressed
  EXPECT_TRUE(With32(32, 257).isNull());                             // more colours than 8 bits index
  EXPECT_FALSE(With32(32, 2).isNull());                              // a shorter palette is fine...
  EXPECT_TRUE(DecodeIconImage(Good.left(Good.size() - 1)).isNull()); // ...a cut mask is not
  EXPECT_TRUE(DecodeIconImage(Good.left(39)).isNull());
  EXPECT_TRUE(DecodeIconImage(QByteArray("\x89PNG\r\n\x1a\n broken")).isNull());
}

// Random damage to a sound icon must never crash the reader or read outside
// the bytes (the sanitizer build checks the latter).
TEST(CreateIconForDepth, SurvivesRandomDamage)
{
  const QByteArray Good = MakeAppShapedIcon();
  std::mt19937 Random(20260101);
  std::uniform_int_distribution<int> Byte(0, 255);
  std::uniform_int_distribution<qsizetype> Place(0, 6 + 16 * 9 + 60);
  for (int Round = 0; Round < 3000; ++Round) {
    QByteArray Bytes = Good;
    for (int Hit = 0; Hit < 1 + Round % 6; ++Hit) {
      Bytes[Place(Random)] = static_cast<char>(Byte(Random));
    }
    if (Round % 4 == 0) {
      Bytes.truncate(Place(Random) * 7 % Good.size());
    }
    TDisplayIcon Icon = CreateIconForDepth({Bytes}, 48, Round % 2 == 0 ? 32 : 24);
    EXPECT_LT(Icon.ChosenIndex, 0x10000);
  }
}

TEST(ApplicationIcon, ChoiceAndDecodingOfTheRealIcon)
{
  EXPECT_TRUE(TIconResource::FromFile(QStringLiteral("/nonexistent/quillmark.ico")).IsEmpty());
  const QString Path = QStringLiteral(QUILLMARK_SOURCE_DIR "/resources/quillmark.ico");
  if (!QFile::exists(Path)) {
    GTEST_SKIP() << "the application icon is not in this tree";
  }
  const TIconResource Icon = TIconResource::FromFile(Path);
  std::optional<std::vector<TIconDirEntry>> Entries = ReadIconDirectory(Icon.Bytes);
  ASSERT_TRUE(Entries);
  ASSERT_EQ(Entries->size(), 9U);
  EXPECT_EQ(CreateIconForDepth(Icon, 48, 32).ChosenIndex, 2);
  EXPECT_EQ(CreateIconForDepth(Icon, 48, 24).ChosenIndex, 1);
  TDisplayIcon Large = CreateIconForDepth(Icon, 64, 32);
  EXPECT_EQ(Large.ChosenIndex, 2);
  EXPECT_EQ(Large.Image.size(), QSize(64, 64));
  // Every image decodes as Qt's own icon reader sees it.
  QByteArray Bytes = Icon.Bytes;
  QBuffer Buffer(&Bytes);
  QImageReader Reader(&Buffer, "ico");
  for (int Index = 0; Index < 9; ++Index) {
    SCOPED_TRACE(Index);
    const TIconDirEntry& Entry = (*Entries)[static_cast<std::size_t>(Index)];
    const QImage Ours = DecodeIconImage(Icon.Bytes.mid(Entry.ImageOffset, Entry.BytesInRes));
    ASSERT_EQ(Ours.size(), QSize(Entry.Width, Entry.Height));
    ASSERT_TRUE(Reader.jumpToImage(Index));
    // Qt reads the icon premultiplied; compare in that form, without the
    // rounding of converting back.
    const QImage Theirs = Reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_EQ(Theirs.size(), Ours.size());
    int Different = 0;
    for (int Y = 0; Y < Ours.height(); ++Y) {
      for (int X = 0; X < Ours.width(); ++X) {
        const QRgb A = Ours.pixel(X, Y);
        const QRgb B = reinterpret_cast<const QRgb*>(Theirs.constScanLine(Y))[X];
        Different += qPremultiply(A) != B;
      }
    }
    EXPECT_EQ(Different, 0);
  }
}

} // namespace
} // namespace QuillmarkTest
