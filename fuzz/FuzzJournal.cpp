// Fuzz target: arbitrary bytes as a journal found beside a video. The
// journal is decoded and checked against a video held in memory; when the
// check accepts it, it is rolled back onto the video, which must then
// differ from the original only inside its header region: whatever a
// journal says, the media after the header stay as they were.
//
// The first input byte steers the fuzzer past the checks a random journal
// cannot pass: bit 0 makes the checksum right, bit 1 names the video's
// inode, bit 2 gives the video's size as the size before the save (less the
// room the journal records, with bit 3). Bit 3 takes the video as a save
// that inserted 4 KiB of room at its start left it, so that a rollback
// collapses room; the video is then a file on a disk that can do that.
// Bit 4 wraps the journal, once steered, as the one record of a journal
// shared by a batch, and every record of a shared journal is tried. A
// relocation journal is rolled back whenever it names the video.
#include "JournalVideo.h"
#include "asf/JournalCheck.h"
#include "fs/Crc32.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

using namespace Quillmark::Asf;

namespace {

constexpr std::size_t InodeAt = 24;
constexpr std::size_t SizeAt = 32;
constexpr std::size_t RoomAt = 48;

void PutLe(std::vector<std::uint8_t>& Bytes, std::size_t At, std::uint64_t Value, int Count)
{
  for (int Index = 0; Index < Count; ++Index) {
    Bytes[At + static_cast<std::size_t>(Index)] = static_cast<std::uint8_t>(Value >> (8 * Index));
  }
}

std::uint64_t GetLe(const std::vector<std::uint8_t>& Bytes, std::size_t At)
{
  std::uint64_t Value = 0;
  for (int Index = 7; Index >= 0; --Index) {
    Value = (Value << 8) | Bytes[At + static_cast<std::size_t>(Index)];
  }
  return Value;
}

struct TVideo {
  int Fd = -1;
  std::vector<std::uint8_t> Plain = QuillmarkFuzz::JournalVideo();
  std::vector<std::uint8_t> Inserted = QuillmarkFuzz::JournalVideoWithRoom();
  const std::vector<std::uint8_t>* Bytes = &Plain;
  struct stat Info {};

