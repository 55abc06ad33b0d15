#pragma once
// Runs one editor call and turns the engine's error into its result code, so
// no exception crosses the interface.
#include "asf/EngineError.h"

#include <new>
#include <stdexcept>
#include <utility>

namespace Quillmark::Asf {

// Runs Call, keeping the reason of an engine error in Reason (cleared
// first), for the caller to ask after a failure.
template <class TCall> HRESULT GuardedRecording(TFailureReason& Reason, TCall&& Call) noexcept
{
  Reason = {};
  try {
    try {
      return Call();
    } catch (const Fs::EFsError& Error) {
      throw AsfErrorOf(Error);
    }
  } catch (const EAsfError& Error) {
    try {
      Reason = Error.Reason();
    } catch (...) {
      Reason = {};
    }
    return Error.Result();
  } catch (const std::bad_alloc&) {
    return E_OUT_OF_MEMORY;
  } catch (const std::length_error&) {
    return E_OUT_OF_MEMORY;
  } catch (...) {
    return E_INVALID_REQUEST;
  }
}

// As GuardedRecording, for a call whose failure has no reason to keep.
template <class TCall> HRESULT Guarded(TCall&& Call) noexcept
{
  TFailureReason Ignored;
  return GuardedRecording(Ignored, std::forward<TCall>(Call));
}

} // namespace Quillmark::Asf
