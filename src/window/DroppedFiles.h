#pragma once
// Which of several dropped files is opened: the first, replaced by every
// later one that exists, is no folder and ends in ".wmv" in any case.
#include <QStringList>

namespace Quillmark {

QString ChooseDroppedFile(const QStringList& Names);

} // namespace Quillmark
