#include "matroska/MatroskaJournal.h"

#include "fs/FileIo.h"
#include "matroska/MatroskaFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace Quillmark::Matroska {

namespace {

constexpr std::uint64_t MagicLength = 4;

std::vector<std::uint8_t> ReadRange(Fs::IFileSystem& Fs, int Fd, std::uint64_t Offset, std::uint64_t Count)
{
  std::vector<std::uint8_t> Bytes(static_cast<std::size_t>(Count));
  if (int Error = Fs::ReadExact(Fs, Fd, Bytes.data(), Bytes.size(), Offset); Error != 0) {
    throw EMatroskaError(std::string("cannot be read: ") + std::strerror(Error));
  }
  return Bytes;
}

void Apply(std::vector<std::uint8_t>& Bytes, std::uint64_t Base, const TPatch& Patch)
{
  std::copy(Patch.Bytes.begin(), Patch.Bytes.end(), Bytes.begin() + static_cast<long>(Patch.Offset - Base));
}

bool InHead(const TPatch& Patch)
{
  return Patch.Offset + Patch.Bytes.size() <= MaxMasterBytes;
}

// The far range of a plan: from its first changed byte past the head to its
// last, or to the old end when the plan writes a new end.
struct TFar {
  bool Any = false;
  std::uint64_t From = ~std::uint64_t{0};
  std::uint64_t To = 0;
};

TFar FarRange(const TSavePlan& Plan, std::uint64_t OldSize, std::uint64_t& HeadEnd)
{
  TFar Far;
  if (Plan.EndFrom) {
    Need(*Plan.EndFrom <= OldSize, "changed while it was being saved");
    Far = {true, *Plan.EndFrom, OldSize};
  }
  HeadEnd = 0;
  for (const TPatch& Patch : Plan.Patches) {
    Need(Patch.Offset <= OldSize && Patch.Bytes.size() <= OldSize - Patch.Offset,
         "changed while it was being saved");
    const std::uint64_t End = Patch.Offset + Patch.Bytes.size();
    if (InHead(Patch)) {
      HeadEnd = std::max(HeadEnd, End);
    } else {
      Need(!Plan.EndFrom || End <= *Plan.EndFrom, "has a change past the end it writes anew");
      Far = {true, std::min(Far.From, Patch.Offset), std::max(Far.To, End)};
    }
  }
  Need(!Far.Any || (HeadEnd <= Far.From && Far.To - Far.From <= MaxMasterBytes),
       "has its changes too far apart to be journaled");
  return Far;
}

// Whether each sector of Count bytes of the file from Offset holds Old's
// bytes or New's; AllNew turns false at one that is not New's.
bool EverySector(Fs::IFileSystem& Fs, int Fd, std::uint64_t Offset, const std::uint8_t* Old,
                 const std::uint8_t* New, std::uint64_t Count, bool& AllNew)
{
  std::vector<std::uint8_t> Now(static_cast<std::size_t>(Count));
  if (Fs::ReadExact(Fs, Fd, Now.data(), Now.size(), Offset) != 0) {
    return false;
  }
  for (std::uint64_t At = 0; At < Count;) {
    const std::uint64_t Step =
        std::min(Fs::JournalSectorSize - (Offset + At) % Fs::JournalSectorSize, Count - At);
    const bool IsNew = std::memcmp(Now.data() + At, New + At, Step) == 0;
    if (!IsNew && std::memcmp(Now.data() + At, Old + At, Step) != 0) {
      return false;
    }
    AllNew = AllNew && IsNew;
    At += Step;
  }
  return true;
}

int WriteAndCheck(Fs::IFileSystem& Fs, int Fd, const std::uint8_t* Bytes, std::size_t Count,
                  std::uint64_t Offset)
{
  if (int Error = Fs::WriteExact(Fs, Fd, Bytes, Count, Offset); Error != 0) {
    return Error;
  }
  std::vector<std::uint8_t> Written(Count);
  if (int Error = Fs::ReadExact(Fs, Fd, Written.data(), Count, Offset); Error != 0) {
    return Error;
  }
  return std::memcmp(Written.data(), Bytes, Count) == 0 ? 0 : EIO;
}

} // namespace

Fs::TJournal MakeJournal(Fs::IFileSystem& Fs, int Fd, std::uint64_t OldSize, const TSavePlan& Plan)
{
  struct stat Info {};
  if (int Error = Fs.FStat(Fd, Info); Error != 0) {
    throw EMatroskaError(std::string("cannot be looked at: ") + std::strerror(Error));
  }
  Need(static_cast<std::uint64_t>(Info.st_size) == OldSize, "changed while it was being saved");
  std::uint64_t HeadEnd = 0;
  const TFar Far = FarRange(Plan, OldSize, HeadEnd);
  // The start always holds the EBML magic, by which recovery knows the
  // journal for a Matroska file's even when only far bytes change.
  HeadEnd = std::max<std::uint64_t>(HeadEnd, std::min<std::uint64_t>(MagicLength, OldSize));
  Fs::TJournal Journal;
  Journal.Device = static_cast<std::uint64_t>(Info.st_dev);
  Journal.Inode = static_cast<std::uint64_t>(Info.st_ino);
  Journal.OriginalSize = OldSize;
  Journal.OldHeader = ReadRange(Fs, Fd, 0, HeadEnd);
  Journal.NewBytes = Journal.OldHeader;
  for (const TPatch& Patch : Plan.Patches) {
    if (InHead(Patch)) {
      Apply(Journal.NewBytes, 0, Patch);
    }
  }
  if (!Far.Any) {
    return Journal;
  }
  std::vector<std::uint8_t> OldFar = ReadRange(Fs, Fd, Far.From, Far.To - Far.From);
  std::vector<std::uint8_t> NewFar = OldFar;
  for (const TPatch& Patch : Plan.Patches) {
    if (!InHead(Patch)) {
      Apply(NewFar, Far.From, Patch);
    }
  }
  if (Plan.EndFrom) {
    NewFar.resize(static_cast<std::size_t>(*Plan.EndFrom - Far.From));
    NewFar.insert(NewFar.end(), Plan.End.begin(), Plan.End.end());
  }
  Journal.Kind = Fs::TJournalKind::Relocate;
  Journal.InsertOffset = Far.From;
  Journal.InsertLength = NewFar.size();
  Journal.OldHeader.insert(Journal.OldHeader.end(), OldFar.begin(), OldFar.end());
  Journal.NewBytes.insert(Journal.NewBytes.end(), NewFar.begin(), NewFar.end());
  return Journal;
}

