// Saving a header: in place, by inserting blocks, and by copying the file,
// on a 4 MiB and a 2 GiB video. The videos are made once, of real
// (non-sparse) bytes, in QUILLMARK_BENCH_DIR (default: ./bench-data), and
// made again when a copying save has grown one, so every in-place save
// writes the same small header.
#include "asf/AsfGuids.h"
#include "asf/HeaderCommit.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <linux/falloc.h>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;
using TBytes = std::vector<std::uint8_t>;

const TBytes HeaderGuid(Guids::Header.Bytes.begin(), Guids::Header.Bytes.end());
const TBytes DataGuid(Guids::Data.Bytes.begin(), Guids::Data.Bytes.end());
const TBytes PaddingGuid(Guids::Padding.Bytes.begin(), Guids::Padding.Bytes.end());
const TBytes UnknownGuid = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                            0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
constexpr std::size_t StartHeaderPayload = 4000;
constexpr std::size_t StartPadding = 16384;

void PutQword(std::uint8_t* At, std::uint64_t Value)
{
  for (int Index = 0; Index < 8; ++Index) {
    At[Index] = static_cast<std::uint8_t>(Value >> (8 * Index));
  }
}

std::uint64_t GetQword(const std::uint8_t* At)
{
  std::uint64_t Value = 0;
  for (int Index = 7; Index >= 0; --Index) {
    Value = (Value << 8) | At[Index];
  }
  return Value;
}

TBytes Object(const TBytes& Guid, std::size_t Payload, std::uint8_t Fill = 0x5A)
{
  TBytes Out = Guid;
  Out.resize(24 + Payload, Fill);
  PutQword(Out.data() + 16, Out.size());
  return Out;
}

// A Header Object holding one unknown object, and a padding object if asked.
TBytes Header(std::size_t Payload, std::size_t Padding, std::uint8_t Fill = 0x5A)
{
  TBytes Out = HeaderGuid;
  Out.resize(30, 0);
  Out[24] = Padding > 0 ? 2 : 1;
  Out[28] = 1;
  Out[29] = 2;
  TBytes Unknown = Object(UnknownGuid, Payload, Fill);
  Out.insert(Out.end(), Unknown.begin(), Unknown.end());
  if (Padding > 0) {
    TBytes Pad = Object(PaddingGuid, Padding - 24);
    std::fill(Pad.begin() + 24, Pad.end(), 0);
    Out.insert(Out.end(), Pad.begin(), Pad.end());
  }
  PutQword(Out.data() + 16, Out.size());
  return Out;
}

void WriteAll(int Fd, const std::uint8_t* Data, std::size_t Size)
{
  while (Size > 0) {
    ssize_t Done = ::write(Fd, Data, Size);
    if (Done <= 0) {
      throw std::runtime_error("write failed");
    }
    Data += Done;
    Size -= static_cast<std::size_t>(Done);
  }
}

// Header, then a Data Object of pseudo-random bytes up to Size.
void MakeVideo(const std::string& Path, std::uint64_t Size)
{
  int Fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  TBytes Head = Header(StartHeaderPayload, StartPadding);
  TBytes Data = DataGuid;
  Data.resize(50, 0);
  PutQword(Data.data() + 16, Size - Head.size());
  Head.insert(Head.end(), Data.begin(), Data.end());
  WriteAll(Fd, Head.data(), Head.size());
  std::vector<std::uint64_t> Chunk(512 * 1024);
  std::uint64_t State = 0x9E3779B97F4A7C15ULL;
  for (std::uint64_t Left = Size - Head.size(); Left > 0;) {
    for (std::uint64_t& Word : Chunk) {
      State ^= State << 13;
      State ^= State >> 7;
      State ^= State << 17;
      Word = State;
    }
    std::size_t Step = static_cast<std::size_t>(std::min<std::uint64_t>(Left, Chunk.size() * 8));
    WriteAll(Fd, reinterpret_cast<const std::uint8_t*>(Chunk.data()), Step);
    Left -= Step;
  }
  ::fsync(Fd);
  ::close(Fd);
}

// Kind names the file: the in-place and inserting rounds share one that
// always has the starting header; copying saves grow theirs a little each
// time and keep it while it is less than 64 MiB over its size.
std::string VideoPath(const std::string& Kind, std::uint64_t Size)
{
  const char* Dir = std::getenv("QUILLMARK_BENCH_DIR");
  std::filesystem::path Folder = Dir != nullptr ? Dir : "bench-data";
  std::filesystem::create_directories(Folder);
  std::string Path = (Folder / (Kind + "-" + std::to_string(Size >> 20) + "MiB.wmv")).string();
  struct stat Info {};
  bool Exists = ::stat(Path.c_str(), &Info) == 0;
  auto Found = static_cast<std::uint64_t>(Info.st_size);
  bool Grown = Kind == "copy" && Found > Size && Found - Size < (64ULL << 20);
  if (!Exists || (Found != Size && !Grown)) {
    MakeVideo(Path, Size);
  }
  return Path;
}

