#pragma once
// Moving Info and Tracks elements that no longer fit where they are to the
// end of the Segment. Clusters never move: the old element becomes a Void,
// the new one goes after the last byte of the Segment (or, when it is
// already among the elements that end the Segment, those are written again
// from the first of them on), the Segment's size grows in its own size
// field, and a SeekHead points to the new places.
//
// Players read the top level of a Segment up to its first Cluster and reach
// what lies beyond through a SeekHead found there. So a file with no
// SeekHead gets one, in the room of an element moved away; one whose
// SeekHead cannot take the new positions in its room has it moved likewise
// into such a room, the old one becoming a Void.
#include "matroska/MatroskaEdit.h"

namespace Quillmark::Matroska {

// A changed element and its new bytes.
struct TNewElement {
  const TTopElement* Old = nullptr;
  std::vector<std::uint8_t> Bytes;
};

// The plan that moves the changed elements. Throws EMatroskaError when the
// file has bytes after its Segment, a changed element lies among its
// Clusters away from its end, or no room is left for the SeekHead.
TSavePlan Relocate(const TMatroskaFile& File, const std::vector<TNewElement>& Changed);

} // namespace Quillmark::Matroska
