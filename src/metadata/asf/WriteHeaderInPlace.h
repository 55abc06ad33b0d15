#pragma once
// Writing a rendered header over the old one when it fits the old header's
// space: the rest of the file is not touched. A header that needs more room
// than the old one had is refused (E_INVALID_REQUEST); writing it takes
// moving the media data, which this step does not do.
#include "metadata/MetadataEditor.h"
#include "metadata/asf/AsfHeader.h"
#include "metadata/asf/FileLock.h"
#include "metadata/asf/HeaderImage.h"

namespace Quillmark::Asf {

// Fills the old header's OldHeaderSize bytes with Image followed by one
// Padding Object (none when the sizes are equal; a gap of 1 to 23 bytes
// cannot be padding and is refused), sets File Properties' File Size to the
// file's length unless the Broadcast flag is set, checks the result against
// Model before and after one pwrite, and makes it durable with fdatasync. On
// a failed check after writing, OriginalHeader is written back. Throws
// EAsfError; E_FILE_CHANGED when the file is no longer what was opened.
void WriteHeaderInPlace(const TLockedFile& File, const THeaderImage& Image, const TAsfHeader& Model,
                        const TBytes& OriginalHeader, const TProgressCallback& Progress);

// The bytes that WriteHeaderInPlace writes, for a file of FileSize bytes.
TBytes FillHeaderSpace(const THeaderImage& Image, std::uint64_t OldHeaderSize, std::uint64_t FileSize);

} // namespace Quillmark::Asf
