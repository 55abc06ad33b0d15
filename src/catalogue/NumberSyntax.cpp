#include "catalogue/NumberSyntax.h"

#include <limits>

namespace Quillmark {

namespace {

constexpr std::int64_t UnitsPerSecondExponent = 7;
// An exponent written beyond this only ever gives 0 or an overflow, so the
// digits after it need not be counted exactly.
constexpr std::int64_t ExponentCap = 1000000;

bool IsDigit(char16_t Char)
{
  return Char >= u'0' && Char <= u'9';
}

int HexValue(char16_t Char)
{
  if (IsDigit(Char)) {
    return Char - u'0';
  }
  if (Char >= u'a' && Char <= u'f') {
    return Char - u'a' + 10;
  }
  if (Char >= u'A' && Char <= u'F') {
    return Char - u'A' + 10;
  }
  return -1;
}

class TScanner {
public:
  explicit TScanner(std::u16string_view Text) : FText(Text) {}

  bool AtEnd() const { return FPos >= FText.size(); }
  char16_t Peek(std::size_t Ahead = 0) const
  {
    return FPos + Ahead < FText.size() ? FText[FPos + Ahead] : u'\0';
  }
  void Skip(std::size_t Count = 1) { FPos += Count; }
  void SkipSpaces()
  {
    while (Peek() == u' ' && !AtEnd()) {
      Skip();
    }
  }
  // Takes an optional "+" or "-"; true for "-".
  bool TakeSign()
  {
    const char16_t Char = Peek();
    if (!AtEnd() && (Char == u'+' || Char == u'-')) {
      Skip();
      return Char == u'-';
    }
    return false;
  }

private:
  std::u16string_view FText;
  std::size_t FPos = 0;
};

// Reads the exponent's digits, saturating far beyond any useful value.
std::optional<std::int64_t> TakeExponent(TScanner& Scanner)
{
  const bool Negative = Scanner.TakeSign();
  if (!IsDigit(Scanner.Peek()) || Scanner.AtEnd()) {
    return std::nullopt;
  }
  std::int64_t Value = 0;
  while (!Scanner.AtEnd() && IsDigit(Scanner.Peek())) {
    if (Value < ExponentCap) {
      Value = Value * 10 + (Scanner.Peek() - u'0');
    }
    Scanner.Skip();
  }
  return Negative ? -Value : Value;
}

// The number Digits x 10^Exponent (Digits without leading zeros) rounded to
// an integer, halves to even; none above the range of an unsigned 64-bit.
std::optional<std::uint64_t> RoundToInteger(const std::string& Digits, std::int64_t Exponent)
{
  const auto Length = static_cast<std::int64_t>(Digits.size());
  if (Digits.empty() || Length + Exponent < 0) {
    return 0; // zero, or below 0.1: rounds down
  }
  const std::int64_t IntegerDigits = Length + Exponent;
  if (IntegerDigits > 20) {
    return std::nullopt;
  }
  std::uint64_t Value = 0;
  constexpr std::uint64_t Max = std::numeric_limits<std::uint64_t>::max();
  for (std::int64_t Index = 0; Index < IntegerDigits; ++Index) {
    const std::uint64_t Digit =
        Index < Length ? static_cast<std::uint64_t>(Digits[static_cast<std::size_t>(Index)] - '0') : 0;
    if (Value > (Max - Digit) / 10) {
      return std::nullopt;
    }
    Value = Value * 10 + Digit;
  }
  if (IntegerDigits >= Length) {
    return Value;
  }
  // The fraction is Digits[IntegerDigits..]; its first digit decides unless it
  // is a 5, where any later non-zero digit (Digits ends in one) rounds up.
  const auto First = static_cast<std::size_t>(IntegerDigits);
  const char Lead = Digits[First];
  const bool MoreAfterLead = First + 1 < Digits.size();
  const bool Up = Lead > '5' || (Lead == '5' && (MoreAfterLead || (Value % 2) == 1));
  if (Up) {
    if (Value == Max) {
      return std::nullopt;
    }
    ++Value;
  }
  return Value;
}

} // namespace

std::optional<TDecimalNumber> ParseDecimalNumber(std::u16string_view Text, char16_t Separator)
{
  TScanner Scanner(Text);
  TDecimalNumber Number;
  Scanner.SkipSpaces();
  Number.Negative = Scanner.TakeSign();
  bool SeenSeparator = false;
  bool SeenDigit = false;
  std::int64_t FractionDigits = 0;
  for (; !Scanner.AtEnd(); Scanner.Skip()) {
    const char16_t Char = Scanner.Peek();
    if (IsDigit(Char)) {
      SeenDigit = true;
      if (!Number.Digits.empty() || Char != u'0') {
        Number.Digits.push_back(static_cast<char>(Char));
      }
      FractionDigits += SeenSeparator ? 1 : 0;
    } else if (Char == Separator && !SeenSeparator) {
      SeenSeparator = true;
    } else {
      break;
    }
  }
  if (!SeenDigit) {
    return std::nullopt;
  }
  std::int64_t Exponent = 0;
  if (Scanner.Peek() == u'E' || Scanner.Peek() == u'e') {
    Scanner.Skip();
    const std::optional<std::int64_t> Written = TakeExponent(Scanner);
    if (!Written) {
      return std::nullopt;
    }
    Exponent = *Written;
  }
  Scanner.SkipSpaces();
  if (!Scanner.AtEnd()) {
    return std::nullopt;
  }
  // Trailing zeros of the digits move into the exponent, so Digits ends in a
  // non-zero digit.
  Number.Exponent = Exponent - FractionDigits;
  while (!Number.Digits.empty() && Number.Digits.back() == '0') {
    Number.Digits.pop_back();
    ++Number.Exponent;
  }
  return Number;
}

std::optional<std::int64_t> ParseDurationUnits(std::u16string_view Text, char16_t Separator)
{
  const std::optional<TDecimalNumber> Number = ParseDecimalNumber(Text, Separator);
  if (!Number) {
    return std::nullopt;
  }
  const std::optional<std::uint64_t> Magnitude =
      RoundToInteger(Number->Digits, Number->Exponent + UnitsPerSecondExponent);
  if (!Magnitude) {
    return std::nullopt;
  }
  constexpr auto Max = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (!Number->Negative) {
    if (*Magnitude > Max) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(*Magnitude);
  }
  if (*Magnitude > Max + 1) {
    return std::nullopt;
  }
  return *Magnitude == Max + 1 ? std::numeric_limits<std::int64_t>::min()
                               : -static_cast<std::int64_t>(*Magnitude);
}

std::optional<std::int32_t> ParseInteger(std::u16string_view Text)
{
  TScanner Scanner(Text);
  Scanner.SkipSpaces();
  const bool Negative = Scanner.TakeSign();
  bool Hex = false;
  if (Scanner.Peek() == u'$' || Scanner.Peek() == u'x' || Scanner.Peek() == u'X') {
    Hex = true;
    Scanner.Skip();
  } else if (Scanner.Peek() == u'0' && (Scanner.Peek(1) == u'x' || Scanner.Peek(1) == u'X')) {
    Hex = true;
    Scanner.Skip(2);
  }
  if (Scanner.AtEnd()) {
    return std::nullopt;
  }
  // Decimal values are gathered up to just beyond the 32-bit range.
  const std::uint64_t Limit = Hex ? 0xFFFFFFFFULL : 2147483648ULL;
  std::uint64_t Value = 0;
  int Significant = 0;
  for (; !Scanner.AtEnd(); Scanner.Skip()) {
    const int Digit = Hex ? HexValue(Scanner.Peek()) : (IsDigit(Scanner.Peek()) ? Scanner.Peek() - u'0' : -1);
    if (Digit < 0) {
      return std::nullopt;
    }
    if (Value != 0 || Digit != 0) {
      ++Significant;
    }
    if (Hex && Significant > 8) {
      return std::nullopt;
    }
    Value = Value * (Hex ? 16U : 10U) + static_cast<std::uint64_t>(Digit);
    if (Value > Limit) {
      return std::nullopt;
    }
  }
  if (Hex) {
    auto Pattern = static_cast<std::uint32_t>(Value);
    if (Negative) {
      Pattern = 0U - Pattern;
    }
    return static_cast<std::int32_t>(Pattern);
  }
  if (!Negative && Value == Limit) {
    return std::nullopt;
  }
  const auto Signed = static_cast<std::int64_t>(Value);
  return static_cast<std::int32_t>(Negative ? -Signed : Signed);
}

bool IsBlank(std::u16string_view Text)
{
  return Trimmed(Text).empty();
}

std::u16string_view Trimmed(std::u16string_view Text)
{
  std::size_t Begin = 0;
  std::size_t End = Text.size();
  while (Begin < End && Text[Begin] <= u' ') {
    ++Begin;
  }
  while (End > Begin && Text[End - 1] <= u' ') {
    --End;
  }
  return Text.substr(Begin, End - Begin);
}

} // namespace Quillmark
