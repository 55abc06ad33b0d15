#include "support/Localization.h"

#include "support/DesignAdaptation.h"

#include "support/Debug.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVariant>
#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace Quillmark {

std::unique_ptr<TLocalizationTables> LocalizationTables;

ELocalization::ELocalization() : std::runtime_error("Invalid property type!") {}

namespace {

const QString DialogFontFamily = u"MS Shell Dlg"_s;

void SetFontFamily(QWidget* Widget)
{
  QFont Font = Widget->font();
  Font.setFamily(DialogFontFamily);
  Widget->setFont(Font);
}

int ClampToInt(std::int64_t Value, int Low, int High)
{
  return static_cast<int>(std::clamp<std::int64_t>(Value, Low, High));
}

bool IsVisualControl(const QObject* Component)
{
  return Component->isWidgetType() && qobject_cast<const QMenu*>(Component) == nullptr;
}

void ApplyToVisualControl(QWidget* Control, const TPropertyEntry& Entry, int ScreenPpi)
{
  if (Entry.Index == WidthIndex) {
    const std::int64_t Width = Control->width() + ScaleByPpi(GetInteger(Entry), ScreenPpi);
    Control->resize(ClampToInt(Width, 0, QWIDGETSIZE_MAX), Control->height());
  } else if (Entry.Index == LeftIndex) {
    const std::int64_t Left = Control->x() + ScaleByPpi(GetInteger(Entry), ScreenPpi);
    Control->move(ClampToInt(Left, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2),
                  Control->y());
  }
}

QTabWidget* OwningTabWidget(QWidget* Page)
{
  auto* Stack = qobject_cast<QStackedWidget*>(Page->parentWidget());
  auto* Tabs = Stack != nullptr ? qobject_cast<QTabWidget*>(Stack->parentWidget()) : nullptr;
  return Tabs != nullptr && Tabs->indexOf(Page) >= 0 ? Tabs : nullptr;
}

bool IsPanel(const QObject* Component)
{
  return qobject_cast<const QFrame*>(Component) != nullptr &&
         (Component->metaObject()->indexOfProperty("caption") >= 0 ||
          Component->dynamicPropertyNames().contains("caption"));
}

// Index 0 of the captioned kinds, in the order the kinds are tested. False
// when the component is none of them.
bool ApplyCaption(QObject* Component, const TPropertyEntry& Entry)
{
  const bool IsCaption = Entry.Index == CaptionIndex;
  if (auto* Label = qobject_cast<QLabel*>(Component)) {
    if (IsCaption) {
      Label->setText(GetText(Entry));
    }
  } else if (auto* GroupBox = qobject_cast<QGroupBox*>(Component)) {
    if (IsCaption) {
      GroupBox->setTitle(GetText(Entry));
    }
  } else if (auto* Button = qobject_cast<QAbstractButton*>(Component);
             Button != nullptr && qobject_cast<QRadioButton*>(Component) == nullptr) {
    // Buttons and check boxes both show their caption as the button text.
    if (IsCaption) {
      Button->setText(GetText(Entry));
    }
  } else if (QTabWidget* Tabs =
                 Component->isWidgetType() ? OwningTabWidget(static_cast<QWidget*>(Component)) : nullptr) {
    if (IsCaption) {
      Tabs->setTabText(Tabs->indexOf(static_cast<QWidget*>(Component)), GetText(Entry));
    }
  } else if (auto* Action = qobject_cast<QAction*>(Component)) {
    if (IsCaption) {
      Action->setText(GetText(Entry));
    }
  } else if (auto* Menu = qobject_cast<QMenu*>(Component)) {
    if (IsCaption) {
      Menu->setTitle(GetText(Entry));
    }
  } else if (IsPanel(Component)) {
    if (IsCaption) {
      Component->setProperty("caption", GetText(Entry));
    }
  } else {
    return false;
  }
  return true;
}

void ApplyToComboBox(QComboBox* ComboBox, const TPropertyEntry& Entry)
{
  if (Entry.Index < FirstItemIndex) {
    return;
  }
  const QString Text = GetText(Entry);
  const std::int32_t Item = Entry.Index - FirstItemIndex;
  if (Item < ComboBox->count()) {
    ComboBox->setItemText(Item, Text);
  } else {
    WriteLog("Unexpected localization string: " + Text.toStdString());
  }
}

bool IsFileOpenDialog(const QObject* Component)
{
  const QMetaObject* Meta = Component->metaObject();
  return Meta->indexOfProperty("title") >= 0 && Meta->indexOfProperty("filter") >= 0;
}

void ApplyToDialog(QObject* Dialog, const TPropertyEntry& Entry)
{
  if (Entry.Index == CaptionIndex) {
    Dialog->setProperty("title", GetText(Entry));
  } else if (Entry.Index == WidthIndex) {
    Dialog->setProperty("filter", GetText(Entry));
  }
}

void ApplyEntry(QObject* Component, const TPropertyEntry& Entry, int ScreenPpi)
{
  if (IsVisualControl(Component)) {
    ApplyToVisualControl(static_cast<QWidget*>(Component), Entry, ScreenPpi);
  }
  if (ApplyCaption(Component, Entry)) {
    return;
  }
  if (auto* ComboBox = qobject_cast<QComboBox*>(Component)) {
    ApplyToComboBox(ComboBox, Entry);
  } else if (IsFileOpenDialog(Component)) {
    ApplyToDialog(Component, Entry);
  }
}

} // namespace

