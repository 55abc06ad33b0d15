#pragma once
// The syntax of the window's number fields. The fields are parsed from their
// full text; only the test for a blank field trims.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Quillmark {

// A decimal number exactly as written: (-1)^Negative x Digits x 10^Exponent,
// Digits without leading zeros ("" for zero).
struct TDecimalNumber {
  bool Negative = false;
  std::string Digits;
  std::int64_t Exponent = 0;
};

// Spaces (code 32 only) before and after; an optional sign; digits with at
// most one Separator anywhere among them and at least one digit; optionally
// "E" or "e", an optional sign and at least one digit. Nothing else.
std::optional<TDecimalNumber> ParseDecimalNumber(std::u16string_view Text, char16_t Separator);

// Seconds as written, in units of 100 ns, rounded exactly (no floating
// point) to the nearest integer with halves to the even neighbour. None when
// the text is not a decimal number or the count does not fit in 64 bits
// (which covers every "infinite" text such as 1e400). A negative count is
// returned as such; the caller refuses it.
std::optional<std::int64_t> ParseDurationUnits(std::u16string_view Text, char16_t Separator);

// Leading spaces (code 32 only); an optional sign; then decimal digits in
// -2147483648..2147483647, or up to eight significant hexadecimal digits
// after "$", "x", "X", "0x" or "0X", taken as a 32-bit two's complement
// pattern. A sign before a hexadecimal pattern negates it modulo 2^32
// ("-$10" is -16). Nothing may follow the digits.
std::optional<std::int32_t> ParseInteger(std::u16string_view Text);

// True when nothing but characters of code 32 or less is in the text.
bool IsBlank(std::u16string_view Text);

// Removes every character of code 32 or less at both ends.
std::u16string_view Trimmed(std::u16string_view Text);

} // namespace Quillmark
