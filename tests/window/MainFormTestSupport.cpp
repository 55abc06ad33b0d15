#include "MainFormTestSupport.h"

#include <cstdio>
#include <cstdlib>
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace QuillmarkTest {

std::vector<std::uint8_t> EncodeTestJpeg(int Width, int Height)
{
  jpeg_compress_struct Info{};
  jpeg_error_mgr Errors{};
  Info.err = jpeg_std_error(&Errors);
  jpeg_create_compress(&Info);
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
  jpeg_mem_dest(&Info, &Buffer, &Size);
  Info.image_width = static_cast<JDIMENSION>(Width);
  Info.image_height = static_cast<JDIMENSION>(Height);
  Info.input_components = 1;
  Info.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&Info);
  jpeg_start_compress(&Info, TRUE);
  std::vector<JSAMPLE> Row(static_cast<std::size_t>(Width), 128);
  while (Info.next_scanline < Info.image_height) {
    JSAMPROW Rows[1] = {Row.data()};
    jpeg_write_scanlines(&Info, Rows, 1);
  }
  jpeg_finish_compress(&Info);
  std::vector<std::uint8_t> Bytes(Buffer, Buffer + Size);
  jpeg_destroy_compress(&Info);
  std::free(Buffer);
  return Bytes;
}

} // namespace QuillmarkTest
