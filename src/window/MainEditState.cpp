// Which catalogued attributes the user changed, field by field. A save
// replaces only those, so values the window cannot show (other languages,
// pictures that break the rules, wrong types, texts in a form the controls
// would change) stay in the file as they were.
#include "window/Main.h"

#include <limits>
#include <utility>

namespace Quillmark {

void TMainForm::MarkChanged(TAttribute Attribute)
{
  FChanged.Mark(Attribute);
  FModified = true;
}

QWidget* TMainForm::FieldOf(TAttribute Attribute) const
{
  // A picture's field is the button that loads one.
  if (Attribute == TAttribute::StereoscopicPreview) {
    return LoadButton;
  }
  if (Attribute == TAttribute::StereoDiscTitlePoster) {
    return LoadPosterButton;
  }
  return Control(Attribute);
}

void TMainForm::ShowField(TAttribute Attribute)
{
  QWidget* Field = FieldOf(Attribute);
  if (Field == nullptr) {
    return;
  }
  for (int Page = 0; Page < PageControl->count(); ++Page) {
    if (PageControl->widget(Page)->isAncestorOf(Field)) {
      PageControl->setCurrentIndex(Page);
    }
  }
  Field->setFocus(Qt::OtherFocusReason);
}

void TMainForm::ConnectFieldChanges()
{
  for (const TCatalogueEntry& Row : Catalogue) {
    const TAttribute Attribute = Row.Attribute;
    auto Mark = [this, Attribute] { MarkChanged(Attribute); };
    QWidget* Widget = Control(Attribute);
    if (auto* Edit = qobject_cast<QLineEdit*>(Widget)) {
      // A stored text of any length shows whole; saving refuses a changed
      // one too long to store.
      Edit->setMaxLength(std::numeric_limits<int>::max());
      connect(Edit, &QLineEdit::textChanged, this, Mark);
    } else if (auto* Memo = qobject_cast<QPlainTextEdit*>(Widget)) {
      connect(Memo, &QPlainTextEdit::textChanged, this, Mark);
    } else if (auto* Box = qobject_cast<QCheckBox*>(Widget)) {
      connect(Box, &QCheckBox::toggled, this, Mark);
    } else if (auto* List = qobject_cast<QComboBox*>(Widget)) {
      connect(List, &QComboBox::currentIndexChanged, this, Mark);
      connect(List, &QComboBox::activated, this, Mark);
    }
  }
}

} // namespace Quillmark
