#include "window/OpenDialog.h"

#include "window/LocalPaths.h"

#include <QVariant>
#include <QWidget>

namespace Quillmark {

TOpenDialog::TOpenDialog(IPlatform& Platform, QWidget* Owner, const QString& Name, const QString& Filter)
    : QObject(Owner), FPlatform(Platform), FOwner(Owner), FFilter(Filter)
{
  setObjectName(Name);
  setProperty("tag", 0);
}

bool TOpenDialog::Execute()
{
  std::optional<QString> Chosen = FPlatform.ChooseOpenFile({FOwner, FFilter, FTitle});
  if (!Chosen) {
    return false;
  }
  FFileName = ResolveDecodedName(*Chosen);
  return true;
}

} // namespace Quillmark
