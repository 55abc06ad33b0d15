#include "video/VideoFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

namespace Quillmark {

namespace {

// A decoder may hold frames back; after this many packets without the frame
// asked for, the video is taken to have none there. It bounds the work on a
// damaged file whose time stamps never reach the target.
constexpr int MaxKeyFramePackets = 600;
constexpr int MaxExactPackets = 3000;
constexpr std::int64_t MaxFramePixels = 8192LL * 4320;
// Seconds a key frame may lie before the time asked for and still be taken;
// a short video takes a twentieth of its length at most.
constexpr double KeyFrameSlack = 2.5;
// What FFmpeg reads at a time through the file's descriptor.
constexpr int IoBufferSize = 64 * 1024;

struct TFormatCloser {
  void operator()(AVFormatContext* Context) const { avformat_close_input(&Context); }
};
struct TCodecFreer {
  void operator()(AVCodecContext* Context) const { avcodec_free_context(&Context); }
};
struct TFrameFreer {
  void operator()(AVFrame* Frame) const { av_frame_free(&Frame); }
};
struct TPacketFreer {
  void operator()(AVPacket* Packet) const { av_packet_free(&Packet); }
};
struct TScaleFreer {
  void operator()(SwsContext* Context) const { sws_freeContext(Context); }
};
struct TIoFreer {
  void operator()(AVIOContext* Io) const
  {
    av_freep(&Io->buffer);
    avio_context_free(&Io);
  }
};

using TFramePtr = std::unique_ptr<AVFrame, TFrameFreer>;

// Whatever a demuxer would open besides the file itself (another file its
// data names, an address) is refused: only the descriptor is read.
int RefuseOpen(AVFormatContext* /*Context*/, AVIOContext** /*Io*/, const char* /*Url*/, int /*Flags*/,
               AVDictionary** /*Options*/)
{
  return AVERROR(EPERM);
}

std::string NotRegularMessage(mode_t Mode)
{
  if (S_ISFIFO(Mode)) {
    return "The file is a FIFO (named pipe), not a video file";
  }
  if (S_ISCHR(Mode) || S_ISBLK(Mode)) {
    return "The file is a device, not a video file";
  }
  if (S_ISSOCK(Mode)) {
    return "The file is a socket, not a video file";
  }
  if (S_ISDIR(Mode)) {
    return "The file is a folder, not a video file";
  }
  return "The file is not a regular file";
}

// The libraries' own log lines would mix with the program's output; what
// matters reaches the user as an EVideo message.
void QuietLibraries()
{
  static std::once_flag Once;
  std::call_once(Once, [] { av_log_set_level(AV_LOG_QUIET); });
}

TFramePtr NewFrame()
{
  TFramePtr Frame(av_frame_alloc());
  if (!Frame) {
    throw EVideo("Out of memory");
  }
  return Frame;
}

// Converts or scales Source into a packed RGB picture of Width x Height,
// written straight into the picture's rows.
TRgbImage ToRgb(const AVFrame& Source, int Width, int Height, int Flags)
{
  std::unique_ptr<SwsContext, TScaleFreer> Scale(
      sws_getContext(Source.width, Source.height, static_cast<AVPixelFormat>(Source.format), Width, Height,
                     AV_PIX_FMT_RGB24, Flags, nullptr, nullptr, nullptr));
  if (!Scale) {
    throw EVideo("The video's pictures cannot be converted");
  }
  TRgbImage Image;
  Image.Width = Width;
  Image.Height = Height;
  Image.Pixels.resize(static_cast<std::size_t>(Width) * 3 * static_cast<std::size_t>(Height));
  std::uint8_t* Target[4] = {Image.Pixels.data(), nullptr, nullptr, nullptr};
  const int Stride[4] = {Width * 3, 0, 0, 0};
  sws_scale(Scale.get(), Source.data, Source.linesize, 0, Source.height, Target, Stride);
  return Image;
}

// The luma of Source shrunk to Width x Height, in full range whatever range
// the video's own luma has, written straight into the image's rows.
TGrayImage ToGray(const AVFrame& Source, int Width, int Height)
{
  std::unique_ptr<SwsContext, TScaleFreer> Scale(
      sws_getContext(Source.width, Source.height, static_cast<AVPixelFormat>(Source.format), Width, Height,
                     AV_PIX_FMT_GRAY8, SWS_AREA, nullptr, nullptr, nullptr));
  if (!Scale) {
    throw EVideo("The video's pictures cannot be converted");
  }
  int* Inverse = nullptr;
  int* Table = nullptr;
  int SourceRange = 0;
  int TargetRange = 0;
  int Brightness = 0;
  int Contrast = 0;
  int Saturation = 0;
  if (sws_getColorspaceDetails(Scale.get(), &Inverse, &SourceRange, &Table, &TargetRange, &Brightness,
                               &Contrast, &Saturation) >= 0) {
    if (Source.color_range == AVCOL_RANGE_JPEG) {
      SourceRange = 1;
    }
    sws_setColorspaceDetails(Scale.get(), Inverse, SourceRange, Table, 1, Brightness, Contrast, Saturation);
  }
  TGrayImage Image;
  Image.Width = Width;
  Image.Height = Height;
  Image.Pixels.resize(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height));
  std::uint8_t* Target[4] = {Image.Pixels.data(), nullptr, nullptr, nullptr};
  const int Stride[4] = {Width, 0, 0, 0};
  sws_scale(Scale.get(), Source.data, Source.linesize, 0, Source.height, Target, Stride);
  return Image;
}

// Decoding without the smoothing of block edges for as long as it lives.
class TLoopFilterSkip {
public:
  TLoopFilterSkip(AVCodecContext& Codec, bool Skip) : FCodec(Codec)
  {
    FCodec.skip_loop_filter = Skip ? AVDISCARD_ALL : AVDISCARD_DEFAULT;
  }
  ~TLoopFilterSkip() { FCodec.skip_loop_filter = AVDISCARD_DEFAULT; }
  TLoopFilterSkip(const TLoopFilterSkip&) = delete;
  TLoopFilterSkip& operator=(const TLoopFilterSkip&) = delete;

private:
  AVCodecContext& FCodec;
};

// The whole factor a frame is shrunk by to fit into MaxWidth x MaxHeight;
// 1 when no size is given.
int ShrinkFactor(const AVFrame& Frame, int MaxWidth, int MaxHeight)
{
  if (MaxWidth <= 0 || MaxHeight <= 0) {
    return 1;
  }
  return std::max({1, (Frame.width + MaxWidth - 1) / MaxWidth, (Frame.height + MaxHeight - 1) / MaxHeight});
}

// Finding a stream's parameters decodes a frame of it only to learn its
// pixel format; a decoder that has but one tells it beforehand, and at 8K
// that frame would cost as much as a sample of the video.
void StatePixelFormats(AVFormatContext& Context)
{
  for (unsigned Index = 0; Index < Context.nb_streams; ++Index) {
    AVCodecParameters& Parameters = *Context.streams[Index]->codecpar;
    if (Parameters.codec_type != AVMEDIA_TYPE_VIDEO || Parameters.format != AV_PIX_FMT_NONE) {
      continue;
    }
    const AVCodec* Decoder = avcodec_find_decoder(Parameters.codec_id);
    if (Decoder != nullptr && Decoder->pix_fmts != nullptr && Decoder->pix_fmts[0] != AV_PIX_FMT_NONE &&
        Decoder->pix_fmts[1] == AV_PIX_FMT_NONE) {
      Parameters.format = Decoder->pix_fmts[0];
    }
  }
}

} // namespace

