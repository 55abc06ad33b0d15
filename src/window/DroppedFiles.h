#pragma once
// Which of several dropped files is opened: the first, replaced by every
// later one that exists, is no folder and ends in ".wmv" in any case.
#include <QStringList>

class QMimeData;

namespace Quillmark {

QString ChooseDroppedFile(const QStringList& Names);

// The local files of a drag, in the order given; none for a drag of text or
// of web addresses.
QStringList DroppedFileNames(const QMimeData* Data);

} // namespace Quillmark