// This VM hands free memory back to its host, and the host backs a page
// again only when it is next touched: a copy whose page cache lands in such
// memory runs several times slower, whichever tool makes it. Touching the
// memory a 2 GiB copy needs just before timing it puts every tool on the
// same footing (compare_save.sh does the same for cp). Not when the peak
// memory of the save itself is measured (QUILLMARK_BENCH_NO_WARM set).
void WarmMemory(std::uint64_t Bytes)
{
  if (std::getenv("QUILLMARK_BENCH_NO_WARM") != nullptr) {
    return;
  }
  void* Area = ::mmap(nullptr, Bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (Area == MAP_FAILED) {
    return;
  }
  auto* Pages = static_cast<volatile std::uint8_t*>(Area);
  for (std::uint64_t At = 0; At < Bytes; At += 4096) {
    Pages[At] = 1;
  }
  ::munmap(Area, Bytes);
}

void Evict(const std::string& Path)
{
  int Fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd >= 0) {
    ::posix_fadvise(Fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(Fd);
  }
}

std::uint64_t HeaderSizeOf(int Fd)
{
  std::uint8_t Fixed[24];
  if (::pread(Fd, Fixed, sizeof Fixed, 0) != static_cast<ssize_t>(sizeof Fixed)) {
    throw std::runtime_error("cannot read the header");
  }
  return GetQword(Fixed + 16);
}

class TOpenFile {
public:
  explicit TOpenFile(const std::string& Path) : FFd(::open(Path.c_str(), O_RDWR | O_CLOEXEC))
  {
    struct flock Lock {};
    Lock.l_type = F_WRLCK;
    if (FFd < 0 || ::fcntl(FFd, F_OFD_SETLK, &Lock) != 0 || StampOf(FFd, FStamp) != S_OK) {
      throw std::runtime_error("cannot open " + Path);
    }
  }
  ~TOpenFile() { ::close(FFd); }
  TOpenFile(const TOpenFile&) = delete;
  TOpenFile& operator=(const TOpenFile&) = delete;

  TCommitRequest Request(const std::string& Path, std::size_t NewPayload, bool AllowInsert,
                         std::uint8_t Fill = 0x5A) const
  {
    TCommitRequest Request;
    Request.Path = Path;
    Request.Fd = FFd;
    Request.StampAtOpen = FStamp;
    Request.OldHeaderSize = HeaderSizeOf(FFd);
    Request.NewHeader.Bytes = Header(NewPayload, 0, Fill);
    Request.AllowInsertRange = AllowInsert;
    Request.AllowClone = AllowInsert; // the copying rounds copy on any file system
    return Request;
  }
  int Fd() const { return FFd; }

private:
  int FFd;
  TFileStamp FStamp;
};

void Commit(benchmark::State& State, const TCommitRequest& Request)
{
  if (HRESULT Result = CommitHeader(Request); Result != S_OK) {
    State.SkipWithError(ResultName(Result).c_str());
  }
}

// A header of the same size each time, its 4000 bytes changed: journal,
// one pwrite, fdatasync.
void BM_SaveInPlace(benchmark::State& State)
{
  std::string Path = VideoPath("save", static_cast<std::uint64_t>(State.range(0)) << 20);
  std::uint8_t Fill = 0;
  for (auto _ : State) {
    TOpenFile File(Path);
    std::uint64_t Old = HeaderSizeOf(File.Fd());
    Commit(State, File.Request(Path, static_cast<std::size_t>(Old) - 30 - 24 - 1000, true, ++Fill));
  }
}

// Grows past the padding by inserting blocks; the insert is taken out
// again, untimed, after each save.
void BM_SaveInsert(benchmark::State& State)
{
  std::string Path = VideoPath("save", static_cast<std::uint64_t>(State.range(0)) << 20);
  for (auto _ : State) {
    TOpenFile File(Path);
    TCommitRequest Request = File.Request(Path, 0, true);
    TBytes OldHeader(Request.OldHeaderSize);
    ::pread(File.Fd(), OldHeader.data(), OldHeader.size(), 0);
    struct stat Before {};
    ::fstat(File.Fd(), &Before);
    Request.NewHeader.Bytes = Header(static_cast<std::size_t>(Request.OldHeaderSize) + 8192, 0);
    Commit(State, Request);
    State.PauseTiming();
    struct stat After {};
    ::fstat(File.Fd(), &After);
    if (::fallocate(File.Fd(), FALLOC_FL_COLLAPSE_RANGE, 0, After.st_size - Before.st_size) != 0 ||
        ::pwrite(File.Fd(), OldHeader.data(), OldHeader.size(), 0) !=
            static_cast<ssize_t>(OldHeader.size())) {
      State.SkipWithError("cannot restore the file");
    }
    ::fdatasync(File.Fd());
    State.ResumeTiming();
  }
}

// Grows without inserting: the whole file is copied and renamed over.
void BM_SaveCopy(benchmark::State& State)
{
  std::string Path = VideoPath("copy", static_cast<std::uint64_t>(State.range(0)) << 20);
  for (auto _ : State) {
    // Each round starts with nothing left to write back from the one before
    // and the video out of the page cache, as a video not played lately is.
    State.PauseTiming();
    ::sync();
    Evict(Path);
    WarmMemory(3 * (static_cast<std::uint64_t>(State.range(0)) << 20));
    State.ResumeTiming();
    TOpenFile File(Path);
    TCommitRequest Request = File.Request(Path, 0, false);
    Request.NewHeader.Bytes = Header(static_cast<std::size_t>(Request.OldHeaderSize) + 100, 0);
    Commit(State, Request);
    // Each copy leaves a bigger header; a small video is made afresh so
    // every round copies the same, a big one grows by too little to matter.
    if (State.range(0) < 64) {
      State.PauseTiming();
      MakeVideo(Path, static_cast<std::uint64_t>(State.range(0)) << 20);
      State.ResumeTiming();
    }
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) * (State.range(0) << 20));
}

BENCHMARK(BM_SaveInPlace)->Arg(4)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveInsert)->Arg(4)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveCopy)->Arg(4)->Unit(benchmark::kMillisecond);
// One copy per run: compare_save.sh runs it in turns with cp.
BENCHMARK(BM_SaveCopy)->Arg(2048)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