TVideoDescriptor::~TVideoDescriptor()
{
  if (FFd >= 0) {
    close(FFd);
  }
}

TVideoDescriptor& TVideoDescriptor::operator=(TVideoDescriptor&& Other) noexcept
{
  if (this != &Other) {
    if (FFd >= 0) {
      close(FFd);
    }
    FFd = Other.Release();
  }
  return *this;
}

TVideoDescriptor OpenVideoDescriptor(const std::string& Path)
{
  const int Fd = open(Path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (Fd < 0) {
    throw EVideo(std::string("The file cannot be opened: ") + std::strerror(errno));
  }
  return TVideoDescriptor(Fd);
}

// Nanoseconds of processor time the calling thread has used.
std::int64_t ThreadWorkNanoseconds()
{
  timespec Now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &Now);
  return static_cast<std::int64_t>(Now.tv_sec) * 1'000'000'000 + Now.tv_nsec;
}

// The checked descriptor every reader of one file reads through, and the
// budget they share.
struct TVideoFile::TSource {
  enum class TLimit { None, Bytes, Time, WallTime };
  using TClock = std::chrono::steady_clock;

  TVideoDescriptor File;
  const std::atomic<bool>* Cancel = nullptr;
  TReadBudget Budget;
  std::atomic<std::uint64_t> Read{0};
  // Processor time of the readers' finished steps, in nanoseconds.
  std::atomic<std::int64_t> Worked{0};
  std::atomic<TClock::rep> Start{TClock::now().time_since_epoch().count()};
  std::atomic<TLimit> Reached{TLimit::None};

