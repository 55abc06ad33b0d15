#include "window/DroppedFiles.h"

#include "window/LocalPaths.h"
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

namespace {

// From the last dot of the last path component on, lower-cased.
QString Extension(const QString& Name)
{
  const QString Last = Name.mid(Name.lastIndexOf(u'/') + 1);
  const qsizetype Dot = Last.lastIndexOf(u'.');
  return Dot < 0 ? QString() : Last.mid(Dot).toLower();
}

} // namespace

QString ChooseDroppedFile(const QStringList& Names)
{
  QString Chosen;
  for (qsizetype Index = 0; Index < Names.size(); ++Index) {
    const QString& Name = Names.at(Index);
    if (Index == 0) {
      Chosen = Name;
      continue;
    }
    if (IsExistingNonFolder(Name) && Extension(Name) == u".wmv"_s) {
      Chosen = Name;
    }
  }
  return Chosen;
}

QStringList DroppedFileNames(const QMimeData* Data)
{
  QStringList Names;
  if (Data == nullptr) {
    return Names;
  }
  for (const QUrl& Url : Data->urls()) {
    if (Url.isLocalFile()) {
      Names.push_back(PathOfUrl(Url));
    }
  }
  return Names;
}

} // namespace Quillmark
