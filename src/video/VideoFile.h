#pragma once
// A video opened for looking at its pictures: read-only, by seeking to key
// frames and decoding only the frames asked for, so that neither time nor
// memory grows with the file's size. The file is never written and never
// locked, so an editor may hold it open at the same time.
#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace Quillmark {

// A video that cannot be opened, has no video stream, or cannot be decoded;
// also a look that was cancelled. The message is the user's.
class EVideo : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class EVideoCancelled : public EVideo {
public:
  EVideoCancelled() : EVideo("Cancelled") {}
};

// Rows of Width x 3 bytes: red, green, blue.
struct TRgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;

  bool Empty() const { return Width <= 0 || Height <= 0; }
};

struct TVideoFrame {
  TRgbImage Image;
  double Seconds = 0; // from the start of the video
};

class TVideoFile {
public:
  // Opens Path for reading. Cancel, when given, stops a read in progress as
  // soon as it turns true: the read then throws EVideoCancelled.
  explicit TVideoFile(const std::string& Path, const std::atomic<bool>* Cancel = nullptr);
  ~TVideoFile();
  TVideoFile(const TVideoFile&) = delete;
  TVideoFile& operator=(const TVideoFile&) = delete;

  // Seconds; 0 when the file does not tell.
  double Duration() const;
  // The coded frame size and the shape it is shown at.
  int Width() const;
  int Height() const;
  double DisplayAspect() const;

  // The frame shown at Seconds (clamped to the video). Exact false takes the
  // key frame at or before it, which costs one decoded frame; Exact true
  // decodes on from there to the frame itself. Throws EVideo when no frame
  // can be decoded there.
  TVideoFrame FrameAt(double Seconds, bool Exact);
  // The same, shrunk by a whole factor to at most MaxWidth x MaxHeight as it
  // is converted, which costs far less than converting it whole.
  TVideoFrame FrameAt(double Seconds, bool Exact, int MaxWidth, int MaxHeight);

private:
  struct TState;
  std::unique_ptr<TState> FState;
};

// Scales Image to Width x Height with an area-averaging filter.
TRgbImage ScaleImage(const TRgbImage& Image, int Width, int Height);

} // namespace Quillmark
