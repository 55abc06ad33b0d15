#pragma once
// The journal of a Matroska save (fs/Journal.h) and what a journal
// found beside a file says of it.
//
// A save whose changes all lie in the file's first MaxMasterBytes is an
// overwrite: the old bytes from the start to the last one changed, and the
// new ones. One that also changes bytes further on or writes the Segment's
// end anew is a relocation: the same, plus the far range from its first
// changed byte to its last (or to the end of the file, which may then have
// another length), before and after.
#include "fs/Journal.h"
#include "matroska/MatroskaEdit.h"

namespace Quillmark::Matroska {

// The journal of the plan, for the open file Fd of OldSize bytes. Throws
// EMatroskaError when the file changed since it was read, cannot be read,
// or the plan's far range is larger than MaxMasterBytes.
Fs::TJournal MakeJournal(Fs::IFileSystem& Fs, int Fd, std::uint64_t OldSize, const TSavePlan& Plan);

// Whether the journal changes nothing.
bool ChangesNothing(const Fs::TJournal& Journal);

// Writes the journal's new bytes into Fd and reads them back (a disk that
// took them wrongly is found before the journal goes); sets the new length.
// Not synced.
int WriteNewBytes(Fs::IFileSystem& Fs, int Fd, const Fs::TJournal& Journal);

// Whether every byte an overwrite changes lies in one sector of the file.
// A disk writes a sector whole or not at all (the check below rests on
// that too), so a crash leaves such a sector old or new: its save needs no
// journal file, the journal staying in memory for a rollback.
bool WithinOneSector(const Fs::TJournal& Journal);

enum class TVerdict { NotThisFile, RollBack, Completed };

// What the journal found for Fd means: not this file's (so left alone), a
// save cut off (so the old bytes go back), or one that reached its end. It
// is this file's when it belongs to it (JournalBelongsTo), starts with the
// EBML magic, and every sector it covers holds its old bytes or its new
// ones (disks write whole sectors). It reached its end when all are new and
// the file has its new length.
TVerdict CheckJournal(Fs::IFileSystem& Fs, int Fd, const Fs::TJournal& Journal, Fs::TJournalWhere Where);

} // namespace Quillmark::Matroska
