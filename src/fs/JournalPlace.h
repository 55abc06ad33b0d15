#pragma once
// Where a journal goes when the video's folder takes no new files from the
// saver: a folder of the saver's own, "~/.local/state/quillmark/journals"
// under the home folder of the user database (no environment variable is
// read), created on first use with mode 0700. A journal there is named after
// the video's inode, device and file system and the checksum of its real
// path, so the video's next open by the same user finds it, and a video at
// the same inode of another disk mounted at the same place does not.
#include "fs/SaveNames.h"

#include <cstdint>
#include <string>

namespace Quillmark::Fs {

// The folder; empty when the user has no home folder.
std::string PrivateJournalFolder();
// Tests put the folder elsewhere; empty restores the default.
void SetPrivateJournalFolder(const std::string& Folder);

// The journal's name there for the video Video at Target (its real path) on
// the file system of identity FileSystem (statfs's f_fsid).
std::string PrivateJournalName(const std::string& Target, const struct stat& Video, std::uint64_t FileSystem);

// Opens the folder, creating it where missing when Create is set, and
// checks that it is a folder of the running user that nobody else may write.
int OpenPrivateJournalFolder(IFileSystem& Fs, bool Create, TFolderRef& Folder);

// While one of these lives, an open of the folder without creating it is
// answered from the last one for up to a second: a batch opens and saves
// thousands of files, and each looks for a journal there twice, almost
// always to find no folder at all. Creating the folder forgets the answer.
// A journal put there meanwhile by another process is found by the next
// open after the second, as it would be by the next command.
class TPrivateFolderMemory {
public:
  TPrivateFolderMemory();
  ~TPrivateFolderMemory();
  TPrivateFolderMemory(const TPrivateFolderMemory&) = delete;
  TPrivateFolderMemory& operator=(const TPrivateFolderMemory&) = delete;
};

} // namespace Quillmark::Fs
