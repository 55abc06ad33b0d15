#pragma once
// Saving a Matroska file in place, crash-safe, and finishing a save a crash
// cut off, with the journal of the ASF saves (MatroskaJournal.h): the old
// bytes a save changes and the new ones (and, for a Segment that grows at
// its end, the length before), beside the file (or in the saver's own
// folder), synced before the file is touched. The save takes effect once
// the file is synced; the journal goes then.
//
// A journal found when the file is next opened is acted on only when it is
// provably this file's (CheckJournal). All new: the save had reached its
// end and stands. Otherwise the old bytes and length go back.
#include "fs/Journal.h"
#include "fs/SaveNames.h"
#include "matroska/MatroskaEdit.h"
#include "metadata/MetadataEditor.h"

#include <string>
#include <vector>

namespace Quillmark::Matroska {

// Finds the names beside the open file Fd (opened as Path) and acts on a
// journal there as above when MayWrite, else only tells what an open for
// writing would do. Report says what was found; Names are those the save
// then uses. Throws EMatroskaError when the file cannot be looked at.
void RecoverMatroska(Fs::IFileSystem& Fs, int Fd, const std::string& Path, bool MayWrite,
                     Fs::TSaveNames& Names, TSideFileReport& Report);

// Writes the plan into the open file Fd (read and write, locked) as found
// by RecoverMatroska, crash-safe. OldSize is the size the file had
// when it was read. Throws EMatroskaError with the reason when the save
// failed; the file then holds its old bytes (or, should even putting them
// back fail, the journal stays for the next open).
void SaveInPlace(Fs::IFileSystem& Fs, int Fd, Fs::TSaveNames& Names, std::uint64_t OldSize,
                 const TSavePlan& Plan);

// The steps of SaveInPlace, for a batch that runs them for many files
// (MatroskaBatch.h). PrepareSave makes the checks before a journal (a
// folder to act in, no side file of an interrupted save) and returns the
// plan's journal, throwing as SaveInPlace does; SaveJournaled saves it
// alone, three syncs of its own; UndoSave, for a save that failed after
// its journal was written, puts the old bytes back and only then removes
// the journal (should that fail, the journal stays for the next open).
Fs::TJournal PrepareSave(Fs::IFileSystem& Fs, int Fd, const Fs::TSaveNames& Names, std::uint64_t OldSize,
                         const TSavePlan& Plan);
void SaveJournaled(Fs::IFileSystem& Fs, int Fd, Fs::TSaveNames& Names, const Fs::TJournal& Journal);
void UndoSave(Fs::IFileSystem& Fs, int Fd, const Fs::TSaveNames& Names, const Fs::TJournal& Journal);

// "What: the errno's text", as a save's failures read.
std::string SaveFailure(const char* What, int Error);

} // namespace Quillmark::Matroska
