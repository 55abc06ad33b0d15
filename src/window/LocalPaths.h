#pragma once
// File names in the window. A name is bytes and need not be UTF-8, which Qt
// cannot keep: it turns every such byte into U+FFFD, and the name then
// leads to another file or none. The window keeps each name as the engine's
// UTF-16 form (metadata/TextConversion.h), which carries every byte, and
// never hands such a name to Qt's file classes.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace Quillmark {

QString PathFromBytes(const QByteArray& Bytes);
QByteArray PathBytes(const QString& Path);
// The local file a dropped URL names, from its percent-encoded bytes.
QString PathOfUrl(const QUrl& Url);
// Whether the name leads to something that exists and is no folder.
bool IsExistingNonFolder(const QString& Path);
// A name as Qt's own file dialog gives it, where each byte that is no UTF-8
// has become U+FFFD, back to the file it shows: the one entry of its folder
// that Qt shows under that name. Unchanged when the name has no U+FFFD, or
// when no entry or several match (then the name itself is the one file it
// can safely mean).
QString ResolveDecodedName(const QString& Path);
// The program's arguments as they were given, after Qt took its own.
QStringList CommandLineArguments(int Argc, const char* const* Argv);

} // namespace Quillmark
