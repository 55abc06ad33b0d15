#pragma once
// Giving back the room a header holds beyond a small margin: padding left by
// earlier saves (a poster removed, a growing save's reserve), top-level or
// inside the Header Extension.
//
// A shorter header moves the Data Object, so the room goes by CommitHeader's
// copy, with the crash safety of any copying save: the new file is written,
// synced and checked beside the video and takes its name only then.
#include "metadata/asf/MetadataEditorImpl.h"

#include <cstdint>

namespace Quillmark::Asf {

// The padding a compacted header keeps: room for a few new texts without a
// rewrite of the file.
constexpr std::uint64_t CompactMargin = 4096;

struct TCompactPlan {
  std::uint64_t OldSize = 0; // the Header Object as it is in the file
  std::uint64_t NewSize = 0; // the same header with CompactMargin of padding
  // The bytes given back; 0 when the header holds no more room than the
  // margin and a copy of the file would gain nothing worth it.
  std::uint64_t Freed() const { return OldSize >= NewSize + CompactMargin ? OldSize - NewSize : 0; }
};

// What compacting the file Editor holds open would give back. The editor's
// header is taken as it is, changes included; it may be open for reading.
HRESULT PlanCompact(const TMetadataEditor& Editor, TCompactPlan& Plan);

// Compacts the file Editor holds open for writing, when the plan frees
// anything; the editor is to be closed afterwards. Fs: nullptr for the real
// file system. Way, when given, receives how the header was written.
HRESULT CompactHeader(const TMetadataEditor& Editor, TCompactPlan& Plan, IFileSystem* Fs = nullptr,
                      TSaveWay* Way = nullptr);

} // namespace Quillmark::Asf
