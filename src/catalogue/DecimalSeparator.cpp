#include "catalogue/DecimalSeparator.h"

#include <clocale>
#include <locale.h>
#include <optional>
#include <string_view>

#include "metadata/TextConversion.h"

namespace Quillmark {

namespace {

std::optional<char16_t>& Cached()
{
  static std::optional<char16_t> Separator;
  return Separator;
}

} // namespace

char16_t LocaleDecimalSeparator()
{
  // setlocale(LC_ALL, "") would switch every later printf and strtod of the
  // process to the user's conventions; a private locale object answers the
  // same question for this thread only, and is dropped again.
  locale_t User = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
  if (User == static_cast<locale_t>(nullptr)) {
    return u'.';
  }
  const locale_t Previous = uselocale(User);
  const char* Point = std::localeconv()->decimal_point;
  const std::u16string Text = Utf8ToUtf16(Point != nullptr ? std::string_view(Point) : std::string_view());
  uselocale(Previous);
  freelocale(User);
  if (Text.size() != 1) {
    return u'.';
  }
  return Text[0];
}

char16_t DecimalSeparator()
{
  std::optional<char16_t>& Separator = Cached();
  if (!Separator) {
    Separator = LocaleDecimalSeparator();
  }
  return *Separator;
}

void SetDecimalSeparator(char16_t Separator)
{
  Cached() = Separator;
}

} // namespace Quillmark