std::int32_t ComponentTag(const QObject* Component)
{
  bool Ok = false;
  const qlonglong Tag = Component->property("tag").toLongLong(&Ok);
  if (!Ok || Tag < std::numeric_limits<std::int32_t>::min() ||
      Tag > std::numeric_limits<std::int32_t>::max()) {
    return 0;
  }
  return static_cast<std::int32_t>(Tag);
}

void LocalizeForm(QWidget* Form, int ScreenPpi)
{
  SetFontFamily(Form);
  for (QLabel* Label : Form->findChildren<QLabel*>()) {
    SetFontFamily(Label);
  }
  if (LocalizationTables) {
    ApplyToForm(*LocalizationTables, Form, ScreenPpi);
  }
}

void ApplyToForm(const TLocalizationTables& Tables, QWidget* Form, int ScreenPpi)
{
  const std::int32_t FormTag = ComponentTag(Form);
  if (FormTag <= 0) {
    return;
  }
  const TFormTable* FormTable = FindFormTable(Tables, FormTag);
  if (FormTable == nullptr) {
    return;
  }
  if (const TPropertyEntry* Caption = FindProperty(*FormTable, 0, CaptionIndex)) {
    Form->setWindowTitle(GetText(*Caption));
  }
  for (QObject* Component : Form->findChildren<QObject*>()) {
    if (ComponentTag(Component) > 0) {
      ApplyToComponent(*FormTable, Component, ScreenPpi);
    }
  }
}

void ApplyToComponent(const TFormTable& FormTable, QObject* Component, int ScreenPpi)
{
  const TComponentTable* Table = FindComponentTable(FormTable, ComponentTag(Component));
  if (Table == nullptr) {
    return;
  }
  for (const TPropertyEntry& Entry : Table->Entries) {
    ApplyEntry(Component, Entry, ScreenPpi);
  }
}

const TFormTable* FindFormTable(const TLocalizationTables& Tables, std::int32_t Tag)
{
  auto Found = std::find_if(Tables.Forms.begin(), Tables.Forms.end(),
                            [Tag](const TFormTable& Table) { return Table.Tag == Tag; });
  return Found != Tables.Forms.end() ? &*Found : nullptr;
}

const TComponentTable* FindComponentTable(const TFormTable& FormTable, std::int32_t Tag)
{
  auto Found = std::find_if(FormTable.Components.begin(), FormTable.Components.end(),
                            [Tag](const TComponentTable& Table) { return Table.Tag == Tag; });
  return Found != FormTable.Components.end() ? &*Found : nullptr;
}

const TPropertyEntry* FindEntry(const TComponentTable& ComponentTable, std::int32_t Index)
{
  auto Found = std::find_if(ComponentTable.Entries.begin(), ComponentTable.Entries.end(),
                            [Index](const TPropertyEntry& Entry) { return Entry.Index == Index; });
  return Found != ComponentTable.Entries.end() ? &*Found : nullptr;
}

const TPropertyEntry* FindProperty(const TFormTable& FormTable, std::int32_t ComponentTag, std::int32_t Index)
{
  const TComponentTable* Table = FindComponentTable(FormTable, ComponentTag);
  return Table != nullptr ? FindEntry(*Table, Index) : nullptr;
}

QString GetText(const TPropertyEntry& Entry)
{
  if (Entry.Kind != TPropertyKind::Text) {
    throw ELocalization();
  }
  return Entry.TextValue;
}

std::int32_t GetInteger(const TPropertyEntry& Entry)
{
  if (Entry.Kind != TPropertyKind::Integer) {
    throw ELocalization();
  }
  return Entry.IntegerValue;
}

} // namespace Quillmark
