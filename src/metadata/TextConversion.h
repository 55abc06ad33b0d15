#pragma once
// UTF-8 (paths, the command line, terminal output) to and from UTF-16 (the
// window's and the header's text). Ill-formed input becomes U+FFFD, so a
// conversion never fails and never drops the rest of a text.
#include <string>
#include <string_view>

namespace Quillmark {

std::u16string Utf8ToUtf16(std::string_view Text);
std::string Utf16ToUtf8(std::u16string_view Text);

// File names are bytes, not always UTF-8. A name travels as UTF-16 with each
// byte that is not part of well-formed UTF-8 carried as the lone low
// surrogate U+DC80 + (byte - 0x80), so every name converts back to exactly
// its own bytes. Any other lone surrogate becomes U+FFFD on the way back.
std::u16string PathToUtf16(std::string_view Path);
std::string Utf16ToPath(std::u16string_view Path);
// Whether the UTF-16 form holds an escaped byte, or holds one at Pos.
bool HasEscapedBytes(std::u16string_view Path);
bool IsEscapedByteAt(std::u16string_view Path, std::size_t Pos);
// The form to show a person: each escaped byte as U+FFFD.
std::u16string DisplayPath(std::u16string_view Path);

} // namespace Quillmark
