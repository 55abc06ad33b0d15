// Fuzz target: arbitrary bytes as a JPEG picture (a file the user chose or a
// picture attribute of a header). The frame header is read; a picture that
// loads and is small enough is decoded in both pixel layouts, and each
// decode gives all its rows or none.
#include "catalogue/JpegImage.h"
#include "catalogue/PictureRules.h"

#include <cstdlib>
#include <vector>

using namespace Quillmark;

namespace {

// Decoding is the slow part; larger pictures only have their header read.
constexpr std::uint64_t MaxFuzzedPixels = 256 * 256;

void Decode(const TJpegImage& Image)
{
  const std::uint64_t Count = std::uint64_t(Image.Width()) * std::uint64_t(Image.Height());
  if (Count == 0 || Count > MaxFuzzedPixels) {
    return;
  }
  const std::vector<std::uint8_t>& Rgb = Image.Pixels();
  if (!Rgb.empty() && Rgb.size() != Count * 3) {
    std::abort();
  }
  const std::size_t Stride = std::size_t(Image.Width()) * 4;
  std::vector<std::uint8_t> Xrgb(Stride * std::size_t(Image.Height()));
  if (Image.DecodeInto(Xrgb.data(), Stride, TPixelLayout::Xrgb) == Rgb.empty()) {
    std::abort(); // the two layouts decode the same stream alike
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
  TJpegImage Image;
  if (!Image.LoadFromBytes({Data, Data + Size})) {
    return 0;
  }
  if (Image.Width() < 0 || Image.Height() < 0 || Image.Bytes().size() != Size) {
    std::abort();
  }
  Decode(Image);
  // A stored picture is checked against the rules of both kinds.
  AcceptStoredPicture(TPictureKind::Preview, {Data, Data + Size});
  AcceptStoredPicture(TPictureKind::Poster, {Data, Data + Size});
  return 0;
}
