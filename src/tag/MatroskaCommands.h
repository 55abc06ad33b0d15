#pragma once
// The commands' work on one Matroska or WebM file: show, dump and set call
// these for a file that begins with the EBML magic, whatever its name.
#include "fs/FileLock.h"
#include "tag/DumpCommand.h"
#include "tag/JsonFileNames.h"
#include "tag/MatroskaSetBatch.h"
#include "tag/SetCommand.h"
#include "tag/SetReport.h"
#include "tag/ShowCommand.h"

#include <iosfwd>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace Quillmark {

using THeldFile = std::unique_ptr<Fs::TLockedFile>;

// Each works on Held, the file as OpenIfMatroska opened it for the command.
// Each prints the file as the command does an ASF file (on Out, or as one
// more member of Files, not null for JSON); false after a line on Err about a failure.
bool ShowMatroska(const std::string& File, THeldFile Held, const TShowOptions& Options, TJsonFileArray* Files,
                  std::ostream& Out, std::ostream& Err);
bool DumpMatroska(const std::string& File, THeldFile Held, TJsonFileArray* Files, std::ostream& Out,
                  std::ostream& Err);

// The options of set that a Matroska file holds no value for, as given
// (such as "--author"); none when every option given fits.
std::vector<std::string> OptionsMatroskaLacks(const TSetOptions& Options);

// One file of set: the options applied to what it holds and saved in place
// (a dry run tells what would change). Position is its place in Report.
// With a batch, the save joins its group and is told of when the group is
// saved; without, it is made at once.
bool SetMatroska(const TSetOptions& Options, const std::string& File, THeldFile Held, std::size_t Position,
                 TSetReport& Report, std::ostream& Out, std::ostream& Err,
                 TMatroskaSetBatch* Batch = nullptr);

} // namespace Quillmark
