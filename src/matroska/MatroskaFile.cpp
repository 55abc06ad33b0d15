#include "matroska/MatroskaFile.h"

#include "fs/FileIo.h"

#include <algorithm>
#include <cstring>

namespace Quillmark::Matroska {

namespace {

constexpr std::uint8_t Magic[4] = {0x1A, 0x45, 0xDF, 0xA3};
// The longest head: a 4-byte ID and an 8-byte size.
constexpr std::uint64_t MaxHeadLength = 12;

struct TSource {
  Fs::IFileSystem& Fs;
  int Fd;
  std::uint64_t Size;
};

std::vector<std::uint8_t> ReadBytes(const TSource& Source, std::uint64_t Offset, std::uint64_t Count)
{
  Need(Offset <= Source.Size && Count <= Source.Size - Offset, "an element reaches past the end of the file");
  std::vector<std::uint8_t> Bytes(static_cast<std::size_t>(Count));
  if (int Error = Fs::ReadExact(Source.Fs, Source.Fd, Bytes.data(), Bytes.size(), Offset); Error != 0) {
    throw EMatroskaError(std::string("cannot be read: ") + std::strerror(Error));
  }
  return Bytes;
}

THead ReadHeadAt(const TSource& Source, std::uint64_t Offset)
{
  Need(Offset < Source.Size, "an element is cut off by the end of the file");
  const std::vector<std::uint8_t> Bytes =
      ReadBytes(Source, Offset, std::min(MaxHeadLength, Source.Size - Offset));
  return ReadHead(Bytes.data(), Bytes.size(), 0, Offset);
}

// The EBML header: what kind of EBML document follows, and the limits of
// its IDs and sizes, which must be the ones this reader takes.
std::string ReadDocType(const TSource& Source, THead& Header)
{
  Header = ReadHeadAt(Source, 0);
  Need(Header.Id == Id::Ebml, "is not an EBML file");
  Need(Header.Size != UnknownSize && Header.Size <= MaxEbmlHeaderBytes, "the EBML header is damaged");
  const std::vector<std::uint8_t> Bytes = ReadBytes(Source, 0, Header.End());
  std::string DocType;
  for (const THead& Child : Children(Bytes, 0, Header)) {
    const std::uint8_t* Body = Bytes.data() + Child.DataOffset;
    if (Child.Id == Id::DocType) {
      DocType = ReadString(Body, Child.Size);
    } else if (Child.Id == Id::EbmlReadVersion) {
      Need(ReadUInt(Body, Child.Size) <= 1, "needs a newer EBML reader");
    } else if (Child.Id == Id::EbmlMaxIdLength) {
      Need(ReadUInt(Body, Child.Size) <= 4, "uses element IDs longer than 4 bytes");
    } else if (Child.Id == Id::EbmlMaxSizeLength) {
      Need(ReadUInt(Body, Child.Size) <= 8, "uses element sizes longer than 8 bytes");
    }
  }
  Need(DocType == "matroska" || DocType == "webm", "is an EBML file but neither Matroska nor WebM");
  return DocType;
}

void ReadSegment(const TSource& Source, const THead& Header, TMatroskaFile& File)
{
  File.Segment = ReadHeadAt(Source, Header.End());
  Need(File.Segment.Id == Id::Segment, "holds no Segment after its EBML header");
  Need(File.Segment.Size != UnknownSize,
       "has a Segment of unknown size (a recording not finished), which is not edited");
  Need(File.Segment.DataOffset <= Source.Size && File.Segment.Size <= Source.Size - File.Segment.DataOffset,
       "is shorter than its Segment says (cut off?)");
  if (File.Segment.End() < Source.Size) {
    const THead Next = ReadHeadAt(Source, File.Segment.End());
    Need(Next.Id != Id::Segment, "holds several Segments, which are not edited");
  }
}

TTopElement ReadTop(const TSource& Source, const THead& Head, const THead& Segment)
{
  Need(Head.Size <= MaxMasterBytes, "holds a SeekHead, Info or Tracks element too large to be a header");
  TTopElement Element{Head, ReadBytes(Source, Head.Offset, Head.Length()), std::nullopt};
  if (Head.End() < Segment.End()) {
    const THead Next = ReadHeadAt(Source, Head.End());
    if (Next.Id == Id::Void && Next.Size != UnknownSize && Next.End() <= Segment.End()) {
      Element.VoidAfter = Next;
    }
  }
  return Element;
}

std::optional<TTopElement>* Slot(TMatroskaFile& File, std::uint32_t ElementId)
{
  switch (ElementId) {
  case Id::SeekHead:
    return &File.SeekHead;
  case Id::Info:
    return &File.Info;
  case Id::Tracks:
    return &File.Tracks;
  default:
    return nullptr;
  }
}

bool KnownSeekHead(const TMatroskaFile& File, std::uint64_t Offset)
{
  return (File.SeekHead && File.SeekHead->Head.Offset == Offset) ||
         std::any_of(File.OtherSeekHeads.begin(), File.OtherSeekHeads.end(),
                     [Offset](const TTopElement& Other) { return Other.Head.Offset == Offset; });
}

void TakeOtherSeekHead(const TSource& Source, TMatroskaFile& File, const THead& Head)
{
  if (!KnownSeekHead(File, Head.Offset)) {
    Need(File.OtherSeekHeads.size() < MaxOtherSeekHeads, "holds too many SeekHeads");
    File.OtherSeekHeads.push_back(ReadTop(Source, Head, File.Segment));
  }
}

void Take(const TSource& Source, TMatroskaFile& File, const THead& Head)
{
  std::optional<TTopElement>* Place = Slot(File, Head.Id);
  if (Place == nullptr) {
    return;
  }
  // A second SeekHead is legal (the first points to it); Info and Tracks are
  // each once per Segment.
  Need(!Place->has_value() || Head.Id == Id::SeekHead, "holds two Info or two Tracks elements");
  if (!Place->has_value()) {
    *Place = ReadTop(Source, Head, File.Segment);
  } else {
    TakeOtherSeekHead(Source, File, Head);
  }
}

// The Segment's top level up to the first Cluster.
void WalkTopLevel(const TSource& Source, TMatroskaFile& File)
{
  std::uint64_t At = File.Segment.DataOffset;
  File.FirstCluster = File.Segment.End();
  for (unsigned Count = 0; At < File.Segment.End(); ++Count) {
    Need(Count < MaxTopElements, "holds too many elements before its first Cluster");
    const THead Head = ReadHeadAt(Source, At);
    if (Head.Id == Id::Cluster) {
      File.FirstCluster = At;
      return;
    }
    Need(Head.Size != UnknownSize && Head.DataOffset <= File.Segment.End() &&
             Head.Size <= File.Segment.End() - Head.DataOffset,
         "an element is larger than the Segment that holds it");
    Take(Source, File, Head);
    File.TopLevel.push_back(Head);
    At = Head.End();
  }
}

// The element an entry leads to, which must be what the entry says.
THead SoughtHead(const TSource& Source, const TMatroskaFile& File, const TSeekEntry& Entry)
{
  Need(Entry.Position < File.Segment.Size, "its SeekHead points past the end of the Segment");
  const THead Found = ReadHeadAt(Source, File.Segment.DataOffset + Entry.Position);
  Need(Found.Id == Entry.Target, "its SeekHead points to the wrong element");
  Need(Found.Size != UnknownSize && Found.DataOffset <= File.Segment.End() &&
           Found.Size <= File.Segment.End() - Found.DataOffset,
       "an element is larger than the Segment that holds it");
  return Found;
}

// The SeekHeads the first points to, then Info or Tracks after the first
// Cluster, where a SeekHead says.
void Seek(const TSource& Source, TMatroskaFile& File)
{
  for (const TSeekEntry& Entry : SeekEntries(*File.SeekHead)) {
    if (Entry.Target == Id::SeekHead) {
      TakeOtherSeekHead(Source, File, SoughtHead(Source, File, Entry));
    }
  }
  std::vector<const TTopElement*> Heads{&*File.SeekHead};
  for (const TTopElement& Other : File.OtherSeekHeads) {
    Heads.push_back(&Other);
  }
  for (const TTopElement* Head : Heads) {
    for (const TSeekEntry& Entry : SeekEntries(*Head)) {
      std::optional<TTopElement>* Place = Slot(File, Entry.Target);
      if (Place != nullptr && Entry.Target != Id::SeekHead && !Place->has_value()) {
        *Place = ReadTop(Source, SoughtHead(Source, File, Entry), File.Segment);
      }
    }
  }
}

const std::uint8_t* BodyOf(const std::vector<std::uint8_t>& Bytes, std::uint64_t Base, const THead& Head)
{
  return Bytes.data() + (Head.DataOffset - Base);
}

void ReadVideo(TMatroskaFile& File)
{
  const TTopElement& Tracks = *File.Tracks;
  const TVideoPath Path = FindVideo(Tracks.Bytes, Tracks.Head.Offset);
  if (!Path.Found) {
    return;
  }
  TVideoTrack Video;
  for (const THead& Field : Children(Tracks.Bytes, Tracks.Head.Offset, Path.Video)) {
    const std::uint8_t* Body = BodyOf(Tracks.Bytes, Tracks.Head.Offset, Field);
    switch (Field.Id) {
    case Id::StereoMode:
      Video.StereoMode = ReadUInt(Body, Field.Size);
      break;
    case Id::PixelWidth:
      Video.PixelWidth = ReadUInt(Body, Field.Size);
      break;
    case Id::PixelHeight:
      Video.PixelHeight = ReadUInt(Body, Field.Size);
      break;
    case Id::DisplayWidth:
      Video.DisplayWidth = ReadUInt(Body, Field.Size);
      break;
    case Id::DisplayHeight:
      Video.DisplayHeight = ReadUInt(Body, Field.Size);
      break;
    case Id::DisplayUnit:
      Video.DisplayUnit = ReadUInt(Body, Field.Size);
      break;
    default:
      break;
    }
  }
  File.Video = Video;
}

void ReadTitle(TMatroskaFile& File)
{
  const TTopElement& Info = *File.Info;
  for (const THead& Field : Children(Info.Bytes, Info.Head.Offset, Info.Head)) {
    if (Field.Id == Id::Title) {
      File.Title = ReadString(BodyOf(Info.Bytes, Info.Head.Offset, Field), Field.Size);
    }
  }
}

} // namespace

bool HasEbmlMagic(const std::uint8_t* Bytes, std::size_t Length)
{
  return Length >= sizeof Magic && std::memcmp(Bytes, Magic, sizeof Magic) == 0;
}

std::vector<THead> Children(const std::vector<std::uint8_t>& Bytes, std::uint64_t Base, const THead& Parent)
{
  Need(Parent.Size != UnknownSize && Parent.DataOffset >= Base && Parent.DataOffset - Base <= Bytes.size() &&
           Parent.Size <= Bytes.size() - (Parent.DataOffset - Base),
       "an element is cut off");
  std::vector<THead> Result;
  std::size_t At = static_cast<std::size_t>(Parent.DataOffset - Base);
  const auto End = static_cast<std::size_t>(Parent.End() - Base);
  while (At < End) {
    Need(Result.size() < MaxChildren, "an element holds too many elements");
    Result.push_back(ReadChild(Bytes.data(), End, At, Base, Parent.End()));
  }
  return Result;
}

std::vector<TSeekEntry> SeekEntries(const TTopElement& SeekHead)
{
  std::vector<TSeekEntry> Entries;
  const std::uint64_t Base = SeekHead.Head.Offset;
  for (const THead& Seek : Children(SeekHead.Bytes, Base, SeekHead.Head)) {
    if (Seek.Id != Id::Seek) {
      continue;
    }
    TSeekEntry Entry;
    bool HasPosition = false;
    for (const THead& Field : Children(SeekHead.Bytes, Base, Seek)) {
      const std::uint8_t* Body = SeekHead.Bytes.data() + (Field.DataOffset - Base);
      if (Field.Id == Id::SeekId && Field.Size >= 1 && Field.Size <= 4) {
        Entry.Target = static_cast<std::uint32_t>(ReadUInt(Body, Field.Size));
      } else if (Field.Id == Id::SeekPosition && Field.Size <= 8) {
        Entry.Position = ReadUInt(Body, Field.Size);
        HasPosition = true;
      }
    }
    if (Entry.Target != 0 && HasPosition) {
      Entries.push_back(Entry);
    }
  }
  return Entries;
}

TVideoPath FindVideo(const std::vector<std::uint8_t>& Tracks, std::uint64_t Base)
{
  Need(!Tracks.empty(), "its Tracks element is empty");
  const THead Head = ReadHead(Tracks.data(), Tracks.size(), 0, Base);
  for (const THead& Entry : Children(Tracks, Base, Head)) {
    if (Entry.Id != Id::TrackEntry) {
      continue;
    }
    std::optional<THead> Video;
    bool IsVideo = false;
    for (const THead& Field : Children(Tracks, Base, Entry)) {
      if (Field.Id == Id::TrackType) {
        IsVideo = ReadUInt(Tracks.data() + (Field.DataOffset - Base), Field.Size) == 1;
      } else if (Field.Id == Id::Video) {
        Video = Field;
      }
    }
    if (IsVideo && Video) {
      return {true, Entry, *Video};
    }
  }
  return {};
}

TMatroskaFile ReadMatroska(Fs::IFileSystem& Fs, int Fd)
{
  struct stat Info {};
  if (int Error = Fs.FStat(Fd, Info); Error != 0) {
    throw EMatroskaError(std::string("cannot be read: ") + std::strerror(Error));
  }
  const TSource Source{Fs, Fd, static_cast<std::uint64_t>(Info.st_size)};
  TMatroskaFile File;
  File.FileSize = Source.Size;
  THead Header;
  File.DocType = ReadDocType(Source, Header);
  ReadSegment(Source, Header, File);
  WalkTopLevel(Source, File);
  if (File.SeekHead) {
    Seek(Source, File);
  }
  Need(File.Tracks.has_value(), "holds no Tracks element");
  if (File.FirstCluster <= MaxMasterBytes) {
    File.Region = ReadBytes(Source, 0, File.FirstCluster);
  }
  ReadVideo(File);
  if (File.Info) {
    ReadTitle(File);
  }
  return File;
}

} // namespace Quillmark::Matroska
