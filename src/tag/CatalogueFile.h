#pragma once
// Opening, checking and saving one file's catalogue with the window's steps
// and the window's messages, each message on one line.
#include <string>
#include <vector>

#include "metadata/CatalogueValues.h"
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
};

// Creates an editor, opens the file (ReadWrite: exclusively, as the window
// does; Read: shared with other readers) and reads the catalogue. Empty on
// success; otherwise the message, and no file is held.
std::string OpenCatalogue(const std::string& Path, TOpenAccess Access, TOpenedCatalogue& Opened);

// For a dry run: the editor, opened for reading, lets the file go for one
// over a copy of its header in memory, which takes changes as the file's
// own would but can never write. Empty on success; otherwise the message,
// and no editor is held.
std::string DetachFromFile(TOpenedCatalogue& Opened);

// Checks Values and writes them into the open editor; nothing reaches the
// file yet. Each refusal goes to Messages; true when the values were taken.
bool WriteValues(TOpenedCatalogue& Opened, std::vector<std::string>& Messages);

// The values the open editor holds now, read as the window reads a file: after
// WriteValues, what the file would show once saved. False when unreadable.
bool ReadValues(const TOpenedCatalogue& Opened, TCatalogueValues& Values);

// Checks Values and writes them into the open editor, then flushes (or, for
// a dry run, discards the changes). Every message goes to Messages in order;
// true when the file was saved (or would be). The file is let go in any case.
// Progress, when set, receives the progress of a save that copies the file.
bool SaveCatalogue(TOpenedCatalogue& Opened, const std::string& Path, bool DryRun,
                   const TProgressCallback& Progress, std::vector<std::string>& Messages);

// "Could not open file 'NAME'! Make sure it is not opened by another
// application." and the same with "save"; the window's two carriage returns
// become one space so that each message stays on one line.
std::string OpenFailureMessage(const std::string& Path);
// The message of what an open found of an interrupted save, on one line.
std::string SideFileLine(const TSideFileReport& Report, const std::string& Path);
std::string SaveFailureMessage(const std::string& Path);

// A fixed message with its reason after it, as "... application. (not found)".
std::string WithReason(const std::string& Message, const TFailureReason& Reason);

} // namespace Quillmark
