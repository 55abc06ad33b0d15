#include "fs/Journal.h"

#include "fs/Crc32.h"
#include "fs/JournalPlace.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <linux/falloc.h>
#include <new>

namespace Quillmark::Fs {

namespace {

constexpr std::uint8_t Magic[8] = {'Q', 'M', 'K', 'J', 'R', 'N', 'L', 0x1A};
constexpr std::uint32_t Version = 3;
constexpr std::uint32_t SetVersion = 4;
constexpr std::size_t SetFixedSize = 16;

void PutLe(std::vector<std::uint8_t>& Out, std::uint64_t Value, int Bytes)
{
  for (int Index = 0; Index < Bytes; ++Index) {
    Out.push_back(static_cast<std::uint8_t>(Value >> (8 * Index)));
  }
}

std::uint64_t GetLe(const std::uint8_t* In, int Bytes)
{
  std::uint64_t Value = 0;
  for (int Index = Bytes - 1; Index >= 0; --Index) {
    Value = (Value << 8) | In[Index];
  }
  return Value;
}

bool ValidFixedPart(const std::vector<std::uint8_t>& Bytes)
{
  if (Bytes.size() < JournalFixedSize + 4 || std::memcmp(Bytes.data(), Magic, sizeof Magic) != 0) {
    return false;
  }
  std::uint64_t Kind = GetLe(Bytes.data() + 12, 4);
  std::uint64_t Format = GetLe(Bytes.data() + 8, 4);
  // A collapse came with the third version: an earlier one never records it.
  return (Kind == 1 || Kind == 2 || ((Kind == 3 || Kind == 4) && Format == 3)) && Format >= 1 &&
         Format <= Version;
}

// Whether the lengths of the old (and, from version 2 on, the new) bytes add
// up to the journal's size; where the new bytes are.
bool LengthsAddUp(const std::vector<std::uint8_t>& Bytes, std::uint64_t& NewAt, std::uint64_t& NewLength)
{
  std::uint64_t Body = Bytes.size() - JournalFixedSize - 4;
  std::uint64_t OldLength = GetLe(Bytes.data() + 56, 8);
  NewAt = 0;
  NewLength = 0;
  if (GetLe(Bytes.data() + 8, 4) == 1) {
    return OldLength == Body;
  }
  if (OldLength > Body || Body - OldLength < 8) {
    return false;
  }
  NewAt = JournalFixedSize + OldLength + 8;
  NewLength = GetLe(Bytes.data() + JournalFixedSize + OldLength, 8);
  return NewLength == Body - OldLength - 8;
}

} // namespace

namespace {

std::size_t EncodedSize(const TJournal& Journal)
{
  return JournalFixedSize + Journal.OldHeader.size() + 8 + Journal.NewBytes.size() + 4;
}

// Appends one journal, its checksum over its own bytes last; returns that checksum.
std::uint32_t AppendJournal(std::vector<std::uint8_t>& Out, const TJournal& Journal)
{
  const std::size_t Start = Out.size();
  Out.resize(Start + sizeof Magic);
  std::memcpy(Out.data() + Start, Magic, sizeof Magic);
  PutLe(Out, Version, 4);
  PutLe(Out, static_cast<std::uint32_t>(Journal.Kind), 4);
  PutLe(Out, Journal.Device, 8);
  PutLe(Out, Journal.Inode, 8);
  PutLe(Out, Journal.OriginalSize, 8);
  PutLe(Out, Journal.InsertOffset, 8);
  PutLe(Out, Journal.InsertLength, 8);
  PutLe(Out, Journal.OldHeader.size(), 8);
  Out.insert(Out.end(), Journal.OldHeader.begin(), Journal.OldHeader.end());
  PutLe(Out, Journal.NewBytes.size(), 8);
  Out.insert(Out.end(), Journal.NewBytes.begin(), Journal.NewBytes.end());
  const std::uint32_t Crc = Crc32(Out.data() + Start, Out.size() - Start);
  PutLe(Out, Crc, 4);
  return Crc;
}

} // namespace

std::vector<std::uint8_t> EncodeJournal(const TJournal& Journal)
{
  std::vector<std::uint8_t> Out;
  Out.reserve(EncodedSize(Journal));
  AppendJournal(Out, Journal);
  return Out;
}

std::optional<TJournal> DecodeJournal(const std::vector<std::uint8_t>& Bytes)
{
  std::uint64_t NewAt = 0;
  std::uint64_t NewLength = 0;
  if (!ValidFixedPart(Bytes) || !LengthsAddUp(Bytes, NewAt, NewLength)) {
    return std::nullopt;
  }
  std::size_t CrcAt = Bytes.size() - 4;
  if (Crc32(Bytes.data(), CrcAt) != GetLe(Bytes.data() + CrcAt, 4)) {
    return std::nullopt;
  }
  TJournal Journal;
  Journal.Kind = static_cast<TJournalKind>(GetLe(Bytes.data() + 12, 4));
  Journal.Device = GetLe(Bytes.data() + 16, 8);
  Journal.Inode = GetLe(Bytes.data() + 24, 8);
  Journal.OriginalSize = GetLe(Bytes.data() + 32, 8);
  Journal.InsertOffset = GetLe(Bytes.data() + 40, 8);
  Journal.InsertLength = GetLe(Bytes.data() + 48, 8);
  auto OldAt = Bytes.begin() + JournalFixedSize;
  Journal.OldHeader.assign(OldAt, OldAt + static_cast<long>(GetLe(Bytes.data() + 56, 8)));
  auto NewFrom = Bytes.begin() + static_cast<long>(NewAt);
  Journal.NewBytes.assign(NewFrom, NewFrom + static_cast<long>(NewLength));
  if (Journal.Kind == TJournalKind::Relocate && !RelocateRanges(Journal)) {
    return std::nullopt;
  }
  return Journal;
}

std::optional<TJournalRanges> RelocateRanges(const TJournal& Journal)
{
  if (Journal.Kind != TJournalKind::Relocate) {
    return std::nullopt;
  }
  TJournalRanges Ranges;
  Ranges.FarOffset = Journal.InsertOffset;
  Ranges.FarNew = Journal.InsertLength;
  const std::uint64_t Size = Journal.OriginalSize;
  constexpr auto Largest = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
  if (Ranges.FarNew > Journal.NewBytes.size()) {
    return std::nullopt;
  }
  Ranges.Head = Journal.NewBytes.size() - Ranges.FarNew;
  if (Ranges.Head > Journal.OldHeader.size() || Ranges.Head > Ranges.FarOffset || Ranges.FarOffset > Size) {
    return std::nullopt;
  }
  Ranges.FarOld = Journal.OldHeader.size() - Ranges.Head;
  if (Ranges.FarOld > Size - Ranges.FarOffset) {
    return std::nullopt;
  }
  const bool ToTheEnd = Ranges.FarOffset + Ranges.FarOld == Size;
  if (!ToTheEnd && Ranges.FarOld != Ranges.FarNew) {
    return std::nullopt;
  }
  if (ToTheEnd && Ranges.FarNew > Largest - Ranges.FarOffset) {
    return std::nullopt;
  }
  Ranges.NewSize = ToTheEnd ? Ranges.FarOffset + Ranges.FarNew : Size;
  return Ranges;
}

std::vector<std::uint8_t> EncodeJournalSet(const std::vector<const TJournal*>& Journals)
{
  // Sized once: a set for hundreds of videos runs to megabytes, which
  // growing step by step would copy over and over.
  std::size_t Total = SetFixedSize + 4;
  for (const TJournal* Journal : Journals) {
    Total += 8 + EncodedSize(*Journal);
  }
  std::vector<std::uint8_t> Out;
  Out.reserve(Total);
  Out.resize(sizeof Magic);
  std::memcpy(Out.data(), Magic, sizeof Magic);
  PutLe(Out, SetVersion, 4);
  PutLe(Out, Journals.size(), 4);
  // The set's checksum is folded from each record's, so that megabytes of
  // records are read once, not twice.
  std::uint32_t Crc = Crc32(Out.data(), Out.size());
  for (const TJournal* Journal : Journals) {
    const std::size_t Start = Out.size();
    PutLe(Out, EncodedSize(*Journal), 8);
    Crc = Crc32(Out.data() + Start, 8, Crc);
    const std::uint32_t RecordCrc = AppendJournal(Out, *Journal);
    Crc = Crc32Combine(Crc, RecordCrc, Out.size() - Start - 8 - 4);
    Crc = Crc32(Out.data() + Out.size() - 4, 4, Crc);
  }
  PutLe(Out, Crc, 4);
  return Out;
}

namespace {

bool IsSet(const std::vector<std::uint8_t>& Bytes)
{
  return Bytes.size() >= SetFixedSize + 4 && std::memcmp(Bytes.data(), Magic, sizeof Magic) == 0 &&
         GetLe(Bytes.data() + 8, 4) == SetVersion;
}

} // namespace

std::optional<std::vector<TJournal>> DecodeJournalSet(const std::vector<std::uint8_t>& Bytes)
{
  std::vector<TJournal> Records;
  if (!IsSet(Bytes)) {
    std::optional<TJournal> One = DecodeJournal(Bytes);
    if (!One) {
      return std::nullopt;
    }
    Records.push_back(std::move(*One));
    return Records;
  }
  const std::size_t End = Bytes.size() - 4;
  const std::uint64_t Count = GetLe(Bytes.data() + 12, 4);
  if (Crc32(Bytes.data(), End) != GetLe(Bytes.data() + End, 4) || Count == 0 || Count > MaxJournalNames) {
    return std::nullopt;
  }
  std::size_t At = SetFixedSize;
  for (std::uint64_t Index = 0; Index < Count; ++Index) {
    if (End - At < 8) {
      return std::nullopt;
    }
    const std::uint64_t Length = GetLe(Bytes.data() + At, 8);
    At += 8;
    if (Length > End - At) {
      return std::nullopt;
    }
    auto From = Bytes.begin() + static_cast<long>(At);
    std::optional<TJournal> Record =
        DecodeJournal(std::vector<std::uint8_t>(From, From + static_cast<long>(Length)));
    if (!Record) {
      return std::nullopt;
    }
    Records.push_back(std::move(*Record));
    At += static_cast<std::size_t>(Length);
  }
  if (At != End) {
    return std::nullopt;
  }
  return Records;
}

bool JournalRoomMoved(const TJournal& Journal, std::uint64_t Size)
{
  switch (Journal.Kind) {
  case TJournalKind::InsertRange:
    return Journal.InsertLength <= UINT64_MAX - Journal.OriginalSize &&
           Size == Journal.OriginalSize + Journal.InsertLength;
  case TJournalKind::CollapseRange:
    return Journal.InsertLength > 0 && Journal.InsertLength <= Journal.OriginalSize &&
           Size == Journal.OriginalSize - Journal.InsertLength;
  case TJournalKind::Relocate: {
    const std::optional<TJournalRanges> Ranges = RelocateRanges(Journal);
    return Ranges && Ranges->NewSize != Journal.OriginalSize && Size == Ranges->NewSize;
  }
  case TJournalKind::Overwrite:
    break;
  }
  return false;
}

bool JournalBelongsTo(const TJournal& Journal, const struct stat& Info, TJournalWhere Where)
{
  auto Size = static_cast<std::uint64_t>(Info.st_size);
  bool SameDevice =
      Where == TJournalWhere::Beside || static_cast<std::uint64_t>(Info.st_dev) == Journal.Device;
  return static_cast<std::uint64_t>(Info.st_ino) == Journal.Inode && SameDevice &&
         (Size == Journal.OriginalSize || JournalRoomMoved(Journal, Size));
}

namespace {

// A journal under one name: the shared journal's creation with nothing to link.
int CreateJournal(IFileSystem& Fs, TSideFile& File, const std::vector<std::uint8_t>& Bytes, TJournalSync Sync)
{
  std::vector<bool> Holds;
  return WriteSharedJournal(Fs, {&File}, Bytes, Holds, Sync);
}

} // namespace

int WriteJournal(IFileSystem& Fs, TSaveNames& Names, const TJournal& Journal, TJournalSync Sync)
{
  std::vector<std::uint8_t> Bytes = EncodeJournal(Journal);
  int Error = CreateJournal(Fs, Names.Journal, Bytes, Sync);
  // A folder the saver may not add files to: a file its owner can write on
  // shared media, say. The journal then goes where only the saver writes.
  if ((Error != EACCES && Error != EPERM) || Names.PrivateJournal.Name.empty()) {
    return Error;
  }
  if (OpenPrivateJournalFolder(Fs, true, Names.PrivateJournal.Folder) != 0) {
    return Error;
  }
  // The private folder may be on another file system than the video, which
  // a batch's sync of the video's file system would not reach: synced now.
  if (Error = CreateJournal(Fs, Names.PrivateJournal, Bytes, TJournalSync::Now); Error == 0) {
    Names.Journal = Names.PrivateJournal;
  }
  return Error;
}

namespace {

// Takes back the names a failed journal was given.
void DropNames(IFileSystem& Fs, const std::vector<TSideFile*>& Files, std::vector<bool>& Holds)
{
  for (std::size_t Index = 0; Index < Files.size(); ++Index) {
    if (Holds[Index]) {
      RemoveSideFile(Fs, *Files[Index]);
    }
    Files[Index]->Own = {};
  }
  Holds.assign(Files.size(), false);
}

} // namespace

int WriteSharedJournal(IFileSystem& Fs, const std::vector<TSideFile*>& Files,
                       const std::vector<std::uint8_t>& Bytes, std::vector<bool>& Holds, TJournalSync Sync)
{
  Holds.assign(Files.size(), false);
  const TFolder& Folder = *Files.front()->Folder;
  TScopedFd File(Fs);
  if (int Error = Fs.OpenAt(Folder.Fd(), Files.front()->Name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600,
                            File.Out());
      Error != 0) {
    return Error;
  }
  struct stat Made {};
  int Error = Fs.FStat(File.Get(), Made);
  if (Error == 0) {
    Holds[0] = true;
    Files.front()->Own = TFileId::Of(Made);
    Error = WriteExact(Fs, File.Get(), Bytes.data(), Bytes.size(), 0);
  }
  if (Error == 0) {
    // Linked through the descriptor: a name swapped in for the first since
    // its creation is never what the others name.
    for (std::size_t Index = 1; Index < Files.size(); ++Index) {
      Holds[Index] = Fs.LinkFile(File.Get(), Folder.Fd(), Files[Index]->Name) == 0;
      Files[Index]->Own = Holds[Index] ? TFileId::Of(Made) : TFileId{};
    }
    if (Sync == TJournalSync::Now) {
      Error = Fs.FSync(File.Get());
    }
  }
  if (Error == 0) {
    Error = File.Reset();
  }
  if (Error == 0 && Sync == TJournalSync::Now) {
    Error = SyncFolder(Fs, Folder);
  }
  if (Error != 0) {
    File.Reset();
    DropNames(Fs, Files, Holds);
  }
  return Error;
}

namespace {

// Moves the room back: the inserted room out, the collapsed room in again.
int PutRoomBack(IFileSystem& Fs, int Fd, const TJournal& Journal)
{
  int Mode = Journal.Kind == TJournalKind::InsertRange ? FALLOC_FL_COLLAPSE_RANGE : FALLOC_FL_INSERT_RANGE;
  return Fs.FAllocate(Fd, Mode, static_cast<off_t>(Journal.InsertOffset),
                      static_cast<off_t>(Journal.InsertLength));
}

} // namespace

namespace {

// A relocation undone: the old bytes at the start and of the far range
// (which writing them lengthens again, if the save had cut it), then the
// old length.
int RollBackRelocation(IFileSystem& Fs, int Fd, const TJournal& Journal)
{
  const std::optional<TJournalRanges> Ranges = RelocateRanges(Journal);
  if (!Ranges) {
    return EINVAL;
  }
  const std::uint8_t* Old = Journal.OldHeader.data();
  if (int Error = WriteExact(Fs, Fd, Old, Ranges->Head, 0); Error != 0) {
    return Error;
  }
  if (int Error = WriteExact(Fs, Fd, Old + Ranges->Head, Ranges->FarOld, Ranges->FarOffset); Error != 0) {
    return Error;
  }
  if (int Error = Fs.FTruncate(Fd, static_cast<off_t>(Journal.OriginalSize)); Error != 0) {
    return Error;
  }
  return Fs.FDataSync(Fd);
}

} // namespace

int RollBack(IFileSystem& Fs, int Fd, const TJournal& Journal)
{
  if (Journal.Kind == TJournalKind::Relocate) {
    return RollBackRelocation(Fs, Fd, Journal);
  }
  struct stat Info {};
  if (int Error = Fs.FStat(Fd, Info); Error != 0) {
    return Error;
  }
  if (JournalRoomMoved(Journal, static_cast<std::uint64_t>(Info.st_size))) {
    if (int Error = PutRoomBack(Fs, Fd, Journal); Error != 0) {
      return Error;
    }
  }
  const std::vector<std::uint8_t>& Old = Journal.OldHeader;
  if (int Error = WriteExact(Fs, Fd, Old.data(), Old.size(), 0); Error != 0) {
    return Error;
  }
  // After a collapse the new header's objects may reach past the old
  // header's last byte that is not zero: zeros go over them.
  if (Journal.Kind == TJournalKind::CollapseRange && Journal.NewBytes.size() > Old.size()) {
    const std::vector<std::uint8_t> Zeros(Journal.NewBytes.size() - Old.size(), 0);
    if (int Error = WriteExact(Fs, Fd, Zeros.data(), Zeros.size(), Old.size()); Error != 0) {
      return Error;
    }
  }
  return Fs.FDataSync(Fd);
}

int RemoveJournal(IFileSystem& Fs, const TSideFile& Journal, bool SyncTheFolder)
{
  if (int Error = RemoveSideFile(Fs, Journal); Error != 0) {
    return Error;
  }
  if (SyncTheFolder) {
    SyncFolder(Fs, *Journal.Folder);
  }
  return 0;
}

} // namespace Quillmark::Fs
