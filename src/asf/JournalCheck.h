#pragma once
// Whether a journal found beside a video (or in the saver's journal folder)
// is provably this video's own interrupted save, before a byte of it is
// written back.
//
// Its shape must be one our saves write: the old bytes begin a Header
// Object of a size the engine accepts, followed by the Data Object in the
// file as it stands; an overwrite records as many new bytes as old ones,
// for a header of the same size; an insert records the whole old header,
// room that starts inside it and is no larger than a save inserts, and a
// new header exactly that much larger; a collapse records room inside the
// old header, after every old and new byte it records (the rest of both
// headers being zeros), and a new header exactly that much smaller. The
// video must be the file the journal names (JournalBelongsTo), of the size
// before the save (or after its insert or collapse). Then every sector of
// the header region must hold what the save could have left there: the old
// bytes or the new ones (for an insert, the old header with the room's
// zeros in it, the new header, or, after a rollback cut off between its two
// steps, the new header with the room taken out; for a collapse, either
// header followed by zeros, whether the room is out or in again).
// Disks write whole sectors, so a crash leaves no sector half old.
#include "asf/FileSystemNames.h"

namespace Quillmark::Asf {

enum class TJournalVerdict {
  NotThisFile, // fails a test: never applied
  RollBack,    // put the old header back
  Completed,   // the overwrite had reached its end: the file stands
};

// Reads the open video, never writes it. Where is where the journal was
// found. The result is an errno for a failure to read it.
int CheckJournal(IFileSystem& Fs, int Fd, const TJournal& Journal, TJournalWhere Where,
                 TJournalVerdict& Verdict);

} // namespace Quillmark::Asf
