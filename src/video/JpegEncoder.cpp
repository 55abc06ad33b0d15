#include "video/JpegEncoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace Quillmark {

namespace {

// libjpeg's own error handler ends the process; this one jumps back to the
// call that started the work, which then reports a failure.
struct TJpegErrors {
  jpeg_error_mgr Base;
  std::jmp_buf Return;
};

[[noreturn]] void JumpBack(j_common_ptr Info)
{
  std::longjmp(reinterpret_cast<TJpegErrors*>(Info->err)->Return, 1);
}

void IgnoreOutput(j_common_ptr) {}

// The compressor and its memory destination, released on every path. The
// jump can skip only plain data, so it leaves nothing behind.
struct TCompressor {
  TCompressor()
  {
    Info.err = jpeg_std_error(&Errors.Base);
    Errors.Base.error_exit = JumpBack;
    Errors.Base.output_message = IgnoreOutput;
    jpeg_create_compress(&Info);
  }
  ~TCompressor()
  {
    jpeg_destroy_compress(&Info);
    std::free(Buffer);
  }
  TCompressor(const TCompressor&) = delete;
  TCompressor& operator=(const TCompressor&) = delete;

  jpeg_compress_struct Info{};
  TJpegErrors Errors{};
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
};

bool Compress(TCompressor& Jpeg, const TRgbImage& Image, int Quality)
{
  if (setjmp(Jpeg.Errors.Return) != 0) {
    return false;
  }
  jpeg_mem_dest(&Jpeg.Info, &Jpeg.Buffer, &Jpeg.Size);
  Jpeg.Info.image_width = static_cast<JDIMENSION>(Image.Width);
  Jpeg.Info.image_height = static_cast<JDIMENSION>(Image.Height);
  Jpeg.Info.input_components = 3;
  Jpeg.Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&Jpeg.Info);
  jpeg_set_quality(&Jpeg.Info, Quality, TRUE);
  // Optimised Huffman tables cost nothing visible and buy a higher quality
  // within the preview's byte limit.
  Jpeg.Info.optimize_coding = TRUE;
  jpeg_start_compress(&Jpeg.Info, TRUE);
  const auto Row = static_cast<std::size_t>(Image.Width) * 3;
  while (Jpeg.Info.next_scanline < Jpeg.Info.image_height) {
    JSAMPROW Line = const_cast<JSAMPROW>(Image.Pixels.data() + Row * Jpeg.Info.next_scanline);
    jpeg_write_scanlines(&Jpeg.Info, &Line, 1);
  }
  jpeg_finish_compress(&Jpeg.Info);
  return true;
}

} // namespace

std::vector<std::uint8_t> EncodeJpeg(const TRgbImage& Image, int Quality)
{
  const auto Expected = static_cast<std::size_t>(Image.Width) * static_cast<std::size_t>(Image.Height) * 3;
  if (Image.Empty() || Image.Pixels.size() != Expected) {
    throw EVideo("A picture of no size cannot be encoded");
  }
  TCompressor Jpeg;
  if (!Compress(Jpeg, Image, Quality) || Jpeg.Buffer == nullptr) {
    throw EVideo("The picture cannot be encoded as JPEG");
  }
  return {Jpeg.Buffer, Jpeg.Buffer + Jpeg.Size};
}

} // namespace Quillmark
