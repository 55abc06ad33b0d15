#include "common/SyntheticVideo.h"

#include "common/TestFiles.h"

#include <algorithm>
#include <cstdlib>

namespace QuillmarkTest {

namespace {

constexpr int CardSize = 48;

bool SideBySide(TSceneLayout Layout)
{
  return Layout == TSceneLayout::SideBySideLF || Layout == TSceneLayout::SideBySideRF;
}

bool LeftFirst(TSceneLayout Layout)
{
  return Layout == TSceneLayout::SideBySideLF || Layout == TSceneLayout::OverUnderLT;
}

std::string Size(int Width, int Height)
{
  return std::to_string(Width) + "x" + std::to_string(Height);
}

// Coarse cells scaled up: texture at every scale the detection looks at,
// and a chaotic rule so that no two parts of the picture look alike.
std::string Texture(int Width, int Height, double Seconds, int Rule)
{
  return "cellauto=s=" + Size(Width / 2, Height / 2) + ":rule=" + std::to_string(Rule) +
         ":rate=10:random_fill_ratio=0.5:full=1:seed=7,scale=" + Size(Width, Height) +
         ":flags=bilinear,format=yuv420p,setsar=1,trim=duration=" + std::to_string(Seconds);
}

std::string StereoPart(const TScene& Scene)
{
  const int W = Scene.ViewWidth;
  const int H = Scene.ViewHeight;
  const std::string D = std::to_string(Scene.Seconds);
  const auto N = [](int Value) { return std::to_string(Value); };
  if (Scene.TestPattern) {
    return "testsrc2=s=" + Size(W, H) + ":rate=10,trim=duration=" + D + ",setsar=1";
  }
  // A point at p of the background shows at p less the crop in each view.
  const int Margin = std::abs(Scene.BackgroundDisparity);
  const int LeftCrop = std::max(0, -Scene.BackgroundDisparity);
  const int RightCrop = std::max(0, Scene.BackgroundDisparity);
  std::string Graph = Texture(W + Margin, H, Scene.Seconds, 30) + ",split[b1][b2];";
  Graph += "[b1]crop=" + N(W) + ":" + N(H) + ":" + N(LeftCrop) + ":0[bl];";
  if (Scene.Slanted) {
    // The right view stretched: a point at x sits 4 % of x further right.
    Graph +=
        "[b2]scale=" + N((W + Margin) * 104 / 100) + ":" + N(H) + ",crop=" + N(W) + ":" + N(H) + ":0:0[r];";
    Graph += "[bl]null[l];";
  } else {
    // Cards across the view at a few depths around the card disparity:
    // edges between near and far for the eye order to be seen at.
    constexpr int Cards = 4;
    constexpr int Spread[4] = {0, -3, 2, -5};
    Graph +=
        "testsrc=s=" + Size(CardSize, CardSize) + ":rate=10,trim=duration=" + D + ",split=" + N(2 * Cards);
    for (int Card = 0; Card < 2 * Cards; ++Card) {
      Graph += "[c" + N(Card) + "]";
    }
    Graph += ";[b2]crop=" + N(W) + ":" + N(H) + ":" + N(RightCrop) + ":0[r0];[bl]null[l0];";
    for (int Card = 0; Card < Cards; ++Card) {
      const int X = (W - CardSize) * (2 * Card + 1) / (2 * Cards);
      const int Y = (H - CardSize) * (Card % 2 == 0 ? 1 : 3) / 4;
      const std::string Next = Card + 1 == Cards ? "" : N(Card + 1);
      Graph += "[l" + N(Card) + "][c" + N(Card) + "]overlay=x=" + N(X + Scene.CardDisparity + Spread[Card]) +
               ":y=" + N(Y) + "[l" + (Next.empty() ? "" : Next) + "];";
      Graph += "[r" + N(Card) + "][c" + N(Cards + Card) + "]overlay=x=" + N(X) + ":y=" + N(Y) + "[r" +
               (Next.empty() ? "n" : Next) + "];";
    }
    Graph += Scene.Misaligned ? "[rn]lutyuv=y='clip(val*1.08,0,255)',crop=" + N(W) + ":" + N(H - 2) +
                                    ":0:0,pad=" + N(W) + ":" + N(H) + ":0:2[r];"
                              : "[rn]null[r];";
  }
  if (Scene.Layout == TSceneLayout::Mono) {
    return Graph + "[r]nullsink;[l]null";
  }
  const std::string Pair = LeftFirst(Scene.Layout) ? "[l][r]" : "[r][l]";
  Graph += Pair + (SideBySide(Scene.Layout) ? "hstack" : "vstack");
  if (Scene.Half) {
    Graph += ",scale=" + Size(W, H);
  }
  return Graph + ",setsar=1";
}

std::string Graph(const TScene& Scene)
{
  const int W = SceneFrameWidth(Scene);
  const int H = SceneFrameHeight(Scene);
  std::string Graph = StereoPart(Scene) + "[s];";
  std::string Parts = "[s]";
  int Count = 1;
  if (Scene.IntroSeconds > 0) {
    Graph += Texture(W, H, Scene.IntroSeconds, 110) + "[i];";
    Parts = "[i]" + Parts;
    ++Count;
  }
  Graph += Parts + "concat=n=" + std::to_string(Count) + ":v=1:a=0";
  if (Scene.BlackSeconds > 0) {
    Graph += ",drawbox=c=black:t=fill:enable='lt(t," + std::to_string(Scene.BlackSeconds) + ")'";
  }
  return Graph;
}

} // namespace

int SceneFrameWidth(const TScene& Scene)
{
  return SideBySide(Scene.Layout) && !Scene.Half ? 2 * Scene.ViewWidth : Scene.ViewWidth;
}

int SceneFrameHeight(const TScene& Scene)
{
  const bool Stacked = Scene.Layout == TSceneLayout::OverUnderLT || Scene.Layout == TSceneLayout::OverUnderRT;
  return Stacked && !Scene.Half ? 2 * Scene.ViewHeight : Scene.ViewHeight;
}

bool MakeSceneVideo(const TScene& Scene, const std::filesystem::path& Path)
{
  // Key frames twice a second, as encoders for playback place them at most
  // a second apart: each detection sample lands on a frame of its own.
  const std::string Command = "ffmpeg -nostdin -v error -y -filter_complex \"" + Graph(Scene) +
                              "\" -c:v wmv2 -q:v 3 -g 5 -f asf '" + Path.string() + "'";
  return RunCommand(Command) == 0;
}

bool MakeHoleVideo(const std::filesystem::path& From, const std::filesystem::path& To, std::uint64_t Size)
{
  // The Header Object's size is at offset 16; the Data Object's own header
  // (GUID, size, file ID, packet count, reserved) takes 50 bytes after it.
  constexpr std::size_t SizeAt = 16;
  constexpr std::size_t DataHead = 50;
  std::vector<std::uint8_t> Bytes = ReadFileBytes(From);
  const auto Field = [&Bytes](std::size_t At) {
    std::uint64_t Value = 0;
    for (std::size_t Index = 8; Index-- > 0;) {
      Value = Value << 8 | Bytes[At + Index];
    }
    return Value;
  };
  if (Bytes.size() < SizeAt + 8 || Field(SizeAt) > Bytes.size() - DataHead || Size < Bytes.size()) {
    return false;
  }
  const std::size_t Header = static_cast<std::size_t>(Field(SizeAt));
  Bytes.resize(Header + DataHead);
  for (std::size_t Index = 0; Index < 8; ++Index) {
    Bytes[Header + SizeAt + Index] = static_cast<std::uint8_t>((Size - Header) >> (8 * Index));
  }
  WriteFileBytes(To, Bytes);
  std::error_code Error;
  std::filesystem::resize_file(To, Size, Error);
  return !Error;
}

} // namespace QuillmarkTest
