#include "window/WindowTexts.h"

#include "catalogue/CatalogueWriting.h"
#include "metadata/TextConversion.h"
#include "window/Main.h"

#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

namespace {

QString Quoted(const QString& Text)
{
  return u"'"_s + Text + u"'"_s;
}

} // namespace

QString NameOf(const QString& Path)
{
  const QString Shown = QString::fromStdU16String(DisplayPath(Path.toStdU16String()));
  return Shown.mid(Shown.lastIndexOf(u'/') + 1);
}

QString RefusalText(TAttribute Attribute, const QWidget* Field)
{
  // A text is refused for its length only; the form gives each text field
  // its own sentence, translated with the form.
  if (Entry(Attribute).Field.Kind == TFieldKind::Text && Field != nullptr) {
    const QString Sentence = Field->property(TooLongProperty).toString();
    if (!Sentence.isEmpty()) {
      return Sentence.arg(MaxTextCharacters);
    }
  }
  switch (Attribute) {
  case TAttribute::StereoscopicSkip:
    return TMainForm::tr("Please enter a valid 2D intro duration!");
  case TAttribute::StereoscopicHorizontalParallax:
    return TMainForm::tr("Please enter a valid parallax correction!");
  case TAttribute::StereoscopicLayout:
    return TMainForm::tr("Please select a stereoscopic layout!");
  case TAttribute::StereoDiscTitleIndex:
    return TMainForm::tr("Please enter a valid title index!");
  case TAttribute::StereoscopicPreview:
    return PictureLoadText(TPictureKind::Preview, TPictureLoad::Rejected, QString());
  case TAttribute::StereoDiscTitlePoster:
    return PictureLoadText(TPictureKind::Poster, TPictureLoad::Rejected, QString());
  default:
    break;
  }
  return TMainForm::tr("Could not save metadata!");
}

QString DeleteFailedText(const QString& Name)
{
  return TMainForm::tr("Could not delete %1").arg(Name);
}

QString PictureLoadText(TPictureKind Kind, TPictureLoad Status, const QString& Path)
{
  if (Status == TPictureLoad::CannotOpen) {
    return TMainForm::tr("Could not open file '%1'!").arg(NameOf(Path));
  }
  if (Kind == TPictureKind::Preview) {
    return TMainForm::tr("This image cannot be used as preview! Suitable images must be JPEG files smaller "
                         "than 10 kB with a resolution of 160 x 120 pixels.");
  }
  return TMainForm::tr("This image cannot be used as title poster! Suitable images must be JPEG files with a "
                       "minimum resolution of 480 x 480 pixels.");
}

QString SideFileText(const TSideFileReport& Report, const QString& Path)
{
  const QString Side = Quoted(QString::fromStdString(Report.Path));
  const QString Name = Quoted(NameOf(Path));
  switch (Report.State) {
  case TSideFileState::None:
    return {};
  case TSideFileState::Found:
    if (Report.Editing == TSideFileState::Removed) {
      return TMainForm::tr("The side file %1 of %2 was cut short while being written; the file was never "
                           "changed.\r\rThe file is shown as it is; opening it for editing removes the side "
                           "file.")
          .arg(Side, Name);
    }
    return TMainForm::tr("The side file %1 was not used: it cannot be shown to be an interrupted save of "
                         "%2.\r\rThe file is shown as it is, and it cannot be saved until the side file is "
                         "removed.")
        .arg(Side, Name);
  case TSideFileState::Pending:
    if (Report.Editing == TSideFileState::RolledBack) {
      return TMainForm::tr("The side file %1 holds an interrupted save of %2.\r\rThe file is shown as it is; "
                           "opening it for editing puts the old header back from the side file.")
          .arg(Side, Name);
    }
    if (Report.Editing == TSideFileState::Completed) {
      return TMainForm::tr("The side file %1 holds an interrupted save of %2.\r\rThe file is shown as it is; "
                           "the save had finished, and opening it for editing keeps it and removes the side "
                           "file.")
          .arg(Side, Name);
    }
    return TMainForm::tr("The side file %1 holds an interrupted save of %2.\r\rThe file is shown as it is; "
                         "opening it for editing puts its header back in order.")
        .arg(Side, Name);
  case TSideFileState::RolledBack:
    return TMainForm::tr("An interrupted save of %1 was undone with its side file %2.").arg(Name, Side);
  case TSideFileState::Completed:
    return TMainForm::tr("An interrupted save of %1 had finished; its side file %2 was removed.")
        .arg(Name, Side);
  case TSideFileState::Removed:
    return TMainForm::tr("The unfinished side file %1 of %2 was removed; the file had not been changed.")
        .arg(Side, Name);
  }
  return {};
}

QString CauseText(const TFailureReason& Reason)
{
  switch (Reason.Cause) {
  case TFailureCause::NotFound:
    return TMainForm::tr("the file was not found");
  case TFailureCause::PermissionDenied:
    return TMainForm::tr("permission denied");
  case TFailureCause::NotAsf:
    return TMainForm::tr("it is not a Windows Media file");
  case TFailureCause::DamagedHeader:
    return TMainForm::tr("its header is damaged");
  case TFailureCause::HeldByAnotherProgram:
    return TMainForm::tr("another program holds it open");
  case TFailureCause::DiskFull:
    return TMainForm::tr("the disk is full");
  case TFailureCause::SideFileFound:
    return TMainForm::tr("a side file of an interrupted save lies beside it");
  case TFailureCause::FileChanged:
    return TMainForm::tr("another program changed it since it was opened");
  case TFailureCause::HardLinked:
    return TMainForm::tr("it has other hard links, and its header can only grow by rewriting it");
  case TFailureCause::OwnerNotKept:
    return TMainForm::tr("its header must grow by rewriting the file, and the copy could not keep its owner");
  case TFailureCause::IoError:
    return TMainForm::tr("an input/output error occurred");
  case TFailureCause::OutOfMemory:
    return TMainForm::tr("there is not enough memory");
  case TFailureCause::None:
  case TFailureCause::Other:
    break;
  }
  return QString::fromStdString(Reason.Detail);
}

} // namespace Quillmark