  TSource(TVideoDescriptor Checked, const std::atomic<bool>* CancelFlag, const TReadBudget& Limits)
      : File(std::move(Checked)), Cancel(CancelFlag), Budget(Limits)
  {
    if (File.Get() < 0) {
      throw EVideo("The file is not open");
    }
    struct stat Status {};
    if (fstat(File.Get(), &Status) != 0) {
      throw EVideo(std::string("The file cannot be read: ") + std::strerror(errno));
    }
    if (!S_ISREG(Status.st_mode)) {
      throw EVideo(NotRegularMessage(Status.st_mode));
    }
  }

  bool Cancelled() const { return Cancel != nullptr && Cancel->load(); }
  // True once the look is cancelled or its budget is spent, Working being
  // the processor time of the calling reader's step so far; which limit was
  // reached is kept for the message.
  bool Stopped(std::int64_t Working)
  {
    if (Cancelled() || Reached.load() != TLimit::None) {
      return true;
    }
    if (Read.load() >= Budget.Bytes) {
      Reached = TLimit::Bytes;
      return true;
    }
    if (std::chrono::nanoseconds(Worked.load() + Working) > Budget.Time) {
      Reached = TLimit::Time;
      return true;
    }
    const TClock::duration Spent(TClock::now().time_since_epoch().count() - Start.load());
    if (Spent > Budget.WallTime) {
      Reached = TLimit::WallTime;
      return true;
    }
    return false;
  }
  void Renew()
  {
    Read = 0;
    Worked = 0;
    Start = TClock::now().time_since_epoch().count();
    Reached = TLimit::None;
  }
  [[noreturn]] void ThrowReached() const
  {
    const TLimit Limit = Reached.load();
    if (Limit == TLimit::Bytes) {
      throw EVideoBudget("no picture found in the first " + std::to_string(Budget.Bytes >> 20) + " MB");
    }
    const bool Working = Limit == TLimit::Time;
    const auto Seconds =
        std::chrono::duration_cast<std::chrono::duration<double>>(Working ? Budget.Time : Budget.WallTime)
            .count();
    char Text[80];
    std::snprintf(Text, sizeof Text, "no picture found in %g seconds of %s", Seconds,
                  Working ? "processor time" : "reading");
    throw EVideoBudget(Text);
  }
};

struct TVideoFile::TState {
  std::shared_ptr<TSource> Source;
  std::int64_t Position = 0; // of this reader's next read
  std::unique_ptr<AVIOContext, TIoFreer> Io;
  std::unique_ptr<AVFormatContext, TFormatCloser> Format;
  std::unique_ptr<AVCodecContext, TCodecFreer> Codec;
  std::unique_ptr<AVPacket, TPacketFreer> Packet;
  int Stream = -1;
  AVRational TimeBase{1, 1};
  std::int64_t StartStamp = 0;
  double Duration = 0;
  double SampleAspect = 1;
  // The coded size of the key frame the last frame was decoded from.
  std::size_t KeyFrameBytes = 0;

  // The processor time of this reader's step is counted from StepStart,
  // taken on the thread that reads; -1 between steps.
  std::int64_t StepStart = -1;

