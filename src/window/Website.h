#pragma once
// The program's web address, opened by Help > Website and shown in the
// About dialog.
namespace Quillmark {

inline constexpr char16_t WebsiteAddress[] = u"https://quillmark.example/";

} // namespace Quillmark
