#include "asf/JournalCheck.h"

#include "asf/AsfGuids.h"
#include "asf/AsfHeader.h"
#include "asf/ByteReader.h"
#include "asf/PaddingPolicy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace Quillmark::Asf {

namespace {

// The most room a save inserts: the largest header's growth with its
// padding, rounded up to a block.
constexpr std::uint64_t MaxInsertLength = MaxHeaderSize + MaxGrowthPadding + 1024 * 1024;
// A journal holds the largest header and that room.
static_assert(MaxHeaderSize <= Fs::MaxJournalHeader && MaxInsertLength <= Fs::MaxJournalRoom);
constexpr std::uint64_t ReadPiece = 64 * 1024;

// Bytes of a header region as a save could have left them: pieces of the
// journal's bytes, and zeros (Bytes null).
struct TPiece {
  const std::uint8_t* Bytes = nullptr;
  std::uint64_t Length = 0;
};
using TImage = std::vector<TPiece>;

TImage Whole(const std::vector<std::uint8_t>& Bytes)
{
  return {TPiece{Bytes.data(), Bytes.size()}};
}

// Image with Length bytes from From taken out.
TImage Cut(const TImage& Image, std::uint64_t From, std::uint64_t Length)
{
  TImage Out;
  std::uint64_t At = 0;
  std::uint64_t To = From + Length;
  for (const TPiece& Piece : Image) {
    std::uint64_t End = At + Piece.Length;
    if (At < From) {
      Out.push_back({Piece.Bytes, std::min(End, From) - At});
    }
    if (End > To) {
      std::uint64_t Skip = std::max(At, To) - At;
      Out.push_back({Piece.Bytes == nullptr ? nullptr : Piece.Bytes + Skip, Piece.Length - Skip});
    }
    At = End;
  }
  return Out;
}

// Image with Length zeros put in at From (From at most its length).
TImage Insert(const TImage& Image, std::uint64_t From, std::uint64_t Length)
{
  TImage Out = Cut(Image, From, std::numeric_limits<std::uint64_t>::max() - From);
  Out.push_back({nullptr, Length});
  std::uint64_t Skip = From;
  for (const TPiece& Piece : Image) {
    std::uint64_t Take = std::min(Skip, Piece.Length);
    Skip -= Take;
    if (Take < Piece.Length) {
      Out.push_back({Piece.Bytes == nullptr ? nullptr : Piece.Bytes + Take, Piece.Length - Take});
    }
  }
  return Out;
}

// Count bytes of Image from Offset; past its end, zeros.
void CopyOut(const TImage& Image, std::uint64_t Offset, std::size_t Count, std::uint8_t* Out)
{
  std::memset(Out, 0, Count);
  std::uint64_t At = 0;
  for (const TPiece& Piece : Image) {
    std::uint64_t End = At + Piece.Length;
    std::uint64_t From = std::max(At, Offset);
    std::uint64_t To = std::min(End, Offset + Count);
    if (From < To && Piece.Bytes != nullptr) {
      std::memcpy(Out + (From - Offset), Piece.Bytes + (From - At), static_cast<std::size_t>(To - From));
    }
    At = End;
  }
}

// The size of the Header Object that Bytes begin; 0 when they begin none.
std::uint64_t HeaderSizeIn(const std::vector<std::uint8_t>& Bytes)
{
  if (Bytes.size() < ObjectHeaderSize || std::memcmp(Bytes.data(), Guids::Header.Bytes.data(), 16) != 0) {
    return 0;
  }
  std::uint64_t Size = LoadQword(Bytes, 16);
  return Size >= HeaderObjectFixedSize && Size <= MaxHeaderSize ? Size : 0;
}

// A collapse takes out whole blocks of zeros that both headers hold after
// every byte the journal records: nothing else could have been there.
bool SoundCollapse(const TJournal& Journal, std::uint64_t Old, std::uint64_t& New)
{
  const std::uint64_t From = Journal.InsertOffset;
  const std::uint64_t Length = Journal.InsertLength;
  if (Length == 0 || From > Old || Length > Old - From || Old - Length < HeaderObjectFixedSize) {
    return false;
  }
  New = Old - Length;
  return Journal.OldHeader.size() <= From && Journal.NewBytes.size() <= From &&
         HeaderSizeIn(Journal.NewBytes) == New;
}

// Where the header region ends before (Old) and after (New) the save;
// false when the journal is not one our saves write.
bool SoundShape(const TJournal& Journal, std::uint64_t& Old, std::uint64_t& New)
{
  Old = HeaderSizeIn(Journal.OldHeader);
  // A relocation is a Matroska save's: never an ASF header's.
  if (Journal.Kind == TJournalKind::Relocate || Old == 0 || Journal.OriginalSize < Old ||
      Journal.OriginalSize - Old < ObjectHeaderSize ||
      Journal.OriginalSize >
          static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) - MaxInsertLength) {
    return false;
  }
  if (Journal.Kind == TJournalKind::Overwrite) {
    New = Old;
    return Journal.OldHeader.size() <= Old && Journal.NewBytes.size() == Journal.OldHeader.size() &&
           HeaderSizeIn(Journal.NewBytes) == Old && Journal.InsertOffset == 0 && Journal.InsertLength == 0;
  }
  if (Journal.Kind == TJournalKind::CollapseRange) {
    return SoundCollapse(Journal, Old, New);
  }
  New = Old + Journal.InsertLength;
  return Journal.OldHeader.size() == Old && Journal.InsertOffset <= Old && Journal.InsertLength > 0 &&
         Journal.InsertLength <= MaxInsertLength && HeaderSizeIn(Journal.NewBytes) == New &&
         Journal.NewBytes.size() <= New;
}