  std::int64_t Working() const { return StepStart < 0 ? 0 : ThreadWorkNanoseconds() - StepStart; }
  bool Stopped() const { return Source->Stopped(Working()); }
  // Runs one step of this reader (opening, finding a frame), its processor
  // time counted towards the budget.
  template <class TWork> auto Step(TWork Work)
  {
    struct TEnd {
      TState& State;
      explicit TEnd(TState& Owner) : State(Owner) {}
      TEnd(const TEnd&) = delete;
      TEnd& operator=(const TEnd&) = delete;
      ~TEnd()
      {
        State.Source->Worked += State.Working();
        State.StepStart = -1;
      }
    };
    StepStart = ThreadWorkNanoseconds();
    const TEnd End(*this);
    return Work();
  }
  // Throws when the look is cancelled or its budget is spent.
  void CheckStop() const
  {
    if (!Stopped()) {
      return;
    }
    if (Source->Cancelled()) {
      throw EVideoCancelled();
    }
    Source->ThrowReached();
  }
  static int ReadPacket(void* Opaque, std::uint8_t* Buffer, int Size);
  static std::int64_t SeekPacket(void* Opaque, std::int64_t Offset, int Whence);
  static int Interrupt(void* Opaque);
  double SecondsOf(std::int64_t Stamp) const
  {
    return static_cast<double>(Stamp - StartStamp) * av_q2d(TimeBase);
  }
  // Opens the demuxer and the decoder; Like, when given, is another reader
  // of the same file, whose findings are taken instead of reading ahead
  // for them again (which decodes frames).
  void Open(const TState* Like);
  void OpenStream();
  void TakeStream(const TState& Like);
  void OpenDecoder();
  void Seek(double Seconds);
  // Reads packets and decodes until the frame asked for comes out or the
  // work runs out.
  TFramePtr Decode(double Seconds, bool Exact);
  // Reads on to the last key frame at or before Seconds and decodes it alone.
  TFramePtr DecodeKeyFrame(double Seconds);
  TFramePtr ReceiveFrame();
  // The frame shown at Seconds (clamped to the video), and its time.
  std::pair<TFramePtr, double> FrameAt(double Seconds, bool Exact);
};

int TVideoFile::TState::ReadPacket(void* Opaque, std::uint8_t* Buffer, int Size)
{
  TState& State = *static_cast<TState*>(Opaque);
  TSource& Source = *State.Source;
  if (Size <= 0) {
    return 0;
  }
  if (State.Stopped()) {
    return AVERROR_EXIT;
  }
  const std::uint64_t Left = Source.Budget.Bytes - std::min(Source.Budget.Bytes, Source.Read.load());
  const auto Count =
      static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(Size), Left));
  ssize_t Done = 0;
  do {
    Done = pread(Source.File.Get(), Buffer, Count, static_cast<off_t>(State.Position));
  } while (Done < 0 && errno == EINTR);
  if (Done < 0) {
    return AVERROR(errno);
  }
  if (Done == 0) {
    return AVERROR_EOF;
  }
  State.Position += Done;
  Source.Read += static_cast<std::uint64_t>(Done);
  return static_cast<int>(Done);
}

std::int64_t TVideoFile::TState::SeekPacket(void* Opaque, std::int64_t Offset, int Whence)
{
  TState& State = *static_cast<TState*>(Opaque);
  struct stat Status {};
  if ((Whence & AVSEEK_SIZE) != 0 || (Whence & ~AVSEEK_FORCE) == SEEK_END) {
    if (fstat(State.Source->File.Get(), &Status) != 0) {
      return AVERROR(errno);
    }
    if ((Whence & AVSEEK_SIZE) != 0) {
      return Status.st_size;
    }
  }
  std::int64_t Base = 0;
  switch (Whence & ~AVSEEK_FORCE) {
  case SEEK_SET:
    break;
  case SEEK_CUR:
    Base = State.Position;
    break;
  case SEEK_END:
    Base = Status.st_size;
    break;
  default:
    return AVERROR(EINVAL);
  }
  std::int64_t Target = 0;
  if (__builtin_add_overflow(Base, Offset, &Target) || Target < 0) {
    return AVERROR(EINVAL);
  }
  State.Position = Target;
  return Target;
}

int TVideoFile::TState::Interrupt(void* Opaque)
{
  return static_cast<const TState*>(Opaque)->Stopped() ? 1 : 0;
}

