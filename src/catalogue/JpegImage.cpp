#include "catalogue/JpegImage.h"

#include "catalogue/BoundedRead.h"

#include <algorithm>
#include <bit>
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

// libjpeg calls the progress monitor between rows and between its passes
// over the stream: there a decode gives up on too many scans, or when it is
// cancelled.
struct TProgress {
  jpeg_progress_mgr Base;
  const std::atomic<bool>* Cancel = nullptr;
};

void CheckProgress(j_common_ptr Info)
{
  if (!Info->is_decompressor) {
    return;
  }
  const auto* Progress = reinterpret_cast<const TProgress*>(Info->progress);
  if (Progress->Cancel != nullptr && Progress->Cancel->load(std::memory_order_relaxed)) {
    JumpBack(Info);
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
  explicit TDecompressor(const std::vector<std::uint8_t>& Bytes, const std::atomic<bool>* Cancel = nullptr)
  {
    FInfo.err = jpeg_std_error(&FErrors.Base);
    FErrors.Base.error_exit = JumpBack;
    FErrors.Base.emit_message = IgnoreMessage;
    FErrors.Base.output_message = IgnoreOutput;
    jpeg_create_decompress(&FInfo);
    FProgress.Base.progress_monitor = CheckProgress;
    FProgress.Cancel = Cancel;
    FInfo.progress = &FProgress.Base;
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
  TProgress FProgress{};
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

// libjpeg-turbo writes the 32-bit word's bytes in memory order.
J_COLOR_SPACE XrgbSpace()
{
  return std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
}

struct TDecodeTarget {
  int Width;
  int Height;
  std::uint8_t* Rows;
  std::size_t Stride;
  TPixelLayout Layout;
};

bool Decode(const std::vector<std::uint8_t>& Bytes, const TDecodeTarget& Target,
            const std::atomic<bool>* Cancel)
{
  TDecompressor Jpeg(Bytes, Cancel);
  if (setjmp(Jpeg.FErrors.Return) != 0) {
    return false;
  }
  jpeg_read_header(&Jpeg.FInfo, TRUE);
  // The frame header was read when the picture was taken; a stream whose
  // header now says otherwise is not decoded.
  if (Jpeg.FInfo.image_width != JDIMENSION(Target.Width) ||
      Jpeg.FInfo.image_height != JDIMENSION(Target.Height)) {
    return false;
  }
  // The alpha byte of the extended colour spaces is always 0xFF.
  Jpeg.FInfo.out_color_space = Target.Layout == TPixelLayout::Rgb ? JCS_RGB : XrgbSpace();
  jpeg_start_decompress(&Jpeg.FInfo);
  const std::size_t RowBytes =
      std::size_t{Jpeg.FInfo.output_width} * static_cast<std::size_t>(Jpeg.FInfo.output_components);
  if (RowBytes > Target.Stride || Jpeg.FInfo.output_height != JDIMENSION(Target.Height)) {
    return false;
  }
  while (Jpeg.FInfo.output_scanline < Jpeg.FInfo.output_height) {
    JSAMPROW Row = Target.Rows + Target.Stride * Jpeg.FInfo.output_scanline;
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
    if (Count > 0 && Count <= MaxDecodedPixels) {
      const std::size_t Stride = std::size_t(FWidth) * 3;
      FPixels.assign(Stride * std::size_t(FHeight), 0);
      if (!DecodeInto(FPixels.data(), Stride, TPixelLayout::Rgb)) {
        FPixels = {};
      }
    }
  }
  return FPixels;
}

bool TJpegImage::DecodeInto(std::uint8_t* Rows, std::size_t Stride, TPixelLayout Layout,
                            const std::atomic<bool>* Cancel) const
{
  const std::uint64_t Count = std::uint64_t(FWidth) * std::uint64_t(FHeight);
  if (Count == 0 || Count > MaxDecodedPixels) {
    return false;
  }
  return Decode(FBytes, {FWidth, FHeight, Rows, Stride, Layout}, Cancel);
}

} // namespace Quillmark
