#pragma once
// Where a save's files are: the video's folder, held open from the video's
// open to the end of its save, and the names in it of the video and of the
// hidden side files that sit beside it while it is saved:
// ".<name>.quillmark-journal" (the rollback journal of an in-place save)
// and ".<name>.quillmark-new" (the copy a rewriting save builds).
//
// The folder is found once, when the video is opened, and checked then: the
// video's name in it must be the open file itself. From then on every side
// file is made, checked, renamed and removed through the folder's
// descriptor, never by a path again, so whatever is renamed, swapped for a
// link or mounted at the folder's path meanwhile, the save acts in the
// folder that holds the video.
#include "fs/FileSystem.h"

#include <memory>
#include <string>
#include <sys/stat.h>

namespace Quillmark::Fs {

// Which file a name led to: a file is the same one while these are.
struct TFileId {
  dev_t Device = 0;
  ino_t Inode = 0;
  bool Known() const { return Inode != 0; }
  bool Is(const struct stat& Info) const { return Known() && Info.st_dev == Device && Info.st_ino == Inode; }
  static TFileId Of(const struct stat& Info) { return {Info.st_dev, Info.st_ino}; }
};

// A folder held open (O_PATH is not enough: its descriptor is synced).
class TFolder {
public:
  TFolder(IFileSystem& Fs, int Fd, const struct stat& Info, std::string Path)
      : FFs(Fs), FFd(Fd), FId(TFileId::Of(Info)), FPath(std::move(Path))
  {
  }
  ~TFolder();
  TFolder(const TFolder&) = delete;
  TFolder& operator=(const TFolder&) = delete;

  int Fd() const { return FFd; }
  TFileId Id() const { return FId; }
  // Where it was when it was opened; for messages and names only.
  const std::string& Path() const { return FPath; }
  std::string PathOf(const std::string& Name) const;
  // Whether the descriptor is still the folder opened, and in it.
  int Check() const;

private:
  IFileSystem& FFs;
  int FFd;
  TFileId FId;
  std::string FPath;
};
using TFolderRef = std::shared_ptr<const TFolder>;

// Opens the folder at Path (a real path, its last part no link).
int OpenFolder(IFileSystem& Fs, const std::string& Path, TFolderRef& Folder);

// A file of ours in a held folder. Own is the file we made or proved to be
// ours there, once known: a name is removed only while it still leads to it.
struct TSideFile {
  TFolderRef Folder;
  std::string Name;
  TFileId Own;
  bool Empty() const { return !Folder || Name.empty(); }
  std::string Path() const { return Folder ? Folder->PathOf(Name) : Name; }
};

struct TSaveNames {
  std::string Target; // the video's real path when it was opened
  TFolderRef Folder;  // the folder holding the video
  std::string Name;   // the video's name in Folder
  TSideFile Journal;  // where this save's journal is (beside, until WriteJournal moves it)
  // The place in the saver's own folder: Name empty when there is none;
  // Folder null until the folder is opened.
  TSideFile PrivateJournal;
  TSideFile Temp;
};

// Resolves symbolic links and relative parts of Path first, so the names
// belong to the file itself, not to a link; the folder found must hold the
// file Video under its name.
int ResolveSaveNames(IFileSystem& Fs, const std::string& Path, const struct stat& Video, TSaveNames& Names);
// The names beside the open file Fd (Info: its status), opened as Path:
// taken from where the kernel says the file is (one call, whatever the
// depth of the path), or, for the next file named in the same folder, from
// that folder; either only when the folder holds this very file under that
// name, as no link. Else as ResolveSaveNames.
int ResolveOpenSaveNames(IFileSystem& Fs, int Fd, const struct stat& Info, const std::string& Path,
                         TSaveNames& Names);
// Adds the name the video's journal has in the saver's own folder; Fd is
// the video's descriptor, whose file system names it too.
void AddPrivateJournal(IFileSystem& Fs, int Fd, const struct stat& Video, TSaveNames& Names);

// Whether the name Name of Folder leads to the file Id (not through a link).
bool NameLeadsTo(IFileSystem& Fs, const TFolder& Folder, const std::string& Name, TFileId Id);

// Removes the side file when its name still leads to the file we made
// (ENOENT when it is gone, ESTALE when the name leads elsewhere: that file
// is not ours and stays).
int RemoveSideFile(IFileSystem& Fs, const TSideFile& File);

} // namespace Quillmark::Fs
