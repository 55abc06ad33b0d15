#include "metadata/MetadataEditor.h"

#include <cerrno>
#include <cstring>

namespace Quillmark {

std::string FailureCauseText(TFailureCause Cause)
{
  switch (Cause) {
  case TFailureCause::None:
    return {};
  case TFailureCause::NotFound:
    return "not found";
  case TFailureCause::PermissionDenied:
    return "permission denied";
  case TFailureCause::NotAsf:
    return "not an ASF file";
  case TFailureCause::DamagedHeader:
    return "damaged header";
  case TFailureCause::HeldByAnotherProgram:
    return "held by another program";
  case TFailureCause::DiskFull:
    return "disk full";
  case TFailureCause::SideFileFound:
    return "side file found";
  case TFailureCause::Other:
    break;
  }
  return {};
}

std::string FailureReasonText(const TFailureReason& Reason)
{
  const std::string Cause = FailureCauseText(Reason.Cause);
  if (Cause.empty() || Reason.Detail.empty()) {
    return Cause.empty() ? Reason.Detail : Cause;
  }
  return Cause + ": " + Reason.Detail;
}

TFailureReason FailureReasonOfErrno(int Error)
{
  switch (Error) {
  case ENOENT:
  case ENOTDIR:
    return {TFailureCause::NotFound, {}};
  case EACCES:
  case EPERM:
  case EROFS:
    return {TFailureCause::PermissionDenied, {}};
  case ENOSPC:
  case EDQUOT:
    return {TFailureCause::DiskFull, {}};
  case EBUSY:
  case ETXTBSY:
  case EAGAIN:
    return {TFailureCause::HeldByAnotherProgram, {}};
  default:
    return {TFailureCause::Other, std::strerror(Error)};
  }
}

TFailureReason FailureReasonOfResult(HRESULT Result, const std::string& Detail)
{
  switch (Result) {
  case E_FILE_LOCKED:
    return {TFailureCause::HeldByAnotherProgram, {}};
  case E_CORRUPT_HEADER:
    return {TFailureCause::DamagedHeader, {}};
  case E_DISK_FULL:
    return {TFailureCause::DiskFull, {}};
  case E_SIDE_FILE_FOUND:
    return {TFailureCause::SideFileFound, {}};
  case E_OWNER_NOT_KEPT:
    return {TFailureCause::PermissionDenied, Detail};
  default:
    return {TFailureCause::Other, Detail};
  }
}

TFailureReason LastFailureOf(const TRef<IWMMetadataEditor>& Editor, HRESULT Result)
{
  TFailureReason Reason = FailureReasonOfResult(Result, ResultName(Result));
  if (auto Reporting = std::dynamic_pointer_cast<IQuillmarkFailureReason>(Editor)) {
    if (TFailureReason Last = Reporting->LastFailure(); Last.Cause != TFailureCause::None) {
      Reason = std::move(Last);
    }
  }
  // A side file the open found is named, so the user knows what to remove.
  if (Reason.Cause == TFailureCause::SideFileFound && Reason.Detail.empty()) {
    if (auto Side = std::dynamic_pointer_cast<IQuillmarkSideFiles>(Editor)) {
      Reason.Detail = Side->SideFileReport().Path;
    }
  }
  return Reason;
}

} // namespace Quillmark