bool ChangesNothing(const Fs::TJournal& Journal)
{
  return Journal.OldHeader == Journal.NewBytes;
}

bool WithinOneSector(const Fs::TJournal& Journal)
{
  const std::vector<std::uint8_t>& Old = Journal.OldHeader;
  const std::vector<std::uint8_t>& New = Journal.NewBytes;
  if (Journal.Kind != Fs::TJournalKind::Overwrite || Old.size() != New.size()) {
    return false;
  }
  const auto First = std::mismatch(Old.begin(), Old.end(), New.begin()).first - Old.begin();
  const auto Last = Old.rend() - std::mismatch(Old.rbegin(), Old.rend(), New.rbegin()).first;
  const auto Sector = static_cast<std::ptrdiff_t>(Fs::JournalSectorSize);
  return First < Last && First / Sector == (Last - 1) / Sector;
}

int WriteNewBytes(Fs::IFileSystem& Fs, int Fd, const Fs::TJournal& Journal)
{
  std::uint64_t Head = Journal.NewBytes.size();
  if (const std::optional<Fs::TJournalRanges> Ranges = Fs::RelocateRanges(Journal)) {
    Head = Ranges->Head;
    const std::uint8_t* Far = Journal.NewBytes.data() + Head;
    if (int Error = WriteAndCheck(Fs, Fd, Far, Ranges->FarNew, Ranges->FarOffset); Error != 0) {
      return Error;
    }
    if (Ranges->NewSize < Journal.OriginalSize) {
      if (int Error = Fs.FTruncate(Fd, static_cast<off_t>(Ranges->NewSize)); Error != 0) {
        return Error;
      }
    }
  }
  // One write from the first changed byte to the last: two writes into one
  // sector could leave it neither old nor new, which no check could tell
  // from another program's bytes.
  const auto Differs =
      std::mismatch(Journal.OldHeader.begin(), Journal.OldHeader.begin() + static_cast<long>(Head),
                    Journal.NewBytes.begin());
  const auto First = static_cast<std::uint64_t>(Differs.second - Journal.NewBytes.begin());
  if (First == Head) {
    return 0;
  }
  return WriteAndCheck(Fs, Fd, Journal.NewBytes.data() + First, Head - First, First);
}

TVerdict CheckJournal(Fs::IFileSystem& Fs, int Fd, const Fs::TJournal& Journal, Fs::TJournalWhere Where)
{
  struct stat Info {};
  const std::vector<std::uint8_t>& Old = Journal.OldHeader;
  const std::vector<std::uint8_t>& New = Journal.NewBytes;
  const bool Relocation = Journal.Kind == Fs::TJournalKind::Relocate;
  const std::optional<Fs::TJournalRanges> Ranges = Fs::RelocateRanges(Journal);
  const std::uint64_t Head = Ranges ? Ranges->Head : Old.size();
  if (Fs.FStat(Fd, Info) != 0 || (Journal.Kind != Fs::TJournalKind::Overwrite && !Ranges) ||
      (!Relocation && Old.size() != New.size()) || !HasEbmlMagic(Old.data(), Head) ||
      !Fs::JournalBelongsTo(Journal, Info, Where) || Head > static_cast<std::uint64_t>(Info.st_size)) {
    return TVerdict::NotThisFile;
  }
  bool AllNew = true;
  if (!EverySector(Fs, Fd, 0, Old.data(), New.data(), Head, AllNew)) {
    return TVerdict::NotThisFile;
  }
  if (Ranges) {
    const std::uint64_t Common = std::min(Ranges->FarOld, Ranges->FarNew);
    if (!EverySector(Fs, Fd, Ranges->FarOffset, Old.data() + Head, New.data() + Head, Common, AllNew)) {
      return TVerdict::NotThisFile;
    }
    // Bytes past the old end hold nothing of the old file: new or not, never foreign.
    AllNew = AllNew && static_cast<std::uint64_t>(Info.st_size) == Ranges->NewSize;
    if (AllNew && Ranges->FarNew > Common) {
      std::vector<std::uint8_t> Added(static_cast<std::size_t>(Ranges->FarNew - Common));
      AllNew = Fs::ReadExact(Fs, Fd, Added.data(), Added.size(), Ranges->FarOffset + Common) == 0 &&
               std::equal(Added.begin(), Added.end(), New.begin() + static_cast<long>(Head + Common));
    }
  }
  return AllNew ? TVerdict::Completed : TVerdict::RollBack;
}

} // namespace Quillmark::Matroska
