#include "matroska/EbmlDump.h"

#include "fs/FileIo.h"
#include "matroska/MatroskaFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace Quillmark::Matroska {

namespace {

enum class TKind { Master, UInt, IdValue, Text, Other };

struct TKnown {
  std::uint32_t Id;
  const char* Name;
  TKind Kind;
};

// clang-format off
constexpr std::array<TKnown, 31> Known = {{
  {Id::Ebml, "EBML", TKind::Master}, {Id::EbmlVersion, "EBMLVersion", TKind::UInt},
  {Id::EbmlReadVersion, "EBMLReadVersion", TKind::UInt}, {Id::EbmlMaxIdLength, "EBMLMaxIDLength", TKind::UInt},
  {Id::EbmlMaxSizeLength, "EBMLMaxSizeLength", TKind::UInt}, {Id::DocType, "DocType", TKind::Text},
  {Id::DocTypeVersion, "DocTypeVersion", TKind::UInt}, {Id::DocTypeReadVersion, "DocTypeReadVersion", TKind::UInt},
  {Id::Segment, "Segment", TKind::Master}, {Id::SeekHead, "SeekHead", TKind::Master},
  {Id::Seek, "Seek", TKind::Master}, {Id::SeekId, "SeekID", TKind::IdValue},
  {Id::SeekPosition, "SeekPosition", TKind::UInt}, {Id::Info, "Info", TKind::Master},
  {Id::Title, "Title", TKind::Text}, {0x4D80, "MuxingApp", TKind::Text}, {0x5741, "WritingApp", TKind::Text},
  {Id::Tracks, "Tracks", TKind::Master}, {Id::TrackEntry, "TrackEntry", TKind::Master},
  {Id::TrackNumber, "TrackNumber", TKind::UInt}, {Id::TrackType, "TrackType", TKind::UInt},
  {0x86, "CodecID", TKind::Text}, {Id::Video, "Video", TKind::Master},
  {Id::StereoMode, "StereoMode", TKind::UInt}, {Id::PixelWidth, "PixelWidth", TKind::UInt},
  {Id::PixelHeight, "PixelHeight", TKind::UInt}, {Id::DisplayWidth, "DisplayWidth", TKind::UInt},
  {Id::DisplayHeight, "DisplayHeight", TKind::UInt}, {Id::DisplayUnit, "DisplayUnit", TKind::UInt},
  {Id::Void, "Void", TKind::Other}, {Id::Crc32, "CRC-32", TKind::Other},
}};
// clang-format on

const TKnown* Find(std::uint32_t ElementId)
{
  const auto* At = std::find_if(Known.begin(), Known.end(),
                                [ElementId](const TKnown& Entry) { return Entry.Id == ElementId; });
  return At == Known.end() ? nullptr : At;
}

std::string Printable(const std::string& Text)
{
  std::string Out;
  for (const char Char : Text) {
    const auto Byte = static_cast<unsigned char>(Char);
    Out += Byte < 0x20 || Byte == 0x7F ? '?' : Char;
  }
  return Out;
}

struct TDumpWalk {
  const std::vector<std::uint8_t>& Bytes;
  std::vector<TDumpLine>& Lines;
};

void WalkChildren(TDumpWalk& Walk, const THead& Parent, unsigned Depth)
{
  Need(Depth <= MaxDepth, "nests elements too deeply");
  for (const THead& Child : Children(Walk.Bytes, 0, Parent)) {
    Need(Walk.Lines.size() < MaxChildren, "holds too many elements in its header");
    const TKnown* Entry = Find(Child.Id);
    TDumpLine Line{Depth, Child, Entry != nullptr ? Entry->Name : "", {}};
    const std::uint8_t* Body = Walk.Bytes.data() + Child.DataOffset;
    if (Entry != nullptr && Entry->Kind == TKind::UInt && Child.Size <= 8) {
      Line.Value = std::to_string(ReadUInt(Body, Child.Size));
    } else if (Entry != nullptr && Entry->Kind == TKind::IdValue && Child.Size <= 4) {
      char Text[16];
      std::snprintf(Text, sizeof Text, "0x%llX", static_cast<unsigned long long>(ReadUInt(Body, Child.Size)));
      Line.Value = Text;
    } else if (Entry != nullptr && Entry->Kind == TKind::Text) {
      Line.Value = Printable(ReadString(Body, std::min<std::uint64_t>(Child.Size, 256)));
    }
    Walk.Lines.push_back(std::move(Line));
    if (Entry != nullptr && Entry->Kind == TKind::Master) {
      WalkChildren(Walk, Child, Depth + 1);
    }
  }
}

} // namespace

std::vector<TDumpLine> DumpHeader(Fs::IFileSystem& Fs, int Fd)
{
  const TMatroskaFile File = ReadMatroska(Fs, Fd);
  const std::uint64_t End = File.FirstCluster;
  Need(End <= MaxMasterBytes, "has a header region too large to list");
  std::vector<std::uint8_t> Bytes(static_cast<std::size_t>(End));
  if (int Error = Fs::ReadExact(Fs, Fd, Bytes.data(), Bytes.size(), 0); Error != 0) {
    throw EMatroskaError(std::string("cannot be read: ") + std::strerror(Error));
  }
  std::vector<TDumpLine> Lines;
  TDumpWalk State{Bytes, Lines};
  // The file's top level as a master of its own: the EBML header and the
  // Segment's head; the Segment's elements up to the first Cluster.
  THead Top;
  Top.DataOffset = 0;
  Top.Size = File.Segment.Offset;
  WalkChildren(State, Top, 0);
  Lines.push_back({0, File.Segment, "Segment", {}});
  THead Region = File.Segment;
  Region.Size = End - File.Segment.DataOffset;
  WalkChildren(State, Region, 1);
  return Lines;
}

} // namespace Quillmark::Matroska