int DataObjectAt(IFileSystem& Fs, int Fd, std::uint64_t Offset, bool& Found)
{
  std::uint8_t Guid[16];
  int Error = ReadExact(Fs, Fd, Guid, sizeof Guid, Offset);
  Found = Error == 0 && std::memcmp(Guid, Guids::Data.Bytes.data(), 16) == 0;
  return Error == ENODATA ? 0 : Error;
}

// Whether every sector of the first Length bytes of the file is A's or B's;
// AllB tells whether each is B's.
int EverySectorIs(IFileSystem& Fs, int Fd, std::uint64_t Length, const TImage& A, const TImage& B,
                  bool& Sound, bool& AllB)
{
  std::vector<std::uint8_t> Piece(ReadPiece);
  std::uint8_t FromA[JournalSectorSize];
  std::uint8_t FromB[JournalSectorSize];
  Sound = true;
  AllB = true;
  for (std::uint64_t At = 0; At < Length && Sound; At += ReadPiece) {
    auto Step = static_cast<std::size_t>(std::min(Length - At, ReadPiece));
    if (int Error = ReadExact(Fs, Fd, Piece.data(), Step, At); Error != 0) {
      Sound = false;
      return Error == ENODATA ? 0 : Error;
    }
    for (std::size_t Sector = 0; Sector < Step && Sound; Sector += JournalSectorSize) {
      std::size_t Count = std::min<std::size_t>(JournalSectorSize, Step - Sector);
      CopyOut(A, At + Sector, Count, FromA);
      CopyOut(B, At + Sector, Count, FromB);
      bool IsB = std::memcmp(Piece.data() + Sector, FromB, Count) == 0;
      Sound = IsB || std::memcmp(Piece.data() + Sector, FromA, Count) == 0;
      AllB = AllB && IsB;
    }
  }
  return 0;
}

} // namespace

int CheckJournal(IFileSystem& Fs, int Fd, const TJournal& Journal, TJournalWhere Where,
                 TJournalVerdict& Verdict)
{
  Verdict = TJournalVerdict::NotThisFile;
  std::uint64_t Old = 0;
  std::uint64_t New = 0;
  struct stat Info {};
  if (!SoundShape(Journal, Old, New)) {
    return 0;
  }
  if (int Error = Fs.FStat(Fd, Info); Error != 0) {
    return Error;
  }
  const bool Moved = JournalRoomMoved(Journal, static_cast<std::uint64_t>(Info.st_size));
  if (!JournalBelongsTo(Journal, Info, Where)) {
    return 0;
  }
  std::uint64_t Region = Moved ? New : Old;
  bool DataFollows = false;
  if (int Error = DataObjectAt(Fs, Fd, Region, DataFollows); Error != 0 || !DataFollows) {
    return Error;
  }
  TImage A = Whole(Journal.OldHeader);
  TImage B = Whole(Journal.NewBytes);
  // A collapse's room holds zeros in both headers, so either image with
  // zeros after it is what any sector may hold, whether the room is in or out.
  if (Journal.Kind == TJournalKind::Overwrite) {
    Region = Journal.OldHeader.size();
  } else if (Journal.Kind == TJournalKind::InsertRange && Moved) {
    A = Insert(A, Journal.InsertOffset, Journal.InsertLength);
  } else if (Journal.Kind == TJournalKind::InsertRange) {
    B = Cut(B, Journal.InsertOffset, Journal.InsertLength);
  }
  bool Sound = false;
  bool AllNew = false;
  if (int Error = EverySectorIs(Fs, Fd, Region, A, B, Sound, AllNew); Error != 0 || !Sound) {
    return Error;
  }
  // Room inserted or collapsed is only ours once its journal's removal is on disk.
  bool Stands = AllNew && Journal.Kind == TJournalKind::Overwrite;
  Verdict = Stands ? TJournalVerdict::Completed : TJournalVerdict::RollBack;
  return 0;
}

} // namespace Quillmark::Asf
