#pragma once
// A JPEG picture as the program keeps it: the byte stream exactly as it was
// obtained (a loaded file or an attribute's value), never encoded again; its
// pixel size from the frame header; its pixels decoded from the stream only
// when they are first asked for.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Quillmark {

// A decode stops at more pixels, scans or working memory than these: far
// above any real poster, far below what would stall the window.
inline constexpr std::uint64_t MaxDecodedPixels = 4096ULL * 4096;
inline constexpr int MaxDecodeScans = 256;
// Each scan is a pass over the whole picture, so a large picture gets fewer:
// scans times pixels stays under this (32 scans at the largest size).
inline constexpr std::uint64_t MaxDecodeScanPixels = 32 * MaxDecodedPixels;
inline constexpr long MaxDecodeMemory = 160L * 1024 * 1024;

// How decoded pixels lie in memory. Rgb: three bytes a pixel, red, green,
// blue. Xrgb: a 32-bit word a pixel in the machine's byte order, 0xFFRRGGBB,
// the layout toolkits draw opaque pictures from.
enum class TPixelLayout { Rgb, Xrgb };

class TJpegImage {
public:
  // NotRegular: a FIFO or device; TooLarge: more bytes than allowed.
  enum class TFileLoad { Ok, CannotRead, BadHeader, NotRegular, TooLarge };

  // Keeps Bytes and reads the frame header. False when the header does not
  // parse; an empty stream is a picture of 0 x 0 pixels.
  bool LoadFromBytes(std::vector<std::uint8_t> Bytes);
  // Reads the file, a regular one of at most MaxBytes, then as LoadFromBytes.
  TFileLoad LoadFromFile(const std::string& Path, std::uint64_t MaxBytes);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  const std::vector<std::uint8_t>& Bytes() const { return FBytes; }

  // Rows of Width() x 3 bytes (red, green, blue), decoded on the first call.
  // Empty when the picture is 0 x 0, too large to decode safely, its data
  // does not decode, or decoding would take more scans or memory than
  // MaxDecodeScans and MaxDecodeMemory allow.
  const std::vector<std::uint8_t>& Pixels() const;

  // Decodes into Height() rows of Stride bytes from Rows, each holding
  // Width() pixels of Layout. False, with the rows partly written, where
  // Pixels() would be empty, when a row does not fit Stride, or as soon as
  // Cancel (when given) turns true. It changes nothing of the picture, so
  // another thread may run it on a picture that is shared.
  bool DecodeInto(std::uint8_t* Rows, std::size_t Stride, TPixelLayout Layout,
                  const std::atomic<bool>* Cancel = nullptr) const;

private:
  std::vector<std::uint8_t> FBytes;
  int FWidth = 0;
  int FHeight = 0;
  mutable bool FDecoded = false;
  mutable std::vector<std::uint8_t> FPixels;
};

} // namespace Quillmark
