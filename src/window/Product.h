#pragma once
// The program's names and version, each said here once.
#include <QString>

namespace Quillmark {

// The window's caption, the caption of its messages and the About
// dialog's title: "Quillmark".
QString ProductName();

// The application title, "Quillpad": the caption of the general error
// display and of the application's plain dialog, and the name in the About
// item and dialog caption.
QString ApplicationTitle();

// "Version " and the project's major and minor version, from the build.
QString VersionText();

// The About dialog's copyright line.
QString CopyrightText();

} // namespace Quillmark
