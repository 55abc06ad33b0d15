#pragma once
// Producing the new Header Object from a header and its edited attributes.
//
// Only the attribute-bearing objects whose contents changed are written
// again, and the Header Extension when one of its children did; every other
// object, unknown ones included, goes back byte for byte in its place. A
// Content Description or Extended Content Description, Metadata or Metadata
// Library left empty by the edit is dropped. Missing top-level ones (and the
// Header Extension, created when a missing Metadata or Library needs it) go
// before the first Stream Properties Object, or last when there is none;
// missing extension children are appended to the extension. Top-level
// Padding Objects are left out: the save path adds one Padding Object at the
// end to fill the old header's space.
#include "asf/AsfHeader.h"
#include "asf/HeaderImage.h"

namespace Quillmark::Asf {

// Throws EAsfError(E_INVALID_REQUEST) when a value no longer fits its
// object's length fields or the header would exceed MaxHeaderSize.
THeaderImage RenderHeader(const TAsfHeader& Header);

} // namespace Quillmark::Asf