  TVideo()
  {
    Fd = open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (Fd < 0) {
      Fd = memfd_create("video", MFD_CLOEXEC);
    }
    if (Fd < 0) {
      std::abort();
    }
  }
  void Reset(bool WithRoom)
  {
    Bytes = WithRoom ? &Inserted : &Plain;
    if (ftruncate(Fd, 0) != 0 ||
        pwrite(Fd, Bytes->data(), Bytes->size(), 0) != static_cast<ssize_t>(Bytes->size()) ||
        fstat(Fd, &Info) != 0) {
      std::abort();
    }
  }
  std::vector<std::uint8_t> Now() const
  {
    struct stat Now {};
    if (fstat(Fd, &Now) != 0) {
      std::abort();
    }
    std::vector<std::uint8_t> Out(static_cast<std::size_t>(Now.st_size));
    if (pread(Fd, Out.data(), Out.size(), 0) != static_cast<ssize_t>(Out.size())) {
      std::abort();
    }
    return Out;
  }
};

void Steer(std::uint8_t Flags, std::vector<std::uint8_t>& Journal, const struct stat& Info)
{
  if (Journal.size() < JournalFixedSize + 4) {
    return;
  }
  if ((Flags & 2) != 0) {
    PutLe(Journal, InodeAt, static_cast<std::uint64_t>(Info.st_ino), 8);
  }
  if ((Flags & 4) != 0) {
    std::uint64_t Room = (Flags & 8) != 0 ? GetLe(Journal, RoomAt) : 0;
    PutLe(Journal, SizeAt, static_cast<std::uint64_t>(Info.st_size) - Room, 8);
  }
  if ((Flags & 1) != 0) {
    std::size_t CrcAt = Journal.size() - 4;
    PutLe(Journal, CrcAt, Crc32(Journal.data(), CrcAt), 4);
  }
}

// A shared journal with Record as its only record.
std::vector<std::uint8_t> AsShared(const std::vector<std::uint8_t>& Record)
{
  std::vector<std::uint8_t> Out = {'Q', 'M', 'K', 'J', 'R', 'N', 'L', 0x1A, 4, 0, 0, 0, 1, 0, 0, 0};
  Out.resize(Out.size() + 8);
  PutLe(Out, Out.size() - 8, Record.size(), 8);
  Out.insert(Out.end(), Record.begin(), Record.end());
  Out.resize(Out.size() + 4);
  PutLe(Out, Out.size() - 4, Crc32(Out.data(), Out.size() - 4), 4);
  return Out;
}

// After a rollback the file is the journal's old header, then exactly
// what followed the header region before.
void CheckOnlyTheHeaderChanged(const TJournal& Journal, const TVideo& Video)
{
  std::vector<std::uint8_t> After = Video.Now();
  std::uint64_t Old = GetLe(Journal.OldHeader, 16);
  bool Inserted = Journal.Kind == TJournalKind::InsertRange &&
                  Video.Bytes->size() == Journal.OriginalSize + Journal.InsertLength;
  std::uint64_t Region = Inserted ? Old + Journal.InsertLength : Old;
  if (After.size() < Journal.OldHeader.size() ||
      std::memcmp(After.data(), Journal.OldHeader.data(), Journal.OldHeader.size()) != 0 ||
      After.size() - Old != Video.Bytes->size() - Region ||
      std::memcmp(After.data() + Old, Video.Bytes->data() + Region, After.size() - Old) != 0) {
    std::abort();
  }
}

// A relocation (a Matroska save's) is never an ASF header's; its rollback
// puts back the old bytes of both ranges and the old length, and touches
// nothing else.
void CheckRelocationRollBack(const TJournal& Journal, TVideo& Video)
{
  const std::optional<TJournalRanges> Ranges = RelocateRanges(Journal);
  if (!Ranges) {
    std::abort(); // decoded, so its ranges agree
  }
  if (!JournalBelongsTo(Journal, Video.Info, TJournalWhere::Beside) ||
      RollBack(PosixFileSystem(), Video.Fd, Journal) != 0) {
    return;
  }
  std::vector<std::uint8_t> Expected = *Video.Bytes;
  Expected.resize(static_cast<std::size_t>(Journal.OriginalSize));
  const auto Old = Journal.OldHeader.begin();
  std::copy(Old, Old + static_cast<long>(Ranges->Head), Expected.begin());
  std::copy(Old + static_cast<long>(Ranges->Head), Journal.OldHeader.end(),
            Expected.begin() + static_cast<long>(Ranges->FarOffset));
  if (Video.Now() != Expected) {
    std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
  static TVideo Video;
  if (Size == 0) {
    return 0;
  }
  Video.Reset((Data[0] & 8) != 0);
  std::vector<std::uint8_t> Bytes(Data + 1, Data + Size);
  Steer(Data[0], Bytes, Video.Info);
  if ((Data[0] & 16) != 0) {
    Bytes = AsShared(Bytes);
  }
  std::optional<std::vector<TJournal>> Records = DecodeJournalSet(Bytes);
  if (!Records) {
    return 0;
  }
  IFileSystem& Fs = PosixFileSystem();
  for (const TJournal& Journal : *Records) {
    Video.Reset((Data[0] & 8) != 0);
    if (Journal.Kind == TJournalKind::Relocate) {
      TJournalVerdict Verdict = TJournalVerdict::RollBack;
      if (CheckJournal(Fs, Video.Fd, Journal, TJournalWhere::Beside, Verdict) != 0 ||
          Verdict != TJournalVerdict::NotThisFile) {
        std::abort();
      }
      CheckRelocationRollBack(Journal, Video);
      continue;
    }
    TJournalVerdict Verdict = TJournalVerdict::NotThisFile;
    if (CheckJournal(Fs, Video.Fd, Journal, TJournalWhere::Beside, Verdict) != 0) {
      std::abort(); // a video in memory always reads
    }
    if (Verdict == TJournalVerdict::Completed && Video.Now() != *Video.Bytes) {
      std::abort(); // checking never writes
    }
    if (Verdict == TJournalVerdict::RollBack && RollBack(Fs, Video.Fd, Journal) == 0) {
      CheckOnlyTheHeaderChanged(Journal, Video);
    }
  }
  return 0;
}
