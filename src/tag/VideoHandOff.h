#pragma once
// The work of quillmark-tag that looks at a file's video. FFmpeg's libraries
// bring well over a hundred shared libraries with them, whose loading would
// cost every start of the tool tens of milliseconds, although most runs
// never look at a frame. So quillmark-tag is built without them, and a
// command that needs them is handed whole to quillmark-tag-video: the same
// tool, built with this work (see tag/video/VideoWork.h).
#include <iosfwd>
#include <string>

#include "catalogue/Catalogue.h"
#include "metadata/MetadataEditor.h"
#include "tag/VideoOptions.h"

namespace Quillmark {

struct TVideoWork {
  int (*RunDetect)(const TDetectOptions& Options, std::ostream& Out, std::ostream& Err);
  bool (*ApplyVideoChanges)(const TVideoChangeOptions& Options, const std::string& File,
                            const TRef<IWMMetadataEditor2>& Editor, TCatalogueValues& Values,
                            std::ostream& Out, std::ostream& Err);
  // The same for the open file Fd, which no editor holds.
  bool (*ApplyFileVideoChanges)(const TVideoChangeOptions& Options, const std::string& File, int Fd,
                                TCatalogueValues& Values, std::ostream& Out, std::ostream& Err);
};

// Replaces this process by the video program, given the same arguments, and
// returns only when it could not be started: it then says why on Err. Out
// and Err are flushed first.
// The program is looked for only beside this one's own executable (as
// installed, or in the build tree), never on PATH.
int HandOffToVideoProgram(const char* const* Arguments, std::ostream& Out, std::ostream& Err);

} // namespace Quillmark
