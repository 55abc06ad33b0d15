#pragma once
// New Info and Tracks elements for a change of the title or of the video
// track's stereo mode and display size, and where they go in the file.
//
// An element is written again where it is: its children are copied as they
// are but those changed, size fields keep their width where the new size
// still fits, a CRC-32 first child is computed again. It takes its own room
// and that of the Void directly after it; what is left over becomes a Void.
// Where that is too little, it moves to the end of the Segment.
#include "matroska/MatroskaFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Quillmark::Matroska {

struct TMatroskaChange {
  // A value to store, or nullopt inside to remove the element.
  std::optional<std::optional<std::uint64_t>> StereoMode;
  // The display size of one plane, in pixels (DisplayUnit 0).
  std::optional<std::pair<std::uint64_t, std::uint64_t>> DisplaySize;
  // The Segment's title; an empty one removes it.
  std::optional<std::string> Title;
  bool Any() const { return StereoMode || DisplaySize || Title; }
};

// Bytes to put at an offset of the file.
struct TPatch {
  std::uint64_t Offset = 0;
  std::vector<std::uint8_t> Bytes;
};

// What a save writes: bytes over those the file has, and perhaps a new end.
struct TSavePlan {
  std::vector<TPatch> Patches;
  // When set, the file from this offset on is replaced by End.
  std::optional<std::uint64_t> EndFrom;
  std::vector<std::uint8_t> End;
};

// The plan that makes the change: in place where the elements fit their
// rooms, else by moving them to the end of the Segment (MatroskaRelocate.h).
// Throws EMatroskaError when the file has no video track for a video change,
// when neither way takes the change, or for a WebM file, a stereo mode WebM
// does not take.
TSavePlan PlanSave(const TMatroskaFile& File, const TMatroskaChange& Change);

// Whether WebM files may hold this stereo mode.
bool WebmStereoMode(std::uint64_t Mode);

} // namespace Quillmark::Matroska
