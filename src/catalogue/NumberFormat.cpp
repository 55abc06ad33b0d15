#include "catalogue/NumberFormat.h"

#include <string>

namespace Quillmark {

namespace {

constexpr std::size_t Precision = 15;
constexpr int UnitsPerSecondExponent = 7;
// Below 0.0001 seconds, that is below 1000 units, the format turns scientific.
constexpr std::uint64_t SmallestFixedUnits = 1000;

std::u16string Widen(const std::string& Text)
{
  return {Text.begin(), Text.end()};
}

std::uint64_t Magnitude(std::int64_t Value)
{
  return Value < 0 ? 0U - static_cast<std::uint64_t>(Value) : static_cast<std::uint64_t>(Value);
}

// Rounds the digit string to Precision digits, half away from zero. Returns
// how many places the decimal point moves right because of a carry (0 or 1).
int RoundDigits(std::string& Digits)
{
  if (Digits.size() <= Precision) {
    return 0;
  }
  const bool Up = Digits[Precision] >= '5';
  Digits.resize(Precision);
  if (!Up) {
    return 0;
  }
  for (std::size_t Index = Digits.size(); Index-- > 0;) {
    if (Digits[Index] != '9') {
      ++Digits[Index];
      return 0;
    }
    Digits[Index] = '0';
  }
  Digits.insert(Digits.begin(), '1');
  Digits.pop_back();
  return 1;
}

std::string Fixed(const std::string& Digits, int PointAt, char Separator)
{
  const auto Count = static_cast<int>(Digits.size());
  if (PointAt >= Count) {
    return Digits + std::string(static_cast<std::size_t>(PointAt - Count), '0');
  }
  if (PointAt <= 0) {
    return std::string("0") + Separator + std::string(static_cast<std::size_t>(-PointAt), '0') + Digits;
  }
  const auto Split = static_cast<std::size_t>(PointAt);
  return Digits.substr(0, Split) + Separator + Digits.substr(Split);
}

std::string Scientific(const std::string& Digits, int PointAt, char Separator)
{
  std::string Text(1, Digits[0]);
  if (Digits.size() > 1) {
    Text += Separator;
    Text += Digits.substr(1);
  }
  return Text + "E" + std::to_string(PointAt - 1);
}

} // namespace

std::u16string FormatDuration(std::int64_t Units, char16_t Separator)
{
  if (Units == 0) {
    return u"0";
  }
  const std::uint64_t Count = Magnitude(Units);
  std::string Digits = std::to_string(Count);
  // The value is 0.Digits x 10^PointAt.
  int PointAt = static_cast<int>(Digits.size()) - UnitsPerSecondExponent;
  PointAt += RoundDigits(Digits);
  while (Digits.size() > 1 && Digits.back() == '0') {
    Digits.pop_back();
  }
  // The digits are ASCII; the separator is put in afterwards, so any UTF-16
  // unit may stand there.
  constexpr char Mark = '.';
  const std::string Body =
      Count < SmallestFixedUnits ? Scientific(Digits, PointAt, Mark) : Fixed(Digits, PointAt, Mark);
  std::u16string Text = Widen((Units < 0 ? "-" : "") + Body);
  for (char16_t& Char : Text) {
    if (Char == u'.') {
      Char = Separator;
    }
  }
  return Text;
}

std::u16string FormatParallax(std::uint32_t Value)
{
  return Widen(std::to_string(static_cast<std::int32_t>(Value)));
}

std::u16string FormatTitleIndex(std::uint32_t Value)
{
  return Widen(std::to_string(Value));
}

} // namespace Quillmark
