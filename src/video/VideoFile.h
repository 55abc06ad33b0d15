#pragma once
// A video opened for looking at its pictures: read-only, by seeking to key
// frames and decoding only the frames asked for, so that neither time nor
// memory grows with the file's size. The file is never written and never
// locked, so an editor may hold it open at the same time.
//
// The file is opened once and checked once: FFmpeg reads it through that
// descriptor (pread, never by its name), so a file put in its place later,
// or a FIFO, is never read. What one look may read is bounded in bytes and
// in time, so a sparse hole or endless junk after a valid header ends with
// a message instead of being read to its end.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
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

// The read budget of one look at a video: enough for the pictures of any
// real video, which lie within a few megabytes of where a seek lands. Time
// is the processor time the readers spend, which a busy machine does not
// eat into, so load alone does not fail a good file; the wall-clock time
// is a backstop for reads that stall without working.
inline constexpr std::uint64_t VideoReadBudgetBytes = 256ULL << 20;
inline constexpr std::chrono::seconds VideoReadBudgetTime{20};
inline constexpr std::chrono::seconds VideoReadBudgetWallTime{120};

struct TReadBudget {
  std::uint64_t Bytes = VideoReadBudgetBytes;
  std::chrono::milliseconds Time = VideoReadBudgetTime;
  std::chrono::milliseconds WallTime = VideoReadBudgetWallTime;
};

// The look read its whole budget without finding what it looked for.
class EVideoBudget : public EVideo {
public:
  using EVideo::EVideo;
};

// Frames larger than 4K UHD, each of which costs several times a 4K one to
// decode.
inline constexpr long long LargeFramePixels = 4096LL * 2304;

// An open descriptor of a video file, closed when dropped.
class TVideoDescriptor {
public:
  TVideoDescriptor() = default;
  explicit TVideoDescriptor(int Fd) : FFd(Fd) {}
  ~TVideoDescriptor();
  TVideoDescriptor(TVideoDescriptor&& Other) noexcept : FFd(Other.Release()) {}
  TVideoDescriptor& operator=(TVideoDescriptor&& Other) noexcept;

  int Get() const { return FFd; }
  int Release() { return std::exchange(FFd, -1); }

private:
  int FFd = -1;
};

// Opens Path for reading without waiting on it (O_NONBLOCK: a FIFO or a
// device returns at once, to be refused by TVideoFile). Throws EVideo.
TVideoDescriptor OpenVideoDescriptor(const std::string& Path);

// Rows of Width x 3 bytes: red, green, blue.
struct TRgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;

  bool Empty() const { return Width <= 0 || Height <= 0; }
};

// Luma samples, one byte each, rows of Width, in full range (0 black, 255
// white) as the luma of the RGB picture would be.
struct TGrayImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;

  const std::uint8_t* Row(int Y) const
  {
    return Pixels.data() + static_cast<std::size_t>(Y) * static_cast<std::size_t>(Width);
  }
  int At(int X, int Y) const { return Row(Y)[X]; }
};

struct TGrayFrame {
  TGrayImage Image;
  double Seconds = 0; // from the start of the video
  // The coded size of the key frame decoding started from: what decoding
  // the frame cost, as nearly all of it goes into that key frame.
  std::size_t KeyFrameBytes = 0;
};

struct TVideoFrame {
  TRgbImage Image;
  double Seconds = 0; // from the start of the video
};

class TVideoFile {
public:
  // Reads the file File is open on; only a regular file is read, anything
  // else is refused before a byte of it is. Cancel, when given, stops a read
  // in progress as soon as it turns true: the read then throws
  // EVideoCancelled. A read past Budget throws EVideoBudget.
  explicit TVideoFile(TVideoDescriptor File, const std::atomic<bool>* Cancel = nullptr,
                      const TReadBudget& Budget = {});
  // The same for the file at Path, opened with OpenVideoDescriptor.
  explicit TVideoFile(const std::string& Path, const std::atomic<bool>* Cancel = nullptr,
                      const TReadBudget& Budget = {});
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
  // The luma alone of the frame FrameAt would give, shrunk by a whole
  // factor to at most MaxWidth x MaxHeight straight from the decoded
  // picture: what comparing pictures needs, at a fraction of the cost of
  // the colour picture. A frame shrunk four times or more is decoded
  // without the decoder's smoothing of block edges, which that shrinking
  // averages away.
  TGrayFrame LumaAt(double Seconds, bool Exact, int MaxWidth, int MaxHeight);

  // Another reader of the same descriptor, with a position of its own, the
  // same Cancel flag and the same budget, for a second thread. It takes
  // over what this reader found out about the streams, so it is made on
  // the thread that uses this one, while this one is not reading.
  std::unique_ptr<TVideoFile> SecondReader() const;
  // Starts the budget afresh: for a file kept open while the user picks one
  // frame after another, each pick being a look of its own, and for what
  // is read after detection.
  void RenewBudget();

private:
  struct TSource;
  struct TState;
  TVideoFile(std::shared_ptr<TSource> Source, const TState* Like);
  std::unique_ptr<TState> FState;
};

// A rectangle of an image, in pixels.
struct TImagePart {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
};

// Scales Image to Width x Height with an area-averaging filter.
TRgbImage ScaleImage(const TRgbImage& Image, int Width, int Height);
// The same for Part of Image, read in place. Throws EVideo when Part does
// not lie within Image.
TRgbImage ScaleImagePart(const TRgbImage& Image, const TImagePart& Part, int Width, int Height);

} // namespace Quillmark
