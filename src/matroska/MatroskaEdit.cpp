#include "matroska/MatroskaEdit.h"

#include "fs/Crc32.h"
#include "matroska/MatroskaRelocate.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace Quillmark::Matroska {

namespace {

// What becomes of the children of a master element written again: Replace
// writes a child's replacement (or nothing) and returns true, or returns
// false to have it copied; Append adds children after the last.
struct TRebuild {
  std::function<bool(const THead&, std::vector<std::uint8_t>&)> Replace;
  std::function<void(std::vector<std::uint8_t>&)> Append;
};

constexpr std::uint64_t CrcElementLength = 6;

// The CRC-32 of a master covers the rest of its body, stored little-endian.
void FillCrc(std::vector<std::uint8_t>& Body)
{
  const std::uint32_t Crc = Fs::Crc32(Body.data() + CrcElementLength, Body.size() - CrcElementLength);
  for (int Index = 0; Index < 4; ++Index) {
    Body[2 + static_cast<std::size_t>(Index)] = static_cast<std::uint8_t>(Crc >> (8 * Index));
  }
}

std::vector<std::uint8_t> Rebuild(const std::vector<std::uint8_t>& Bytes, std::uint64_t Base,
                                  const THead& Parent, const TRebuild& How, unsigned ExtraWidth = 0)
{
  std::vector<std::uint8_t> Body;
  bool First = true;
  bool HasCrc = false;
  for (const THead& Child : Children(Bytes, Base, Parent)) {
    if (First && Child.Id == Id::Crc32 && Child.Size == 4) {
      HasCrc = true;
      Body.insert(Body.end(), {0xBF, 0x84, 0, 0, 0, 0});
    } else if (Child.Id == Id::Crc32 || !How.Replace || !How.Replace(Child, Body)) {
      // A CRC-32 anywhere but first is out of place and no longer true: dropped.
      if (Child.Id != Id::Crc32) {
        const auto From = Bytes.begin() + static_cast<long>(Child.Offset - Base);
        Body.insert(Body.end(), From, From + static_cast<long>(Child.Length()));
      }
    }
    First = false;
  }
  if (How.Append) {
    How.Append(Body);
  }
  if (HasCrc) {
    FillCrc(Body);
  }
  std::vector<std::uint8_t> Out;
  PutId(Out, Parent.Id);
  unsigned Width = Body.size() < (std::uint64_t{1} << (7 * Parent.SizeLength)) - 1 ? Parent.SizeLength
                                                                                   : SizeWidth(Body.size());
  PutSize(Out, Body.size(), std::min(8U, Width + ExtraWidth));
  Out.insert(Out.end(), Body.begin(), Body.end());
  return Out;
}

// Writes each changed field in the place of its first copy, drops the
// others, and appends those the element did not have.
class TFieldEdit {
public:
  void Set(std::uint32_t FieldId, std::optional<std::uint64_t> Value) { FValues.push_back({FieldId, Value}); }
  void SetText(std::uint32_t FieldId, const std::string& Text) { FTexts.push_back({FieldId, Text}); }

  TRebuild Rule()
  {
    return {[this](const THead& Child, std::vector<std::uint8_t>& Out) { return Replace(Child.Id, Out); },
            [this](std::vector<std::uint8_t>& Out) {
              for (const auto& [FieldId, Value] : FValues) {
                Replace(FieldId, Out);
              }
              for (const auto& [FieldId, Text] : FTexts) {
                Replace(FieldId, Out);
              }
            }};
  }

private:
  bool Replace(std::uint32_t FieldId, std::vector<std::uint8_t>& Out)
  {
    for (const auto& [Field, Value] : FValues) {
      if (Field == FieldId) {
        if (FDone.insert(FieldId).second && Value) {
          PutUIntElement(Out, FieldId, *Value);
        }
        return true;
      }
    }
    for (const auto& [Field, Text] : FTexts) {
      if (Field == FieldId) {
        if (FDone.insert(FieldId).second && !Text.empty()) {
          PutStringElement(Out, FieldId, Text);
        }
        return true;
      }
    }
    return false;
  }

