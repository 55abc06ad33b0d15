#pragma once
// UTF-8 (paths, the command line, terminal output) to and from UTF-16 (the
// window's and the header's text). Ill-formed input becomes U+FFFD, so a
// conversion never fails and never drops the rest of a text.
#include <string>
#include <string_view>

namespace Quillmark {

std::u16string Utf8ToUtf16(std::string_view Text);
std::string Utf16ToUtf8(std::u16string_view Text);

} // namespace Quillmark
