#include "metadata/MetadataEditor.h"

#include <cerrno>
#include <cstring>

namespace Quillmark {

namespace {

struct TCauseName {
  TFailureCause Cause;
  const char* Key;
  const char* Text;
};

// Every cause's words, for people and for programs, in one place: the
// window's details, the tool's lines and its JSON all take them from here.
constexpr TCauseName CauseNames[] = {
    {TFailureCause::NotFound, "not-found", "not found"},
    {TFailureCause::PermissionDenied, "permission-denied", "permission denied"},
    {TFailureCause::NotAsf, "not-asf", "not an ASF file"},
    {TFailureCause::DamagedHeader, "damaged-header", "damaged header"},
    {TFailureCause::HeldByAnotherProgram, "held-by-another-program", "held by another program"},
    {TFailureCause::DiskFull, "disk-full", "disk full"},
    {TFailureCause::SideFileFound, "side-file-found", "side file found"},
    {TFailureCause::FileChanged, "file-changed", "changed by another program since it was opened"},
    {TFailureCause::HardLinked, "hard-linked",
     "the file has other hard links, and its header can only grow by rewriting it"},
    {TFailureCause::OwnerNotKept, "owner-not-kept",
     "its header must grow by rewriting the file, and the copy could not keep the file's owner"},
    {TFailureCause::IoError, "io-error", "input/output error"},
    {TFailureCause::OutOfMemory, "out-of-memory", "out of memory"},
    {TFailureCause::Other, "other", ""},
};

const TCauseName* NameOf(TFailureCause Cause)
{
  for (const TCauseName& Name : CauseNames) {
    if (Name.Cause == Cause) {
      return &Name;
    }
  }
  return nullptr;
}

} // namespace

std::string FailureCauseText(TFailureCause Cause)
{
  const TCauseName* Name = NameOf(Cause);
  return Name != nullptr ? Name->Text : "";
}

std::string FailureCauseKey(TFailureCause Cause)
{
  const TCauseName* Name = NameOf(Cause);
  return Name != nullptr ? Name->Key : "";
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
  case EIO:
    return {TFailureCause::IoError, {}};
  case ENOMEM:
    return {TFailureCause::OutOfMemory, {}};
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
  case E_ACCESS_DENIED:
    return {TFailureCause::PermissionDenied, {}};
  case E_FILE_CHANGED:
    return {TFailureCause::FileChanged, {}};
  case E_FILE_HARD_LINKED:
    return {TFailureCause::HardLinked, {}};
  case E_OWNER_NOT_KEPT:
    return {TFailureCause::OwnerNotKept, Detail};
  case E_OUT_OF_MEMORY:
    return {TFailureCause::OutOfMemory, {}};
  case E_IO_FAILURE:
    // The engine's own words (a pipe is "not a regular file") say more than
    // the code; without them it is an error of the device.
    return Detail.empty() ? TFailureReason{TFailureCause::IoError, {}}
                          : TFailureReason{TFailureCause::Other, Detail};
  default:
    return {TFailureCause::Other, Detail};
  }
}

TFailureReason LastFailureOf(const TRef<IWMMetadataEditor>& Editor, HRESULT Result)
{
  TFailureReason Reason = FailureReasonOfResult(Result, {});
  if (Reason.Cause == TFailureCause::Other) {
    Reason.Detail = ResultName(Result);
  }
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
