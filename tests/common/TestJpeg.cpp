#include "common/TestJpeg.h"

#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace QuillmarkTest {

namespace {

// Memory destination that jpeg_mem_dest allocates; freed whatever happens.
struct TEncoded {
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
  ~TEncoded() { std::free(Buffer); }
};

} // namespace

std::vector<std::uint8_t> MakeJpeg(int Width, int Height, std::size_t PadToBytes)
{
  jpeg_compress_struct Info{};
  jpeg_error_mgr Errors{};
  Info.err = jpeg_std_error(&Errors);
  jpeg_create_compress(&Info);
  TEncoded Encoded;
  jpeg_mem_dest(&Info, &Encoded.Buffer, &Encoded.Size);
  Info.image_width = static_cast<JDIMENSION>(Width);
  Info.image_height = static_cast<JDIMENSION>(Height);
  Info.input_components = 3;
  Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&Info);
  jpeg_set_quality(&Info, 80, TRUE);
  jpeg_start_compress(&Info, TRUE);
  std::vector<JSAMPLE> Row(static_cast<std::size_t>(Width) * 3);
  while (Info.next_scanline < Info.image_height) {
    const int Y = static_cast<int>(Info.next_scanline);
    for (int X = 0; X < Width; ++X) {
      const auto At = static_cast<std::size_t>(X) * 3;
      Row[At] = static_cast<JSAMPLE>(X * 255 / (Width > 1 ? Width - 1 : 1));
      Row[At + 1] = static_cast<JSAMPLE>(Y * 255 / (Height > 1 ? Height - 1 : 1));
      Row[At + 2] = static_cast<JSAMPLE>((X + Y) & 0xFF);
    }
    JSAMPROW Rows[1] = {Row.data()};
    jpeg_write_scanlines(&Info, Rows, 1);
  }
  jpeg_finish_compress(&Info);
  jpeg_destroy_compress(&Info);
  std::vector<std::uint8_t> Bytes(Encoded.Buffer, Encoded.Buffer + Encoded.Size);
  if (PadToBytes != 0) {
    if (PadToBytes < Bytes.size()) {
      throw std::invalid_argument("JPEG stream longer than the padded size");
    }
    std::size_t Filler = 0;
    while (Bytes.size() < PadToBytes) {
      Bytes.push_back(static_cast<std::uint8_t>(Filler++ & 0x7F));
    }
  }
  return Bytes;
}

} // namespace QuillmarkTest