  std::vector<std::pair<std::uint32_t, std::optional<std::uint64_t>>> FValues;
  std::vector<std::pair<std::uint32_t, std::string>> FTexts;
  std::set<std::uint32_t> FDone;
};

std::vector<std::uint8_t> NewTracks(const TTopElement& Tracks, const TMatroskaChange& Change,
                                    unsigned ExtraWidth)
{
  const TVideoPath Path = FindVideo(Tracks.Bytes, Tracks.Head.Offset);
  Need(Path.Found, "holds no video track to take a stereo layout");
  TFieldEdit Fields;
  if (Change.StereoMode) {
    Fields.Set(Id::StereoMode, *Change.StereoMode);
  }
  if (Change.DisplaySize) {
    Fields.Set(Id::DisplayWidth, Change.DisplaySize->first);
    Fields.Set(Id::DisplayHeight, Change.DisplaySize->second);
    Fields.Set(Id::DisplayUnit, std::nullopt); // pixels, the default
  }
  const std::uint64_t Base = Tracks.Head.Offset;
  const TRebuild InVideo = Fields.Rule();
  const TRebuild InEntry{[&](const THead& Child, std::vector<std::uint8_t>& Out) {
                           if (Child.Offset != Path.Video.Offset) {
                             return false;
                           }
                           const std::vector<std::uint8_t> Video =
                               Rebuild(Tracks.Bytes, Base, Child, InVideo);
                           Out.insert(Out.end(), Video.begin(), Video.end());
                           return true;
                         },
                         {}};
  const TRebuild InTracks{[&](const THead& Child, std::vector<std::uint8_t>& Out) {
                            if (Child.Offset != Path.Entry.Offset) {
                              return false;
                            }
                            const std::vector<std::uint8_t> Entry =
                                Rebuild(Tracks.Bytes, Base, Child, InEntry);
                            Out.insert(Out.end(), Entry.begin(), Entry.end());
                            return true;
                          },
                          {}};
  return Rebuild(Tracks.Bytes, Base, Tracks.Head, InTracks, ExtraWidth);
}

std::vector<std::uint8_t> NewInfo(const TTopElement& Info, const std::string& Title, unsigned ExtraWidth)
{
  TFieldEdit Fields;
  Fields.SetText(Id::Title, Title);
  return Rebuild(Info.Bytes, Info.Head.Offset, Info.Head, Fields.Rule(), ExtraWidth);
}

std::uint64_t Room(const TTopElement& Element)
{
  return Element.Head.Length() + (Element.VoidAfter ? Element.VoidAfter->Length() : 0);
}

// The new bytes of the changed elements, by the offset of the old ones;
// Extra widens their size fields by that many bytes.
using TMake = std::function<std::map<std::uint64_t, std::vector<std::uint8_t>>(unsigned Extra)>;

// The element alone in its room, the rest a Void; a rest of one byte is
// taken by a size field one byte wider. For an element outside the region
// read whole (after the first Cluster). Nothing when it does not fit.
std::optional<TPatch> Fit(const TTopElement& Element, const TMake& Make)
{
  std::vector<std::uint8_t> Bytes = Make(0U).at(Element.Head.Offset);
  const std::uint64_t Space = Room(Element);
  if (Bytes.size() + 1 == Space) {
    Bytes = Make(1U).at(Element.Head.Offset);
  }
  if (Bytes.size() > Space || Bytes.size() + 1 == Space) {
    return std::nullopt;
  }
  if (Bytes.size() < Space) {
    PutVoid(Bytes, Space - Bytes.size());
  }
  return TPatch{Element.Head.Offset, std::move(Bytes)};
}

// Top-level elements that only the SeekHead points to, which a change may
// move within the header: Voids are free room among them.
bool Movable(std::uint32_t ElementId)
{
  constexpr std::uint32_t Tags = 0x1254C367;
  constexpr std::uint32_t Chapters = 0x1043A770;
  constexpr std::uint32_t Attachments = 0x1941A469;
  return ElementId == Id::Void || ElementId == Id::Info || ElementId == Id::Tracks || ElementId == Tags ||
         ElementId == Chapters || ElementId == Attachments || ElementId == Id::Cues;
}

// A stretch of top-level elements written again: From..To (indexes of
// TopLevel, To included), the Void of what is left before them or after.
struct TStretch {
  std::size_t From = 0;
  std::size_t To = 0;
  bool VoidFirst = false;
};

struct TLaidOut {
  TPatch Patch;
  std::map<std::uint64_t, std::uint64_t> Moved; // old offset to new
};

// Lays the stretch out; false when it does not fit.
bool LayOut(const TMatroskaFile& File, const TStretch& Stretch,
            const std::map<std::uint64_t, std::vector<std::uint8_t>>& New, TLaidOut& Out)
{
  const std::uint64_t Start = File.TopLevel[Stretch.From].Offset;
  const std::uint64_t Space = File.TopLevel[Stretch.To].End() - Start;
  std::vector<std::pair<std::uint64_t, std::vector<std::uint8_t>>> Pieces;
  std::uint64_t Total = 0;
  for (std::size_t Index = Stretch.From; Index <= Stretch.To; ++Index) {
    const THead& Head = File.TopLevel[Index];
    if (Head.Id == Id::Void) {
      continue;
    }
    const auto Found = New.find(Head.Offset);
    Pieces.emplace_back(Head.Offset,
                        Found != New.end()
                            ? Found->second
                            : std::vector<std::uint8_t>(File.Region.begin() + static_cast<long>(Head.Offset),
                                                        File.Region.begin() + static_cast<long>(Head.End())));
    Total += Pieces.back().second.size();
  }
  if (Total > Space || Total + 1 == Space) {
    return false;
  }
  Out.Patch.Offset = Start;
  Out.Patch.Bytes.clear();
  if (Stretch.VoidFirst && Total < Space) {
    PutVoid(Out.Patch.Bytes, Space - Total);
  }
  for (const auto& [Old, Bytes] : Pieces) {
    Out.Moved[Old] = Start + Out.Patch.Bytes.size();
    Out.Patch.Bytes.insert(Out.Patch.Bytes.end(), Bytes.begin(), Bytes.end());
  }
  if (!Stretch.VoidFirst && Total < Space) {
    PutVoid(Out.Patch.Bytes, Space - Total);
  }
  return true;
}

// The stretches to try, in order: from the first changed element on, its
// Voids after it (nothing before it moves); then up to the last changed
// element, with the Voids before it (nothing after it moves).
std::vector<TStretch> Stretches(const TMatroskaFile& File, const std::vector<std::size_t>& Changed)
{
  std::size_t First = Changed.front();
  std::size_t Last = Changed.back();
  std::size_t From = First;
  while (From > 0 && Movable(File.TopLevel[From - 1].Id)) {
    --From;
  }
  std::size_t To = Last;
  while (To + 1 < File.TopLevel.size() && Movable(File.TopLevel[To + 1].Id)) {
    ++To;
  }
  return {{First, To, false}, {From, Last, true}, {From, To, true}};
}

// The SeekHead with its positions of moved elements changed, each in the
// bytes it had; nothing when it points to none of them.
std::optional<TPatch> NewSeekHead(const TMatroskaFile& File,
                                  const std::map<std::uint64_t, std::uint64_t>& Moved)
{
  if (!File.SeekHead) {
    return std::nullopt;
  }
  const TTopElement& Head = *File.SeekHead;
  const std::uint64_t Base = Head.Head.Offset;
  const std::uint64_t Segment = File.Segment.DataOffset;
  bool Changed = false;
  const TRebuild InSeek{[&](const THead& Field, std::vector<std::uint8_t>& Out) {
                          if (Field.Id != Id::SeekPosition || Field.Size == 0 || Field.Size > 8) {
                            return false;
                          }
                          const std::uint64_t Old =
                              ReadUInt(Head.Bytes.data() + (Field.DataOffset - Base), Field.Size);
                          const auto Found =
                              Old <= UnknownSize - Segment ? Moved.find(Segment + Old) : Moved.end();
                          if (Found == Moved.end() || Found->second == Found->first) {
                            return false;
                          }
                          const std::uint64_t Value = Found->second - Segment;
                          Need(Field.Size == 8 || Value >> (8 * Field.Size) == 0,
                               "has a SeekHead too small for the new places");
                          Out.insert(Out.end(), Head.Bytes.begin() + static_cast<long>(Field.Offset - Base),
                                     Head.Bytes.begin() + static_cast<long>(Field.DataOffset - Base));
                          for (auto Index = static_cast<int>(Field.Size) - 1; Index >= 0; --Index) {
                            Out.push_back(static_cast<std::uint8_t>(Value >> (8 * Index)));
                          }
                          Changed = true;
                          return true;
                        },
                        {}};
  const TRebuild InHead{[&](const THead& Child, std::vector<std::uint8_t>& Out) {
                          if (Child.Id != Id::Seek) {
                            return false;
                          }
                          const std::vector<std::uint8_t> Seek = Rebuild(Head.Bytes, Base, Child, InSeek);
                          Out.insert(Out.end(), Seek.begin(), Seek.end());
                          return true;
                        },
                        {}};
  std::vector<std::uint8_t> Bytes = Rebuild(Head.Bytes, Base, Head.Head, InHead);
  if (!Changed) {
    return std::nullopt;
  }
  Need(Bytes.size() == Head.Bytes.size(), "has a SeekHead that cannot be written again in its place");
  return TPatch{Base, std::move(Bytes)};
}

std::optional<std::size_t> IndexOf(const TMatroskaFile& File, const std::optional<TTopElement>& Element)
{
  for (std::size_t Index = 0; Element && Index < File.TopLevel.size(); ++Index) {
    if (File.TopLevel[Index].Offset == Element->Head.Offset) {
      return Index;
    }
  }
  return std::nullopt;
}

// Both changed elements in the header region, in one run of movable
// elements: written again together with the Voids around them.
std::optional<std::vector<TPatch>> PlanInRegion(const TMatroskaFile& File,
                                                const std::vector<std::size_t>& Changed, const TMake& Make)
{
  for (const TStretch& Stretch : Stretches(File, Changed)) {
    for (unsigned Extra = 0; Extra < 2; ++Extra) {
      TLaidOut Laid;
      if (!LayOut(File, Stretch, Make(Extra), Laid)) {
        continue;
      }
      std::vector<TPatch> Patches{std::move(Laid.Patch)};
      if (std::optional<TPatch> Seek = NewSeekHead(File, Laid.Moved)) {
        Patches.push_back(std::move(*Seek));
      }
      return Patches;
    }
  }
  return std::nullopt;
}

// Whether every changed element lies in one run of movable elements.
bool OneRun(const TMatroskaFile& File, const std::vector<std::size_t>& Changed)
{
  for (std::size_t Index = Changed.front(); Index <= Changed.back(); ++Index) {
    if (!Movable(File.TopLevel[Index].Id)) {
      return false;
    }
  }
  return true;
}

} // namespace

