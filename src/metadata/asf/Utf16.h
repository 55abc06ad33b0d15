#pragma once
// Conversions between UTF-16 and UTF-8. Unpaired surrogates are data in a
// header, not an error: they become U+FFFD in UTF-8.
#include <string>
#include <string_view>

namespace Quillmark::Asf {

std::string Utf16ToUtf8(std::u16string_view Text);
// Invalid UTF-8 sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view Text);

} // namespace Quillmark::Asf
