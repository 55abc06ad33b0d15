#include "matroska/MatroskaRelocate.h"

#include "fs/Crc32.h"

#include <algorithm>
#include <map>

namespace Quillmark::Matroska {

namespace {

// The room an element holds: itself and the Void directly after it.
std::uint64_t RoomEnd(const TTopElement& Element)
{
  return Element.VoidAfter ? Element.VoidAfter->End() : Element.Head.End();
}

bool InRegion(const TMatroskaFile& File, const TTopElement& Element)
{
  return !File.Region.empty() && Element.Head.Offset < File.FirstCluster;
}

const std::vector<std::uint8_t>* NewBytesOf(const std::vector<TNewElement>& Changed,
                                            const TTopElement& Element)
{
  for (const TNewElement& New : Changed) {
    if (New.Old == &Element) {
      return &New.Bytes;
    }
  }
  return nullptr;
}

// The Info and Tracks elements after the first Cluster that, one after the
// other with their Voids, end the Segment: written again as a whole.
std::vector<const TTopElement*> EndRun(const TMatroskaFile& File)
{
  std::vector<const TTopElement*> Far;
  for (const std::optional<TTopElement>* Element : {&File.Info, &File.Tracks}) {
    if (Element->has_value() && !InRegion(File, **Element)) {
      Far.push_back(&**Element);
    }
  }
  std::sort(Far.begin(), Far.end(),
            [](const TTopElement* A, const TTopElement* B) { return A->Head.Offset < B->Head.Offset; });
  std::vector<const TTopElement*> Run;
  std::uint64_t End = File.Segment.End();
  for (auto At = Far.rbegin(); At != Far.rend() && RoomEnd(**At) == End; ++At) {
    Run.insert(Run.begin(), *At);
    End = (*At)->Head.Offset;
  }
  return Run;
}

void PutSeek(std::vector<std::uint8_t>& Out, const TSeekEntry& Entry)
{
  std::vector<std::uint8_t> Target;
  PutId(Target, Entry.Target);
  std::vector<std::uint8_t> Body;
  PutId(Body, Id::SeekId);
  PutSize(Body, Target.size(), 1);
  Body.insert(Body.end(), Target.begin(), Target.end());
  PutUIntElement(Body, Id::SeekPosition, Entry.Position);
  PutId(Out, Id::Seek);
  PutSize(Out, Body.size(), SizeWidth(Body.size()));
  Out.insert(Out.end(), Body.begin(), Body.end());
}

bool HasCrc(const TTopElement& Element)
{
  const std::vector<THead> Kids = Children(Element.Bytes, Element.Head.Offset, Element.Head);
  return !Kids.empty() && Kids.front().Id == Id::Crc32 && Kids.front().Size == 4;
}

// A SeekHead of these entries, with a CRC-32 first when Crc.
std::vector<std::uint8_t> EncodeSeekHead(const std::vector<TSeekEntry>& Entries, bool Crc)
{
  // A CRC-32 element, its sum filled in below.
  std::vector<std::uint8_t> Body =
      Crc ? std::vector<std::uint8_t>{0xBF, 0x84, 0, 0, 0, 0} : std::vector<std::uint8_t>{};
  for (const TSeekEntry& Entry : Entries) {
    PutSeek(Body, Entry);
  }
  if (Crc) {
    const std::uint32_t Sum = Fs::Crc32(Body.data() + 6, Body.size() - 6);
    for (std::size_t Index = 0; Index < 4; ++Index) {
      Body[2 + Index] = static_cast<std::uint8_t>(Sum >> (8 * Index));
    }
  }
  std::vector<std::uint8_t> Out;
  PutId(Out, Id::SeekHead);
  PutSize(Out, Body.size(), SizeWidth(Body.size()));
  Out.insert(Out.end(), Body.begin(), Body.end());
  return Out;
}

// The SeekHead that leads to every element at a new place, with the other
// entries of the old one; empty when the old one already does.
std::vector<std::uint8_t> NewSeekHead(const TMatroskaFile& File,
                                      const std::map<std::uint32_t, std::uint64_t>& Placed)
{
  const std::uint64_t Segment = File.Segment.DataOffset;
  std::vector<TSeekEntry> Entries;
  bool Same = File.SeekHead.has_value();
  std::map<std::uint32_t, std::uint64_t> Missing = Placed;
  for (const TSeekEntry& Entry : File.SeekHead ? SeekEntries(*File.SeekHead) : std::vector<TSeekEntry>{}) {
    const auto Found = Placed.find(Entry.Target);
    if (Found == Placed.end()) {
      Entries.push_back(Entry);
    } else if (Missing.erase(Entry.Target) != 0) {
      Same = Same && Entry.Position == Found->second - Segment;
      Entries.push_back({Entry.Target, Found->second - Segment});
    }
  }
  for (const auto& [Target, Offset] : Missing) {
    Entries.push_back({Target, Offset - Segment});
    Same = false;
  }
  if (Same) {
    return {};
  }
  return EncodeSeekHead(Entries, File.SeekHead && HasCrc(*File.SeekHead));
}

// Where elements moved: from their old offsets in the file to the new.
using TMoves = std::map<std::uint64_t, std::uint64_t>;

// A room of the header to fill: its offset and length.
struct TRoom {
  std::uint64_t Offset = 0;
  std::uint64_t Length = 0;
};

bool Fits(std::size_t Size, const TRoom& Room)
{
  return Size <= Room.Length && Size + 1 != Room.Length;
}

TPatch Filled(const TRoom& Room, std::vector<std::uint8_t> Bytes)
{
  if (Bytes.size() < Room.Length) {
    PutVoid(Bytes, Room.Length - Bytes.size());
  }
  return {Room.Offset, std::move(Bytes)};
}

// The Segment's size field, in its own width.
TPatch SegmentSize(const THead& Segment, std::uint64_t Size)
{
  Need(Segment.SizeLength == 8 || Size < (std::uint64_t{1} << (7 * Segment.SizeLength)) - 1,
       "has a Segment size field too narrow for the Segment to grow");
  TPatch Patch{Segment.DataOffset - Segment.SizeLength, {}};
  PutSize(Patch.Bytes, Size, Segment.SizeLength);
  return Patch;
}

// The rooms freed by the elements moved away become Voids, but the first
// one the new SeekHead fits in when the old SeekHead's own room does not
// take it; the old one is then a Void, and Moves hears where it went.
void PlaceSeekHead(const TMatroskaFile& File, const std::vector<TRoom>& Freed,
                   std::vector<std::uint8_t> SeekHead, TSavePlan& Plan, TMoves& Moves)
{
  const bool OwnRoom = File.SeekHead && InRegion(File, *File.SeekHead);
  Need(!File.SeekHead || OwnRoom || SeekHead.empty(),
       "has its SeekHead among its Clusters, which is not moved");
  if (OwnRoom && !SeekHead.empty()) {
    const TRoom Own{File.SeekHead->Head.Offset, RoomEnd(*File.SeekHead) - File.SeekHead->Head.Offset};
    if (Fits(SeekHead.size(), Own)) {
      Plan.Patches.push_back(Filled(Own, std::move(SeekHead)));
      SeekHead.clear();
    } else {
      Plan.Patches.push_back(Filled({Own.Offset, File.SeekHead->Head.Length()}, {}));
    }
  }
  for (const TRoom& Room : Freed) {
    if (!SeekHead.empty() && Fits(SeekHead.size(), Room)) {
      if (File.SeekHead) {
        Moves[File.SeekHead->Head.Offset] = Room.Offset;
      }
      Plan.Patches.push_back(Filled(Room, std::move(SeekHead)));
      SeekHead.clear();
    } else {
      Plan.Patches.push_back(Filled(Room, {}));
    }
  }
  Need(SeekHead.empty(), "has no room in its header for a SeekHead to the moved elements");
}

// Each other SeekHead that leads to an element moved is written again in
// its room, leading to the new place, or where that does not fit, without
// those entries (the first SeekHead leads there): none is left pointing at
// the Void an element left. One far among the Clusters cannot be journaled
// with the Segment's new end and is refused.
void UpdateOtherSeekHeads(const TMatroskaFile& File, const TMoves& Moves, TSavePlan& Plan)
{
  const std::uint64_t Segment = File.Segment.DataOffset;
  for (const TTopElement& Other : File.OtherSeekHeads) {
    std::vector<TSeekEntry> Entries = SeekEntries(Other);
    std::vector<TSeekEntry> Kept;
    for (TSeekEntry& Entry : Entries) {
      const auto Moved =
          Entry.Position < File.Segment.Size ? Moves.find(Segment + Entry.Position) : Moves.end();
      if (Moved == Moves.end()) {
        Kept.push_back(Entry);
      } else {
        Entry.Position = Moved->second - Segment;
      }
    }
    if (Kept.size() == Entries.size()) {
      continue;
    }
    Need(InRegion(File, Other) || File.FileSize - Other.Head.Offset <= MaxMasterBytes,
         "has a second SeekHead, far among its Clusters, that leads to its Info or Tracks; they are not "
         "moved");
    const TRoom Own{Other.Head.Offset, RoomEnd(Other) - Other.Head.Offset};
    std::vector<std::uint8_t> Bytes = EncodeSeekHead(Entries, HasCrc(Other));
    if (!Fits(Bytes.size(), Own)) {
      Bytes = EncodeSeekHead(Kept, HasCrc(Other));
      Need(Fits(Bytes.size(), Own), "has a second SeekHead that cannot be written again in its room");
    }
    Plan.Patches.push_back(Filled(Own, std::move(Bytes)));
  }
}

} // namespace

TSavePlan Relocate(const TMatroskaFile& File, const std::vector<TNewElement>& Changed)
{
  Need(File.Segment.End() == File.FileSize,
       "has bytes after its Segment, so its header cannot grow at its end");
  const std::vector<const TTopElement*> Run = EndRun(File);
  TSavePlan Plan;
  Plan.EndFrom = Run.empty() ? File.Segment.End() : Run.front()->Head.Offset;
  std::map<std::uint32_t, std::uint64_t> Placed;
  TMoves Moves;
  for (const TTopElement* Element : Run) {
    const std::vector<std::uint8_t>* New = NewBytesOf(Changed, *Element);
    Placed[Element->Head.Id] = *Plan.EndFrom + Plan.End.size();
    Moves[Element->Head.Offset] = Placed[Element->Head.Id];
    const std::vector<std::uint8_t>& Bytes = New ? *New : Element->Bytes;
    Plan.End.insert(Plan.End.end(), Bytes.begin(), Bytes.end());
  }
  std::vector<TRoom> Freed;
  for (const TNewElement& New : Changed) {
    if (std::find(Run.begin(), Run.end(), New.Old) != Run.end()) {
      continue;
    }
    Need(InRegion(File, *New.Old), "has its Info or Tracks among its Clusters, with no room to grow there");
    Freed.push_back({New.Old->Head.Offset, RoomEnd(*New.Old) - New.Old->Head.Offset});
    Placed[New.Old->Head.Id] = *Plan.EndFrom + Plan.End.size();
    Moves[New.Old->Head.Offset] = Placed[New.Old->Head.Id];
    Plan.End.insert(Plan.End.end(), New.Bytes.begin(), New.Bytes.end());
  }
  PlaceSeekHead(File, Freed, NewSeekHead(File, Placed), Plan, Moves);
  UpdateOtherSeekHeads(File, Moves, Plan);
  Plan.Patches.push_back(
      SegmentSize(File.Segment, *Plan.EndFrom + Plan.End.size() - File.Segment.DataOffset));
  return Plan;
}

} // namespace Quillmark::Matroska
