#pragma once
// The file arguments of a command: a folder stands for the video files in
// it that the tool edits, ASF and Matroska (which the commands tell apart by
// their first bytes, not by name).
#include <iosfwd>
#include <string>
#include <vector>

namespace Quillmark {

// Whether a name ends in .wmv, .wma or .asf, in any case.
bool HasAsfExtension(const std::string& Name);
// Whether a name ends in .mkv or .webm, in any case.
bool HasMatroskaExtension(const std::string& Name);

// Expands Arguments in order. A file is kept whatever its name; a folder
// gives the ASF and Matroska files directly in it, sorted by name, and with Recursive
// those of its subfolders too, after its own files. From a folder only
// regular files and subfolders are taken: a link in it, to a file or to a
// folder, is passed over like any other entry that is not an ASF file, and
// no folder is walked twice. A link named in Arguments itself is followed.
// A folder that cannot be read, or that holds no such file, is reported as
// "FOLDER: message" on Err; false then. Listed, when given, tells for each
// file whether it was found in a folder: such a file must be opened without
// following a link, since another program may put one at its name between
// the listing and the open.
bool ExpandFileArguments(const std::vector<std::string>& Arguments, bool Recursive,
                         std::vector<std::string>& Files, std::ostream& Err,
                         std::vector<bool>* Listed = nullptr);

} // namespace Quillmark
