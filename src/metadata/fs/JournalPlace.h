#pragma once
// Where a journal goes when the video's folder takes no new files from the
// saver: a folder of the saver's own, "~/.local/state/quillmark/journals"
// under the home folder of the user database (no environment variable is
// read), created on first use with mode 0700. A journal there is named after
// the video's inode and the checksum of its real path, so the video's next
// open by the same user finds it.
#include "metadata/fs/FileSystem.h"

#include <cstdint>
#include <string>

namespace Quillmark::Asf {

// The folder; empty when the user has no home folder.
std::string PrivateJournalFolder();
// Tests put the folder elsewhere; empty restores the default.
void SetPrivateJournalFolder(const std::string& Folder);

// The journal's path there for the video at Target (its real path); empty
// when there is no such folder.
std::string PrivateJournalPath(const std::string& Target, std::uint64_t Inode);

// Creates the folder where missing and checks that it is a folder of the
// running user that nobody else may write; Folder is its path.
int PreparePrivateJournalFolder(IFileSystem& Fs, std::string& Folder);

} // namespace Quillmark::Asf
