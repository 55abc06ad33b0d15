#include "asf/EngineError.h"

#include <cerrno>

namespace Quillmark::Asf {

HRESULT ErrnoResult(int Error)
{
  if (Error == ENOSPC || Error == EDQUOT) {
    return E_DISK_FULL;
  }
  return Error == EACCES || Error == EPERM || Error == EROFS ? E_ACCESS_DENIED : E_IO_FAILURE;
}

EAsfError AsfErrorOf(const Fs::EFsError& Error)
{
  switch (Error.Failure()) {
  case Fs::TFsFailure::Locked:
    return EAsfError(E_FILE_LOCKED, Error.what());
  case Fs::TFsFailure::Open:
    // The reason names what the system said: a missing file, a refused access.
    return EAsfError(E_IO_FAILURE, Error.what(), FailureReasonOfErrno(Error.Errno()));
  case Fs::TFsFailure::NotRegular:
  case Fs::TFsFailure::Other:
    break;
  }
  return EAsfError(E_IO_FAILURE, Error.what());
}

} // namespace Quillmark::Asf
