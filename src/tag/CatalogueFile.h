#pragma once
// Opening, checking and saving one file's catalogue with the window's steps
// and the window's messages, each message on one line.
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "metadata/MetadataEditor.h"

namespace Quillmark {

enum class TOpenAccess { Read, ReadWrite };

struct TOpenedCatalogue {
  TRef<IWMMetadataEditor2> Editor;
  TCatalogueValues Values;
  // What the open found of an interrupted save, on one line; empty for nothing.
  std::string SideFile;
  TSideFileReport SideFileReport;
  // Why the open failed, when it did.
  TFailureReason Failure;
  // What the save does beside the values: each copy of a text under another
  // name kept in step ("title") or removed with it ("title removed").
  std::vector<std::string> KeptInStep;
};

// Creates an editor, opens the file (ReadWrite: exclusively, as the window
// does; Read: shared with other readers) and reads the catalogue. Empty on
// success; otherwise the cause, first ("not found"), and no file is held.
// FollowLinks false: a link at the path's last part is refused (a file
// found in a folder).
std::string OpenCatalogue(const std::string& Path, TOpenAccess Access, TOpenedCatalogue& Opened,
                          bool FollowLinks = true);

// For a dry run: the editor, opened for reading, lets the file go for one
// over a copy of its header in memory, which takes changes as the file's
// own would but can never write. Empty on success; otherwise the message,
// and no editor is held.
std::string DetachFromFile(TOpenedCatalogue& Opened);

// Checks Values and writes them into the open editor; nothing reaches the
// file yet. Each refusal goes to Messages; true when the values were taken.
// A refused value the user did not give (one stored so in the file) is
// named with its stored text and the option that replaces it (see
// RefusalText). Copies of the texts kept in step go to KeptInStep.
bool WriteValues(TOpenedCatalogue& Opened, std::vector<std::string>& Messages);

// The values the open editor holds now, read as the window reads a file: after
// WriteValues, what the file would show once saved. False when unreadable.
bool ReadValues(const TOpenedCatalogue& Opened, TCatalogueValues& Values);

// The message of what an open found of an interrupted save, on one line.
std::string SideFileLine(const TSideFileReport& Report, const std::string& Path);

} // namespace Quillmark
