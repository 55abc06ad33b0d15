#pragma once
// The decimal separator of the 2D intro duration, from the user's locale.
// The window passes DecimalSeparator() to the number functions; the
// command-line tool passes u'.' so its input does not depend on the locale.

namespace Quillmark {

// The user's separator, read once and then kept; tests may set it.
char16_t DecimalSeparator();
void SetDecimalSeparator(char16_t Separator);

// Reads the separator of the locale the environment selects (LC_ALL,
// LC_NUMERIC, LANG), without changing the process's own locale; '.' when
// that locale cannot be loaded or its separator is not one UTF-16 unit.
char16_t LocaleDecimalSeparator();

} // namespace Quillmark
