#include "metadata/JpegImage.h"

#include <csetjmp>
#include <exception>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

namespace Quillmark {

namespace {

// A small file can announce a huge frame; such a picture is not decoded, so
// drawing it cannot exhaust memory. 64 megapixels is far above any poster.
constexpr std::uint64_t MaxDecodedPixels = 64ULL * 1024 * 1024;

// libjpeg's own error handler ends the process; this one jumps back to the
// call that started the work, which then reports a failure.
struct TJpegErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Return;
};

[[noreturn]] void JumpBack(j_common_ptr Info)
{
  std::longjmp(reinterpret_cast<TJpegErrorManager*>(Info->err)->Return, 1);
}

void IgnoreMessage(j_common_ptr, int) {}
void IgnoreOutput(j_common_ptr) {}

// A decompressor reading from memory with errors that return. Everything the
// jump can skip is plain data, so the longjmp leaves nothing behind.
class TDecompressor {
public:
  explicit TDecompressor(const std::vector<std::uint8_t>& Bytes)
  {
    FInfo.err = jpeg_std_error(&FErrors.Base);
    FErrors.Base.error_exit = JumpBack;
    FErrors.Base.emit_message = IgnoreMessage;
    FErrors.Base.output_message = IgnoreOutput;
    jpeg_create_decompress(&FInfo);
    jpeg_mem_src(&FInfo, Bytes.data(), static_cast<unsigned long>(Bytes.size()));
  }
  ~TDecompressor() { jpeg_destroy_decompress(&FInfo); }
  TDecompressor(const TDecompressor&) = delete;
  TDecompressor& operator=(const TDecompressor&) = delete;

  jpeg_decompress_struct FInfo{};
  TJpegErrorManager FErrors{};
};

bool ReadHeader(const std::vector<std::uint8_t>& Bytes, int& Width, int& Height)
{
  TDecompressor Jpeg(Bytes);
  if (setjmp(Jpeg.FErrors.Return) != 0) {
    return false;
  }
  if (jpeg_read_header(&Jpeg.FInfo, TRUE) != JPEG_HEADER_OK) {
    return false;
  }
  Width = static_cast<int>(Jpeg.FInfo.image_width);
  Height = static_cast<int>(Jpeg.FInfo.image_height);
  return true;
}

bool Decode(const std::vector<std::uint8_t>& Bytes, std::vector<std::uint8_t>& Pixels)
{
  TDecompressor Jpeg(Bytes);
  if (setjmp(Jpeg.FErrors.Return) != 0) {
    return false;
  }
  jpeg_read_header(&Jpeg.FInfo, TRUE);
  Jpeg.FInfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&Jpeg.FInfo);
  const std::size_t RowBytes = std::size_t{Jpeg.FInfo.output_width} * 3;
  Pixels.assign(RowBytes * Jpeg.FInfo.output_height, 0);
  while (Jpeg.FInfo.output_scanline < Jpeg.FInfo.output_height) {
    JSAMPROW Row = Pixels.data() + RowBytes * Jpeg.FInfo.output_scanline;
    jpeg_read_scanlines(&Jpeg.FInfo, &Row, 1);
  }
  jpeg_finish_decompress(&Jpeg.FInfo);
  return true;
}

} // namespace

bool TJpegImage::LoadFromBytes(std::vector<std::uint8_t> Bytes)
{
  int Width = 0;
  int Height = 0;
  if (!Bytes.empty() && !ReadHeader(Bytes, Width, Height)) {
    return false;
  }
  FBytes = std::move(Bytes);
  FWidth = Width;
  FHeight = Height;
  FDecoded = false;
  FPixels.clear();
  return true;
}

TJpegImage::TFileLoad TJpegImage::LoadFromFile(const std::string& Path)
{
  std::vector<std::uint8_t> Bytes;
  try {
    std::ifstream In(Path, std::ios::binary);
    if (!In) {
      return TFileLoad::CannotRead;
    }
    // A folder, or a read error part way, throws from the stream buffer.
    Bytes.assign(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
    if (In.bad()) {
      return TFileLoad::CannotRead;
    }
  } catch (const std::exception&) {
    return TFileLoad::CannotRead;
  }
  return LoadFromBytes(std::move(Bytes)) ? TFileLoad::Ok : TFileLoad::BadHeader;
}

const std::vector<std::uint8_t>& TJpegImage::Pixels() const
{
  if (!FDecoded) {
    FDecoded = true;
    const std::uint64_t Count = std::uint64_t(FWidth) * std::uint64_t(FHeight);
    if (Count > 0 && Count <= MaxDecodedPixels && !Decode(FBytes, FPixels)) {
      FPixels.clear();
    }
  }
  return FPixels;
}

} // namespace Quillmark
