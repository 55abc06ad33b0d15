#pragma once
// The changes of quillmark-tag set that look at the file's video: the
// detected layout and the pictures made from a frame.
#include <iosfwd>
#include <string>

#include "catalogue/Catalogue.h"
#include "metadata/MetadataEditor.h"
#include "tag/VideoOptions.h"

namespace Quillmark {

// Changes Values of File as the options ask, reading the video of the file
// Editor holds open (never File's name again: what is written into the file
// is made from its own frames); the 2D intro Values state is skipped. A
// detected layout whose family and halves are sure but whose eye order is
// not is left unstored, with a line on Err naming the family and the two
// --layout choices; the pictures asked for are then made from one view of
// that family all the same. On a guess whose family is not sure, or a video
// that cannot be looked at, it says so on Err ("FILE: message"), leaves
// Values as they were and returns false: the file is then left alone. What
// was detected goes to Out.
bool ApplyVideoChanges(const TVideoChangeOptions& Options, const std::string& File,
                       const TRef<IWMMetadataEditor2>& Editor, TCatalogueValues& Values, std::ostream& Out,
                       std::ostream& Err);

// The same for a file without an editor (a Matroska file): the video is read
// from a copy of the descriptor Fd of the file opened.
bool ApplyFileVideoChanges(const TVideoChangeOptions& Options, const std::string& File, int Fd,
                           TCatalogueValues& Values, std::ostream& Out, std::ostream& Err);

} // namespace Quillmark
