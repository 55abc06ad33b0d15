#pragma once
// Giving back the room a header holds beyond a small margin: padding left by
// earlier saves (a poster removed, a growing save's reserve), top-level or
// inside the Header Extension.
//
// A shorter header moves the Data Object. Where the file system collapses
// ranges (ext4, XFS) and the room holds whole blocks of zeros, those blocks
// are taken out of the file in place, less than a block more than the
// margin staying padding; elsewhere the room goes by CommitHeader's copy.
// Either way with the crash safety of any save (HeaderCommit.h).
#include "asf/MetadataEditorImpl.h"

#include <cstdint>

namespace Quillmark::Asf {

// The padding a compacted header keeps: room for a few new texts without a
// rewrite of the file.
constexpr std::uint64_t CompactMargin = 4096;

struct TCompactPlan {
  std::uint64_t OldSize = 0; // the Header Object as it is in the file
  std::uint64_t NewSize = 0; // the same header with CompactMargin of padding
  // The whole blocks a collapse takes out; 0 when the header is copied.
  std::uint64_t Collapsed = 0;
  // Whether the header holds more room than the margin, so that a
  // compaction gains something worth it.
  bool Worth() const { return OldSize >= NewSize + CompactMargin; }
  // The bytes given back; 0 when not worth it.
  std::uint64_t Freed() const { return !Worth() ? 0 : Collapsed > 0 ? Collapsed : OldSize - NewSize; }
  TSaveWay Way() const { return Collapsed > 0 ? TSaveWay::Collapse : TSaveWay::Copy; }
};

// What compacting the file Editor holds open would give back, and which
// way. The editor's header is taken as it is, changes included; it may be
// open for reading.
HRESULT PlanCompact(const TMetadataEditor& Editor, TCompactPlan& Plan);

// Compacts the file Editor holds open for writing, when the plan frees
// anything; the editor is to be closed afterwards. Plan says afterwards
// what was given back and which way. Fs: nullptr for the real file system.
HRESULT CompactHeader(const TMetadataEditor& Editor, TCompactPlan& Plan, IFileSystem* Fs = nullptr);

} // namespace Quillmark::Asf
