#pragma once
// Runs one editor call and turns the engine's error into its result code, so
// no exception crosses the interface.
#include "asf/EngineError.h"

#include <new>
#include <stdexcept>

namespace Quillmark::Asf {

template <class TCall> HRESULT Guarded(TCall&& Call) noexcept
{
  try {
    return Call();
  } catch (const EAsfError& Error) {
    return Error.Result();
  } catch (const Fs::EFsError& Error) {
    return AsfErrorOf(Error).Result();
  } catch (const std::bad_alloc&) {
    return E_OUT_OF_MEMORY;
  } catch (const std::length_error&) {
    return E_OUT_OF_MEMORY;
  } catch (...) {
    return E_INVALID_REQUEST;
  }
}

// As Guarded, and keeps the reason of an engine error in Reason (cleared
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

} // namespace Quillmark::Asf
