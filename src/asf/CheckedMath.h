#pragma once
// Arithmetic on sizes taken from a file: every overflow is a damaged header.
#include "asf/EngineError.h"

#include <cstddef>
#include <cstdint>
#include <limits>

namespace Quillmark::Asf {

inline std::uint64_t CheckedAdd(std::uint64_t A, std::uint64_t B)
{
  Require(A <= std::numeric_limits<std::uint64_t>::max() - B, "size overflow");
  return A + B;
}

inline std::uint64_t CheckedMul(std::uint64_t A, std::uint64_t B)
{
  Require(B == 0 || A <= std::numeric_limits<std::uint64_t>::max() / B, "size overflow");
  return A * B;
}

inline std::size_t ToSize(std::uint64_t Value)
{
  Require(Value <= std::numeric_limits<std::size_t>::max(), "size overflow");
  return static_cast<std::size_t>(Value);
}

// Narrows a size that must fit a 16-bit length field.
inline std::uint16_t ToWord(std::uint64_t Value)
{
  if (Value > 0xFFFFU) {
    throw EAsfError(E_INVALID_REQUEST, "value does not fit a 16-bit length");
  }
  return static_cast<std::uint16_t>(Value);
}

inline std::uint32_t ToDword(std::uint64_t Value)
{
  if (Value > 0xFFFFFFFFU) {
    throw EAsfError(E_INVALID_REQUEST, "value does not fit a 32-bit length");
  }
  return static_cast<std::uint32_t>(Value);
}

} // namespace Quillmark::Asf
