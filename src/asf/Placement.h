#pragma once
// Which object each attribute is stored in when the header is written again.
//
// An attribute read from the file and not changed since stays in its object,
// where that object may hold it. Every other attribute is placed by these
// rules, in list order:
// - stream 0: Title, Author, Copyright, Description and Rating go to the
//   Content Description when they are a string of at most 65,535 bytes in
//   language 0 and the only instance of their name; otherwise to the Library.
//   Any other name goes to the Extended Content Description for its first
//   instance when it is in language 0, not a GUID and at most 65,535 bytes;
//   otherwise to the Library.
// - other streams: the Metadata Object for the first instance of a name in
//   language 0, not a GUID and at most 65,535 bytes; otherwise the Library.
// Inside the Library, values over 65,535 bytes follow all smaller ones, since
// some readers stop at the first large value of an object.
#include "asf/AsfHeader.h"
#include "asf/AttributeObjects.h"

#include <vector>

namespace Quillmark::Asf {

struct TPlacement {
  TContentFields Content{};
  std::vector<const TStoredAttribute*> Extended;
  std::vector<const TStoredAttribute*> Metadata;
  std::vector<const TStoredAttribute*> Library;
};

// Whether records are exactly those an object held when read, in their order.
bool IsOriginalSequence(const std::vector<const TStoredAttribute*>& Records, TStore Store,
                        std::uint32_t Count);
// Whether the Content Description fields are those read.
bool IsOriginalContent(const TContentFields& Fields, const TOriginalLayout& Layout);

// The pointers refer into Attributes, which must outlive the result.
TPlacement PlaceAttributes(const TAttributeList& Attributes, const TOriginalLayout& Layout);

} // namespace Quillmark::Asf
