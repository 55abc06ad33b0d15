#pragma once
// How stored numbers are shown in the window's edits.
#include <cstdint>
#include <string>

namespace Quillmark {

// A count of 100 ns units as seconds in the general format: up to 15
// significant digits (rounded half away from zero), no thousands
// separators, no trailing zeros, no separator for whole numbers. Magnitudes
// from 0.0001 up are fixed notation ("2.5"); smaller non-zero ones are
// scientific: mantissa, "E", "-", the exponent without leading zeros
// ("1E-7", "1.5E-5"). Every 64-bit count has at most 12 integer digits of
// seconds, so large values never need an exponent.
std::u16string FormatDuration(std::int64_t Units, char16_t Separator);

// A DWORD as a signed 32-bit decimal: 0xFFFFFFF6 is "-10".
std::u16string FormatParallax(std::uint32_t Value);

// A DWORD as an unsigned decimal: 0xFFFFFFFF is "4294967295".
std::u16string FormatTitleIndex(std::uint32_t Value);

} // namespace Quillmark