bool WebmStereoMode(std::uint64_t Mode)
{
  return Mode <= 3 || Mode == 11;
}

TSavePlan PlanSave(const TMatroskaFile& File, const TMatroskaChange& Change)
{
  if (Change.StereoMode && *Change.StereoMode && File.IsWebm()) {
    Need(WebmStereoMode(**Change.StereoMode),
         "is a WebM file, which takes only the stereo modes 0 to 3 and 11");
  }
  const bool VideoChange = Change.StereoMode || Change.DisplaySize;
  Need(!Change.Title || File.Info.has_value(), "holds no Info element to take a title");
  std::vector<const TTopElement*> Elements;
  if (Change.Title) {
    Elements.push_back(&*File.Info);
  }
  if (VideoChange) {
    Elements.push_back(&*File.Tracks);
  }
  const TMake Make = [&](unsigned Extra) {
    std::map<std::uint64_t, std::vector<std::uint8_t>> New;
    if (Change.Title) {
      New[File.Info->Head.Offset] = NewInfo(*File.Info, *Change.Title, Extra);
    }
    if (VideoChange) {
      New[File.Tracks->Head.Offset] = NewTracks(*File.Tracks, Change, Extra);
    }
    return New;
  };
  std::vector<std::size_t> Changed;
  for (const TTopElement* Element : Elements) {
    if (std::optional<std::size_t> Index = IndexOf(File, *Element); Index && !File.Region.empty()) {
      Changed.push_back(*Index);
    }
  }
  std::sort(Changed.begin(), Changed.end());
  if (Elements.empty()) {
    return {};
  }
  std::optional<std::vector<TPatch>> Patches;
  if (!Changed.empty() && Changed.size() == Elements.size() && OneRun(File, Changed)) {
    Patches = PlanInRegion(File, Changed, Make);
  } else {
    Patches.emplace();
    for (std::size_t Index = 0; Index < Elements.size() && Patches; ++Index) {
      if (std::optional<TPatch> Patch = Fit(*Elements[Index], Make)) {
        Patches->push_back(std::move(*Patch));
      } else {
        Patches.reset();
      }
    }
  }
  if (Patches) {
    return {std::move(*Patches), std::nullopt, {}};
  }
  const std::map<std::uint64_t, std::vector<std::uint8_t>> New = Make(0U);
  std::vector<TNewElement> Moving;
  for (const TTopElement* Element : Elements) {
    Moving.push_back({Element, New.at(Element->Head.Offset)});
  }
  return Relocate(File, Moving);
}

} // namespace Quillmark::Matroska
