#include "window/LocalPaths.h"

#include "metadata/TextConversion.h"

#include <QFile>
#include <dirent.h>
#include <sys/stat.h>

namespace Quillmark {

QString PathFromBytes(const QByteArray& Bytes)
{
  return QString::fromStdU16String(PathToUtf16(std::string_view(Bytes.constData(), Bytes.size())));
}

QByteArray PathBytes(const QString& Path)
{
  const std::string Bytes = Utf16ToPath(Path.toStdU16String());
  return QByteArray(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
}

QString PathOfUrl(const QUrl& Url)
{
  // The encoded path holds the name's bytes exactly; the decoded one has
  // already lost those that are not UTF-8.
  return PathFromBytes(QByteArray::fromPercentEncoding(Url.path(QUrl::FullyEncoded).toLatin1()));
}

bool IsExistingNonFolder(const QString& Path)
{
  struct stat Info {};
  return !Path.isEmpty() && ::stat(PathBytes(Path).constData(), &Info) == 0 && !S_ISDIR(Info.st_mode);
}

QString ResolveDecodedName(const QString& Path)
{
  const qsizetype Slash = Path.lastIndexOf(u'/');
  const QString Name = Path.mid(Slash + 1);
  if (!Name.contains(QChar(QChar::ReplacementCharacter))) {
    return Path;
  }
  const QByteArray Folder = Slash < 0 ? QByteArray(".") : PathBytes(Path.left(Slash + 1));
  DIR* Listing = ::opendir(Folder.constData());
  if (Listing == nullptr) {
    return Path;
  }
  QString Found;
  int Matches = 0;
  while (const dirent* Entry = ::readdir(Listing)) {
    const QByteArray Bytes(Entry->d_name);
    if (QFile::decodeName(Bytes) == Name) {
      ++Matches;
      Found = PathFromBytes((Slash < 0 ? QByteArray() : Folder) + Bytes);
    }
  }
  ::closedir(Listing);
  return Matches == 1 ? Found : Path;
}

QStringList CommandLineArguments(int Argc, const char* const* Argv)
{
  QStringList Arguments;
  for (int Index = 0; Index < Argc && Argv[Index] != nullptr; ++Index) {
    Arguments.push_back(PathFromBytes(QByteArray(Argv[Index])));
  }
  return Arguments;
}

} // namespace Quillmark
