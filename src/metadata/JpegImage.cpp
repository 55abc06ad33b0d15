#include "metadata/JpegImage.h"

#include "metadata/BoundedRead.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace Quillmark {

namespace {

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

// A progressive stream may hold any number of scans, each a pass over the
// whole picture; a few thousand of them take minutes. Real pictures have
// a dozen or so.
int ScanLimit(std::uint64_t Pixels)
{
  const std::uint64_t ByWork = MaxDecodeScanPixels / std::max<std::uint64_t>(Pixels, 1);
  return static_cast<int>(std::min<std::uint64_t>(ByWork, MaxDecodeScans));
}

void CountScans(j_common_ptr Info)
{
  if (!Info->is_decompressor) {
    return;
  }
  auto* Decompress = reinterpret_cast<j_decompress_ptr>(Info);
  const std::uint64_t Pixels = std::uint64_t(Decompress->image_width) * Decompress->image_height;
  if (Decompress->input_scan_number > ScanLimit(Pixels)) {
    JumpBack(Info);
  }
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
    FProgress.progress_monitor = CountScans;
    FInfo.progress = &FProgress;
    // Without a backing store, a request past this limit is an error
    // rather than an allocation.
    FInfo.mem->max_memory_to_use = MaxDecodeMemory;
    jpeg_mem_src(&FInfo, Bytes.data(), static_cast<unsigned long>(Bytes.size()));
  }
  ~TDecompressor() { jpeg_destroy_decompress(&FInfo); }
  TDecompressor(const TDecompressor&) = delete;
  TDecompressor& operator=(const TDecompressor&) = delete;

  jpeg_decompress_struct FInfo{};
  TJpegErrorManager FErrors{};
  jpeg_progress_mgr FProgress{};
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
  // The frame header was checked when the picture was taken; a stream
  // whose header now says otherwise is not decoded.
  if (std::uint64_t(Jpeg.FInfo.image_width) * Jpeg.FInfo.image_height > MaxDecodedPixels) {
    return false;
  }
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

TJpegImage::TFileLoad TJpegImage::LoadFromFile(const std::string& Path, std::uint64_t MaxBytes)
{
  std::vector<std::uint8_t> Bytes;
  switch (ReadBoundedFile(Path, MaxBytes, Bytes).Status) {
  case TBoundedRead::Ok:
    break;
  case TBoundedRead::CannotOpen:
    return TFileLoad::CannotRead;
  case TBoundedRead::NotRegular:
    return TFileLoad::NotRegular;
  case TBoundedRead::TooLarge:
    return TFileLoad::TooLarge;
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
