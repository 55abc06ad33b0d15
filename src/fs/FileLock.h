#pragma once
// A file held open for the editor, with an open-file-description lock on the
// whole file: exclusive for reading and writing, shared for reading only. The
// lock belongs to this open, so a second open of the same file conflicts with
// it in this process as in any other.
#include <cstdint>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace Quillmark::Fs {

// What the file was when it was opened, to notice a change by another program
// before writing.
struct TFileIdentity {
  dev_t Device = 0;
  ino_t Inode = 0;
  std::uint64_t Size = 0;
  std::int64_t ModifiedSeconds = 0;
  std::int64_t ModifiedNanoseconds = 0;
  bool operator==(const TFileIdentity&) const = default;
};

class TLockedFile {
public:
  // Throws EFsError: Locked when another open holds a conflicting lock, Open
  // when the file cannot be opened with the access asked, NotRegular when it
  // is not a regular file (a symbolic link too, unless FollowLinks).
  TLockedFile(const std::string& Path, bool Writable, bool FollowLinks = true);
  ~TLockedFile();
  TLockedFile(const TLockedFile&) = delete;
  TLockedFile& operator=(const TLockedFile&) = delete;

  int Descriptor() const { return FDescriptor; }
  bool Writable() const { return FWritable; }
  const std::string& Path() const { return FPath; }
  // As recorded at open.
  const TFileIdentity& Identity() const { return FIdentity; }
  // The whole status taken at open, once the lock was held.
  const struct stat& StatusAtOpen() const { return FStatus; }
  // As the file is now.
  TFileIdentity CurrentIdentity() const;
  // Takes the file as it is now for the one recorded at open, after this
  // program itself changed it.
  void RefreshIdentity() { FIdentity = CurrentIdentity(); }

private:
  int FDescriptor = -1;
  bool FWritable = false;
  std::string FPath;
  TFileIdentity FIdentity;
  struct stat FStatus {};
};

} // namespace Quillmark::Fs
