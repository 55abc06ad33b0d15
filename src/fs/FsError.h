#pragma once
// The one error type of the file-system layer, for the calls that throw
// (opening and locking a file); the others return an errno value. A caller
// above it decides what each failure means to its own users.
#include <stdexcept>
#include <string>

namespace Quillmark::Fs {

enum class TFsFailure {
  // The file could not be opened with the access asked; Errno says why.
  Open,
  // Another open holds a conflicting lock.
  Locked,
  // A FIFO, a device, a folder, or a symbolic link not to be followed.
  NotRegular,
  // Anything else: a status or a lock the system refused.
  Other,
};

class EFsError : public std::runtime_error {
public:
  EFsError(TFsFailure Failure, int Errno, const std::string& Message)
      : std::runtime_error(Message), FFailure(Failure), FErrno(Errno)
  {
  }
  TFsFailure Failure() const { return FFailure; }
  // The errno value of the failed call; 0 where no call failed.
  int Errno() const { return FErrno; }

private:
  TFsFailure FFailure;
  int FErrno;
};

} // namespace Quillmark::Fs
