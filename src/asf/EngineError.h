#pragma once
// The one error type of the header engine. Parsing, rendering and file access
// throw it; the editor turns it into the result code it carries.
#include "fs/FsError.h"
#include "metadata/MetadataEditor.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace Quillmark::Asf {

class EAsfError : public std::runtime_error {
public:
  // The reason follows from the result: a lock held elsewhere, a damaged
  // header, a full disk; otherwise the message says what went wrong.
  EAsfError(HRESULT Result, const std::string& Message)
      : std::runtime_error(Message), FResult(Result), FReason(DefaultReason(Result, Message))
  {
  }
  EAsfError(HRESULT Result, const std::string& Message, TFailureReason Reason)
      : std::runtime_error(Message), FResult(Result), FReason(std::move(Reason))
  {
  }
  HRESULT Result() const { return FResult; }
  const TFailureReason& Reason() const { return FReason; }

private:
  static TFailureReason DefaultReason(HRESULT Result, const std::string& Message)
  {
    return FailureReasonOfResult(Result, Message);
  }

  HRESULT FResult;
  TFailureReason FReason;
};

// Throws E_CORRUPT_HEADER with the message unless the condition holds.
inline void Require(bool Condition, const char* Message)
{
  if (!Condition) {
    throw EAsfError(E_CORRUPT_HEADER, Message);
  }
}

// What a failed call of the file-system layer means to the editor's caller:
// E_DISK_FULL for a full disk or quota, E_ACCESS_DENIED for an access the
// system refuses, E_IO_FAILURE for anything else.
HRESULT ErrnoResult(int Error);
// The engine's error for an error the file-system layer threw.
EAsfError AsfErrorOf(const Fs::EFsError& Error);

} // namespace Quillmark::Asf
