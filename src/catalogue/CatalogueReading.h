#pragma once
// Reading the catalogue from an editor's header into the window's record.
#include <string>

#include "catalogue/Catalogue.h"
#include "metadata/MetadataEditor.h"

namespace Quillmark {

// The text of the first instance of a string attribute of stream 0; empty
// when a call fails or the attribute is not a string. The whole text is read,
// whatever its length: one too long for the 16-bit calls is read by index. A
// final null character is the terminator and is dropped; a value stored
// without one keeps its last character. An odd byte length drops the stray
// byte.
std::u16string ReadStringAttribute(IWMHeaderInfo3& Header, const char16_t* Name);

// True only for a boolean attribute of stream 0 with a non-zero value.
bool ReadBoolAttribute(IWMHeaderInfo& Header, const char16_t* Name);

// Resets Values (marking nothing changed), then reads the sixteen
// attributes in the fixed order of opening a file. False when
// StereoscopicSkip, StereoscopicHorizontalParallax, StereoscopicPreview,
// StereoDiscTitleIndex or StereoDiscTitlePoster is read with another type
// than its own: reading stops there, leaving what was read before. Absent
// attributes, failed calls and pictures that break their rules leave their
// defaults. The duration is shown with Separator. Throws
// EInterfaceNotSupported when the editor does not offer IWMHeaderInfo3.
bool ReadCatalogue(const TRef<IWMMetadataEditor2>& Editor, TCatalogueValues& Values, char16_t Separator);

} // namespace Quillmark
