#pragma once
// The catalogue values a Matroska or WebM file holds: the stereo box and
// layout (the first video track's StereoMode), the half width and half
// height boxes (its display size against the size of one plane) and the
// title (the Segment's Info Title); and the change that stores new ones.
#include "catalogue/Catalogue.h"
#include "fs/FileLock.h"
#include "fs/SaveNames.h"
#include "matroska/MatroskaEdit.h"
#include "metadata/MetadataEditor.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Quillmark {

// The attributes a Matroska or WebM file holds.
inline constexpr std::array<TAttribute, 5> MatroskaAttributes = {
    TAttribute::Stereoscopic, TAttribute::StereoscopicLayout, TAttribute::StereoscopicHalfWidth,
    TAttribute::StereoscopicHalfHeight, TAttribute::Title};

// The file at Path opened and locked as the command then uses it (see
// Fs::TLockedFile), when it begins with the EBML magic as read through that
// descriptor: what is told apart is what is edited. Null for any other file,
// or one that cannot be opened so (left to the ASF open to explain).
std::unique_ptr<Fs::TLockedFile> OpenIfMatroska(const std::string& Path, bool Writable, bool FollowLinks);

struct TMatroskaOpened {
  std::unique_ptr<Fs::TLockedFile> File;
  Fs::TSaveNames Names;
  TSideFileReport SideFileReport;
  std::string SideFile; // the line about it; empty for none
  Matroska::TMatroskaFile Parsed;
  TCatalogueValues Values;
  // A stored stereo mode the layout list does not hold, shown by number.
  std::optional<std::uint64_t> OtherMode;
};

// Opens, locks (unless Opened.File already holds it) and reads the file; an
// open for writing first finishes or undoes an interrupted save. The message of a failure; empty on success.
std::string OpenMatroska(const std::string& Path, bool Writable, bool FollowLinks, TMatroskaOpened& Opened);

// The lines show prints for the file: label and text, as for ASF files but
// only the values a Matroska file holds.
std::vector<std::pair<std::string, std::string>> MatroskaLines(const TMatroskaOpened& Opened,
                                                               const TCatalogueValues& Values);

// The change that stores Values over what Opened holds; the message when a
// value cannot be stored (a layout Matroska does not hold, a stereo box
// ticked with no layout), else empty.
std::string MatroskaChange(const TMatroskaOpened& Opened, const TCatalogueValues& Values,
                           Matroska::TMatroskaChange& Change);

} // namespace Quillmark
