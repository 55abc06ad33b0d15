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
  switch (Attribute) {
  case TAttribute::Stereoscopic:
    return StereoCheckBox;
  case TAttribute::StereoscopicLayout:
    return LayoutComboBox;
  case TAttribute::StereoscopicSkip:
    return DurationEdit;
  case TAttribute::StereoscopicHalfWidth:
    return HalfWidthCheckBox;
  case TAttribute::StereoscopicHalfHeight:
    return HalfHeightCheckBox;
  case TAttribute::StereoscopicHorizontalParallax:
    return ParallaxEdit;
  case TAttribute::StereoscopicPreview:
    return LoadButton;
  case TAttribute::Source:
    return SourceEdit;
  case TAttribute::Title:
    return TitleEdit;
  case TAttribute::Author:
    return AuthorEdit;
  case TAttribute::Copyright:
    return CopyrightEdit;
  case TAttribute::Description:
    return DescriptionMemo;
  case TAttribute::StereoDiscName:
    return DiscNameEdit;
  case TAttribute::StereoDiscTitleName:
    return TitleNameEdit;
  case TAttribute::StereoDiscTitleIndex:
    return TitleIndexEdit;
  case TAttribute::StereoDiscTitlePoster:
    return LoadPosterButton;
  }
  return nullptr;
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
  const std::pair<QLineEdit*, TAttribute> Edits[] = {
      {DurationEdit, TAttribute::StereoscopicSkip},
      {ParallaxEdit, TAttribute::StereoscopicHorizontalParallax},
      {SourceEdit, TAttribute::Source},
      {TitleEdit, TAttribute::Title},
      {AuthorEdit, TAttribute::Author},
      {CopyrightEdit, TAttribute::Copyright},
      {DiscNameEdit, TAttribute::StereoDiscName},
      {TitleNameEdit, TAttribute::StereoDiscTitleName},
      {TitleIndexEdit, TAttribute::StereoDiscTitleIndex},
  };
  for (const auto& Entry : Edits) {
    QLineEdit* Edit = Entry.first;
    const TAttribute Attribute = Entry.second;
    // A stored text of any length shows whole; saving refuses a changed one
    // too long to store.
    Edit->setMaxLength(std::numeric_limits<int>::max());
    connect(Edit, &QLineEdit::textChanged, this, [this, Attribute] { MarkChanged(Attribute); });
  }
  connect(DescriptionMemo, &QPlainTextEdit::textChanged, this,
          [this] { MarkChanged(TAttribute::Description); });
  const std::pair<QCheckBox*, TAttribute> Boxes[] = {
      {StereoCheckBox, TAttribute::Stereoscopic},
      {HalfWidthCheckBox, TAttribute::StereoscopicHalfWidth},
      {HalfHeightCheckBox, TAttribute::StereoscopicHalfHeight},
  };
  for (const auto& Entry : Boxes) {
    const TAttribute Attribute = Entry.second;
    connect(Entry.first, &QCheckBox::toggled, this, [this, Attribute] { MarkChanged(Attribute); });
  }
  auto Layout = [this] { MarkChanged(TAttribute::StereoscopicLayout); };
  connect(LayoutComboBox, &QComboBox::currentIndexChanged, this, Layout);
  connect(LayoutComboBox, &QComboBox::activated, this, Layout);
}

} // namespace Quillmark
