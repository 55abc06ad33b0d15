#pragma once
// Localization tables: texts, widths and positions of a dialog's components
// replaced at run time, keyed by the Tag numbers the form resources give the
// dialog and its components. The program ships no tables, so localizing a
// dialog normally only normalises its fonts.
//
// How the Qt objects of a form map onto the kinds the tables know:
// - Tag: the int property `tag` (a dynamic property in the .ui file,
//   <property name="tag" stdset="0">), on the form widget and on every
//   component; a missing or non-numeric `tag` is 0.
// - The components of a form are all its descendant QObjects, depth first in
//   child (creation) order; QActions count, so menu items are reached.
// - Visual control: any QWidget except a QMenu. Index 1 widens it, index 2
//   moves its left edge.
// - Caption (index 0), tested in this order:
//   label      QLabel                               setText
//   group box  QGroupBox                            setTitle
//   button     QAbstractButton that is neither a QCheckBox nor a
//              QRadioButton (QPushButton, QToolButton) setText
//   check box  QCheckBox                            setText
//   tab page   a page widget of a QTabWidget        the page's tab text
//   menu item  QAction, or a QMenu (its title)      setText / setTitle
//   panel      a QFrame carrying a `caption` property, declared or
//              dynamic (the window's TPanel is a QLabel and is served
//              as a label)
// - Combo box: QComboBox; index 100 + n is item n.
// - File-open dialog: a QObject whose class declares the QString properties
//   `title` and `filter` (TOpenDialog of the main window); index 0 sets the
//   title, index 1 the filter string in its stored form "Name|*.a;*.b|...".
#include <QString>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

class QObject;
class QWidget;

namespace Quillmark {

// The one failure of the unit: an entry whose kind does not fit its use.
class ELocalization : public std::runtime_error {
public:
  ELocalization();
};

enum class TPropertyKind : std::int32_t { Text = 0, Integer = 1 };

// Which property an entry sets.
inline constexpr std::int32_t CaptionIndex = 0;     // text: caption; dialog title
inline constexpr std::int32_t WidthIndex = 1;       // integer: width change; text: dialog filter
inline constexpr std::int32_t LeftIndex = 2;        // integer: left edge change
inline constexpr std::int32_t FirstItemIndex = 100; // text: combo-box item Index - 100

struct TPropertyEntry {
  std::int32_t Index = 0;
  TPropertyKind Kind = TPropertyKind::Text;
  std::int32_t IntegerValue = 0; // meaningful for Kind Integer only
  QString TextValue;             // meaningful for Kind Text only
};

// Key 0 stands for the form itself.
struct TComponentTable {
  std::int32_t Tag = 0;
  std::vector<TPropertyEntry> Entries;
};

struct TFormTable {
  std::int32_t Tag = 0;
  std::vector<TComponentTable> Components;
};

struct TLocalizationTables {
  std::vector<TFormTable> Forms;
};

// The program's table set; none from start-up, and nothing in the program
// assigns one.
extern std::unique_ptr<TLocalizationTables> LocalizationTables;

// Sets "MS Shell Dlg" as the font family of the form and of every label on
// it, then applies LocalizationTables when present. ScreenPpi scales width
// and position entries. Throws ELocalization; entries after the faulty one
// are not applied.
void LocalizeForm(QWidget* Form, int ScreenPpi);

void ApplyToForm(const TLocalizationTables& Tables, QWidget* Form, int ScreenPpi);
void ApplyToComponent(const TFormTable& FormTable, QObject* Component, int ScreenPpi);

// Linear searches in list order: the first element with the key, or null.
const TFormTable* FindFormTable(const TLocalizationTables& Tables, std::int32_t Tag);
const TComponentTable* FindComponentTable(const TFormTable& FormTable, std::int32_t Tag);
const TPropertyEntry* FindEntry(const TComponentTable& ComponentTable, std::int32_t Index);
const TPropertyEntry* FindProperty(const TFormTable& FormTable, std::int32_t ComponentTag,
                                   std::int32_t Index);

// The entry's value; ELocalization when the entry is of the other kind.
QString GetText(const TPropertyEntry& Entry);
std::int32_t GetInteger(const TPropertyEntry& Entry);

// The `tag` property of a form or component; 0 when it has none.
std::int32_t ComponentTag(const QObject* Component);

} // namespace Quillmark