void TVideoFile::TState::Open(const TState* Like)
{
  auto* Buffer = static_cast<unsigned char*>(av_malloc(IoBufferSize));
  if (Buffer == nullptr) {
    throw EVideo("Out of memory");
  }
  Io.reset(avio_alloc_context(Buffer, IoBufferSize, 0, this, ReadPacket, nullptr, SeekPacket));
  if (!Io) {
    av_free(Buffer);
    throw EVideo("Out of memory");
  }
  AVFormatContext* Context = avformat_alloc_context();
  if (Context == nullptr) {
    throw EVideo("Out of memory");
  }
  Context->pb = Io.get();
  Context->flags |= AVFMT_FLAG_CUSTOM_IO;
  Context->io_open = RefuseOpen;
  Context->interrupt_callback.callback = Interrupt;
  Context->interrupt_callback.opaque = this;
  // On failure the context is freed; the reading context stays ours.
  const int Opened = avformat_open_input(&Context, "", nullptr, nullptr);
  if (Opened < 0) {
    CheckStop();
    throw EVideo("The file cannot be opened as a video");
  }
  Format.reset(Context);
  if (Like != nullptr) {
    TakeStream(*Like);
  } else {
    OpenStream();
  }
  OpenDecoder();
}

void TVideoFile::TState::TakeStream(const TState& Like)
{
  if (Like.Stream < 0 || static_cast<unsigned>(Like.Stream) >= Format->nb_streams ||
      avcodec_parameters_copy(Format->streams[Like.Stream]->codecpar,
                              Like.Format->streams[Like.Stream]->codecpar) < 0) {
    throw EVideo("The file's streams cannot be read");
  }
  Stream = Like.Stream;
  TimeBase = Like.TimeBase;
  StartStamp = Like.StartStamp;
  Duration = Like.Duration;
  SampleAspect = Like.SampleAspect;
}

