// The catalogue's values in the main window's controls. The catalogue names
// each attribute's control; the control's class says how its value moves.
#include "window/Main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

QWidget* TMainForm::Control(TAttribute Attribute) const
{
  return findChild<QWidget*>(QLatin1StringView(Entry(Attribute).Control));
}

void TMainForm::PutValue(const TCatalogueEntry& Row, const TCatalogueValues& Values)
{
  const TValueField& Field = Row.Field;
  QWidget* Widget = Control(Row.Attribute);
  if (auto* Box = qobject_cast<QCheckBox*>(Widget); Box != nullptr && Field.Flag != nullptr) {
    Box->setChecked(Values.*Field.Flag);
  } else if (auto* List = qobject_cast<QComboBox*>(Widget)) {
    List->setCurrentIndex(Values.LayoutIndex);
  } else if (auto* Edit = qobject_cast<QLineEdit*>(Widget); Edit != nullptr && Field.Text != nullptr) {
    Edit->setText(QString::fromStdU16String(Values.*Field.Text));
  } else if (auto* Memo = qobject_cast<QPlainTextEdit*>(Widget); Memo != nullptr && Field.Text != nullptr) {
    Memo->setPlainText(QString::fromStdU16String(Values.*Field.Text).replace(u"\r\n"_s, u"\n"_s));
  } else if (Field.Picture != nullptr && Values.*Field.Picture) {
    if (Row.Attribute == TAttribute::StereoscopicPreview) {
      FPreviewImage = Values.*Field.Picture;
      FPreviewView->Show(FPreviewImage);
      PreviewImage->show();
    } else {
      FPosterImage = Values.*Field.Picture;
      ShowPoster();
    }
  }
}

void TMainForm::TakeValue(const TCatalogueEntry& Row, TCatalogueValues& Values) const
{
  const TValueField& Field = Row.Field;
  QWidget* Widget = Control(Row.Attribute);
  if (auto* Box = qobject_cast<QCheckBox*>(Widget); Box != nullptr && Field.Flag != nullptr) {
    Values.*Field.Flag = Box->isChecked();
  } else if (auto* List = qobject_cast<QComboBox*>(Widget)) {
    Values.LayoutIndex = List->currentIndex();
  } else if (auto* Edit = qobject_cast<QLineEdit*>(Widget); Edit != nullptr && Field.Text != nullptr) {
    Values.*Field.Text = Edit->text().toStdU16String();
  } else if (auto* Memo = qobject_cast<QPlainTextEdit*>(Widget); Memo != nullptr && Field.Text != nullptr) {
    // The memo's line breaks are stored as carriage return and line feed.
    Values.*Field.Text = Memo->toPlainText().replace(u'\n', u"\r\n"_s).toStdU16String();
  } else if (Field.Picture != nullptr) {
    Values.*Field.Picture = Row.Attribute == TAttribute::StereoscopicPreview ? FPreviewImage : FPosterImage;
  }
}

void TMainForm::ClearValue(const TCatalogueEntry& Row)
{
  QWidget* Widget = Control(Row.Attribute);
  if (auto* Box = qobject_cast<QCheckBox*>(Widget)) {
    Box->setChecked(false);
  } else if (auto* List = qobject_cast<QComboBox*>(Widget)) {
    List->setCurrentIndex(-1);
  } else if (auto* Edit = qobject_cast<QLineEdit*>(Widget)) {
    Edit->clear();
  } else if (auto* Memo = qobject_cast<QPlainTextEdit*>(Widget)) {
    Memo->clear();
  }
}

} // namespace Quillmark