void TVideoFile::TState::OpenStream()
{
  AVFormatContext* Context = Format.get();
  StatePixelFormats(*Context);
  // A frame decoded to learn the parameters is thrown away: it is decoded
  // in one thread (as by default) and without the loop filter. A frame
  // larger than 4K is not decoded at all, only its headers are read: what
  // its decoding would add (the pixel format, the reordering a stream
  // without that stated needs) each decoder finds out by itself.
  std::vector<AVDictionary*> Options(Context->nb_streams, nullptr);
  for (unsigned Index = 0; Index < Context->nb_streams; ++Index) {
    AVDictionary*& StreamOptions = Options[Index];
    av_dict_set(&StreamOptions, "threads", "1", 0);
    av_dict_set(&StreamOptions, "skip_loop_filter", "all", 0);
    const AVCodecParameters& Parameters = *Context->streams[Index]->codecpar;
    if (static_cast<long long>(Parameters.width) * Parameters.height > LargeFramePixels) {
      av_dict_set(&StreamOptions, "skip_frame", "all", 0);
    }
  }
  const int Found = avformat_find_stream_info(Context, Options.data());
  for (AVDictionary*& StreamOptions : Options) {
    av_dict_free(&StreamOptions);
  }
  if (Found < 0) {
    CheckStop();
    throw EVideo("The file's streams cannot be read");
  }
  Stream = av_find_best_stream(Context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (Stream < 0) {
    throw EVideo("The file holds no video stream");
  }
  const AVStream* Video = Context->streams[Stream];
  TimeBase = Video->time_base;
  if (TimeBase.num <= 0 || TimeBase.den <= 0) {
    throw EVideo("The file's video has no time base");
  }
  StartStamp = Video->start_time == AV_NOPTS_VALUE ? 0 : Video->start_time;
  if (Context->duration != AV_NOPTS_VALUE && Context->duration > 0) {
    Duration = static_cast<double>(Context->duration) / AV_TIME_BASE;
  } else if (Video->duration != AV_NOPTS_VALUE && Video->duration > 0) {
    Duration = static_cast<double>(Video->duration) * av_q2d(TimeBase);
  }
  const AVRational Sample = av_guess_sample_aspect_ratio(Context, const_cast<AVStream*>(Video), nullptr);
  if (Sample.num > 0 && Sample.den > 0) {
    SampleAspect = av_q2d(Sample);
  }
}

void TVideoFile::TState::OpenDecoder()
{
  const AVCodecParameters* Parameters = Format->streams[Stream]->codecpar;
  const AVCodec* Decoder = avcodec_find_decoder(Parameters->codec_id);
  if (Decoder == nullptr) {
    throw EVideo("The file's video format cannot be decoded");
  }
  Codec.reset(avcodec_alloc_context3(Decoder));
  Packet.reset(av_packet_alloc());
  if (!Codec || !Packet) {
    throw EVideo("Out of memory");
  }
  if (avcodec_parameters_to_context(Codec.get(), Parameters) < 0) {
    throw EVideo("The file's video format cannot be decoded");
  }
  // One frame at a time: a single thread hands each frame out at once
  // instead of holding several back.
  Codec->thread_count = 1;
  // A file may announce any frame size; nothing larger than 8K is decoded,
  // so one frame never takes more than a few hundred megabytes.
  Codec->max_pixels = MaxFramePixels;
  Codec->pkt_timebase = TimeBase;
  if (avcodec_open2(Codec.get(), Decoder, nullptr) < 0) {
    throw EVideo("The file's video format cannot be decoded");
  }
  if (Codec->width <= 0 || Codec->height <= 0) {
    throw EVideo("The file's video has no picture size");
  }
}

void TVideoFile::TState::Seek(double Seconds)
{
  const auto Target = StartStamp + static_cast<std::int64_t>(std::floor(Seconds / av_q2d(TimeBase)));
  if (av_seek_frame(Format.get(), Stream, Target, AVSEEK_FLAG_BACKWARD) < 0 &&
      avformat_seek_file(Format.get(), Stream, INT64_MIN, Target, Target, 0) < 0) {
    CheckStop();
    // A file without an index that cannot be searched either: read from
    // the start, which is cheap exactly when the time asked for is early.
    if (av_seek_frame(Format.get(), Stream, StartStamp, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_BYTE) < 0) {
      throw EVideo("The video cannot be searched");
    }
  }
  avcodec_flush_buffers(Codec.get());
}

TFramePtr TVideoFile::TState::ReceiveFrame()
{
  TFramePtr Frame = NewFrame();
  if (avcodec_receive_frame(Codec.get(), Frame.get()) != 0) {
    return nullptr;
  }
  Frame->pts = Frame->best_effort_timestamp;
  return Frame;
}

TFramePtr TVideoFile::TState::DecodeKeyFrame(double Seconds)
{
  std::unique_ptr<AVPacket, TPacketFreer> Chosen(av_packet_alloc());
  if (!Chosen) {
    throw EVideo("Out of memory");
  }
  // The seek lands on an index entry, which may lie well before the time
  // where the index is coarse or missing: key frames further back than a
  // usual key frame spacing are read past, undecoded. The first one near
  // the time is taken without reading on to the next.
  const double Slack = Duration > 0 ? std::min(KeyFrameSlack, Duration / 20) : KeyFrameSlack;
  const double Earliest = Seconds - Slack;
  bool Have = false;
  for (int Packets = 0; Packets < MaxKeyFramePackets; ++Packets) {
    CheckStop();
    if (av_read_frame(Format.get(), Packet.get()) < 0) {
      CheckStop();
      break;
    }
    if (Packet->stream_index != Stream) {
      av_packet_unref(Packet.get());
      continue;
    }
    // Decoding times only grow and a frame is never shown before it is
    // decoded: once a packet is decoded after the time, no key frame still
    // to come is shown at or before it, and reading on to the next one
    // (at 8K as large as the frame taken) would be wasted.
    if (Have && Packet->dts != AV_NOPTS_VALUE && SecondsOf(Packet->dts) > Seconds + 1e-3) {
      av_packet_unref(Packet.get());
      break;
    }
    if ((Packet->flags & AV_PKT_FLAG_KEY) == 0) {
      av_packet_unref(Packet.get());
      continue;
    }
    const std::int64_t Stamp = Packet->pts != AV_NOPTS_VALUE ? Packet->pts : Packet->dts;
    if (Have && Stamp != AV_NOPTS_VALUE && SecondsOf(Stamp) > Seconds + 1e-3) {
      av_packet_unref(Packet.get());
      break;
    }
    av_packet_unref(Chosen.get());
    av_packet_move_ref(Chosen.get(), Packet.get());
    Have = true;
    if (Stamp == AV_NOPTS_VALUE || SecondsOf(Stamp) >= Earliest) {
      break;
    }
  }
  if (!Have) {
    throw EVideo("No picture of the video can be decoded there");
  }
  KeyFrameBytes = static_cast<std::size_t>(Chosen->size);
  avcodec_send_packet(Codec.get(), Chosen.get());
  TFramePtr Frame = ReceiveFrame();
  if (!Frame) {
    // A decoder that holds frames back hands this one out when drained.
    avcodec_send_packet(Codec.get(), nullptr);
    Frame = ReceiveFrame();
  }
  if (!Frame) {
    throw EVideo("No picture of the video can be decoded there");
  }
  return Frame;
}

TFramePtr TVideoFile::TState::Decode(double Seconds, bool Exact)
{
  if (!Exact) {
    return DecodeKeyFrame(Seconds);
  }
  TFramePtr Last;
  bool KeySeen = false;
  bool Draining = false;
  for (int Packets = 0; Packets < MaxExactPackets; ++Packets) {
    CheckStop();
    if (!Draining) {
      const int Read = av_read_frame(Format.get(), Packet.get());
      if (Read < 0) {
        CheckStop();
        Draining = true;
        avcodec_send_packet(Codec.get(), nullptr);
      } else {
        // Packets before the first key frame after a seek decode into grey
        // guesses, so they are not fed to the decoder at all.
        const bool Wanted =
            Packet->stream_index == Stream && (KeySeen || (Packet->flags & AV_PKT_FLAG_KEY) != 0);
        if (Wanted) {
          if (!KeySeen) {
            KeyFrameBytes = static_cast<std::size_t>(Packet->size);
          }
          KeySeen = true;
          avcodec_send_packet(Codec.get(), Packet.get());
        }
        av_packet_unref(Packet.get());
      }
    }
    // The frame shown at a time is the last one that starts at or before
    // it, known once the frame after it comes out.
    while (TFramePtr Frame = ReceiveFrame()) {
      const double At = Frame->pts == AV_NOPTS_VALUE ? Seconds : SecondsOf(Frame->pts);
      if (At > Seconds + 1e-3) {
        return Last ? std::move(Last) : std::move(Frame);
      }
      Last = std::move(Frame);
    }
    if (Draining) {
      break;
    }
  }
  if (Last) {
    return Last;
  }
  throw EVideo("No picture of the video can be decoded there");
}

TVideoFile::TVideoFile(std::shared_ptr<TSource> Source, const TState* Like)
    : FState(std::make_unique<TState>())
{
  QuietLibraries();
  FState->Source = std::move(Source);
  FState->Step([&] { FState->Open(Like); });
}

TVideoFile::TVideoFile(TVideoDescriptor File, const std::atomic<bool>* Cancel, const TReadBudget& Budget)
    : TVideoFile(std::make_shared<TSource>(std::move(File), Cancel, Budget), nullptr)
{
}

TVideoFile::TVideoFile(const std::string& Path, const std::atomic<bool>* Cancel, const TReadBudget& Budget)
    : TVideoFile(OpenVideoDescriptor(Path), Cancel, Budget)
{
}

TVideoFile::~TVideoFile() = default;

std::unique_ptr<TVideoFile> TVideoFile::SecondReader() const
{
  return std::unique_ptr<TVideoFile>(new TVideoFile(FState->Source, FState.get()));
}

void TVideoFile::RenewBudget()
{
  FState->Source->Renew();
  // A read the spent budget refused left the reading context marked.
  FState->Io->error = 0;
  FState->Io->eof_reached = 0;
}

double TVideoFile::Duration() const
{
  return FState->Duration;
}

int TVideoFile::Width() const
{
  return FState->Codec->width;
}

int TVideoFile::Height() const
{
  return FState->Codec->height;
}

double TVideoFile::DisplayAspect() const
{
  return static_cast<double>(Width()) * FState->SampleAspect / static_cast<double>(Height());
}

TVideoFrame TVideoFile::FrameAt(double Seconds, bool Exact)
{
  return FrameAt(Seconds, Exact, 0, 0);
}

std::pair<TFramePtr, double> TVideoFile::TState::FrameAt(double Seconds, bool Exact)
{
  if (!(Seconds > 0)) {
    Seconds = 0;
  }
  if (Duration > 0) {
    Seconds = std::min(Seconds, Duration);
  }
  return Step([&] {
    Seek(Seconds);
    TFramePtr Frame = Decode(Seconds, Exact);
    const double At = Frame->pts == AV_NOPTS_VALUE ? Seconds : std::max(0.0, SecondsOf(Frame->pts));
    return std::pair<TFramePtr, double>(std::move(Frame), At);
  });
}

TVideoFrame TVideoFile::FrameAt(double Seconds, bool Exact, int MaxWidth, int MaxHeight)
{
  auto [Frame, At] = FState->FrameAt(Seconds, Exact);
  const int Factor = ShrinkFactor(*Frame, MaxWidth, MaxHeight);
  TVideoFrame Result;
  Result.Seconds = At;
  Result.Image = ToRgb(*Frame, std::max(1, Frame->width / Factor), std::max(1, Frame->height / Factor),
                       Factor == 1 ? SWS_BICUBIC : SWS_AREA);
  return Result;
}

TGrayFrame TVideoFile::LumaAt(double Seconds, bool Exact, int MaxWidth, int MaxHeight)
{
  // The coded size stands for the frame's own until a frame is decoded; a
  // frame of another size mid-stream is still shrunk by its own factor.
  const int Expected = std::max({1, MaxWidth > 0 ? (Width() + MaxWidth - 1) / MaxWidth : 1,
                                 MaxHeight > 0 ? (Height() + MaxHeight - 1) / MaxHeight : 1});
  constexpr int SmoothedAway = 4;
  const TLoopFilterSkip Skip(*FState->Codec, Expected >= SmoothedAway);
  const std::pair<TFramePtr, double> Decoded = FState->FrameAt(Seconds, Exact);
  const AVFrame& Frame = *Decoded.first;
  const int Factor = ShrinkFactor(Frame, MaxWidth, MaxHeight);
  TGrayFrame Result;
  Result.Seconds = Decoded.second;
  Result.KeyFrameBytes = FState->KeyFrameBytes;
  Result.Image = ToGray(Frame, std::max(1, Frame.width / Factor), std::max(1, Frame.height / Factor));
  return Result;
}

TRgbImage ScaleImage(const TRgbImage& Image, int Width, int Height)
{
  return ScaleImagePart(Image, {0, 0, Image.Width, Image.Height}, Width, Height);
}

TRgbImage ScaleImagePart(const TRgbImage& Image, const TImagePart& Part, int Width, int Height)
{
  const auto Inside = [](int Start, int Length, int Whole) {
    return Start >= 0 && Length > 0 && Length <= Whole && Start <= Whole - Length;
  };
  if (Image.Empty() || Width <= 0 || Height <= 0 || !Inside(Part.X, Part.Width, Image.Width) ||
      !Inside(Part.Y, Part.Height, Image.Height) ||
      Image.Pixels.size() / 3 / static_cast<std::size_t>(Image.Width) <
          static_cast<std::size_t>(Image.Height)) {
    throw EVideo("A picture of no size cannot be scaled");
  }
  // The frame only borrows the part's pixels: it owns no buffer, so
  // freeing it leaves them alone.
  const auto Row = static_cast<std::size_t>(Image.Width) * 3;
  TFramePtr Source = NewFrame();
  Source->width = Part.Width;
  Source->height = Part.Height;
  Source->format = AV_PIX_FMT_RGB24;
  Source->data[0] = const_cast<std::uint8_t*>(Image.Pixels.data()) + Row * static_cast<std::size_t>(Part.Y) +
                    static_cast<std::size_t>(Part.X) * 3;
  Source->linesize[0] = Image.Width * 3;
  const bool Shrinks = Width <= Part.Width && Height <= Part.Height;
  return ToRgb(*Source, Width, Height, Shrinks ? SWS_AREA : SWS_BICUBIC);
}

} // namespace Quillmark
