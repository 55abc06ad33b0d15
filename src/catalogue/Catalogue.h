#pragma once
// The sixteen header attributes this program knows, in their fixed order:
// the order in which saving removes them. Reading and writing, the JSON
// form, the command-line tool's options and show lines and the window's
// controls all take names, types, value fields and rules from the one table
// below; a layer that needs more (a Qt control, a command-line option's
// help) keys a table of its own by the attribute or its field's kind.
#include <array>
#include <bitset>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "catalogue/JpegImage.h"
#include "catalogue/Layouts.h"
#include "metadata/MetadataEditor.h"

namespace Quillmark {

enum class TAttribute : std::size_t {
  Stereoscopic,
  StereoscopicLayout,
  StereoscopicSkip,
  StereoscopicHorizontalParallax,
  StereoscopicPreview,
  StereoscopicHalfWidth,
  StereoscopicHalfHeight,
  Source,
  Title,
  Author,
  Copyright,
  Description,
  StereoDiscName,
  StereoDiscTitleName,
  StereoDiscTitleIndex,
  StereoDiscTitlePoster,
};

inline constexpr std::size_t CatalogueSize = 16;

// Which catalogued attributes a save replaces. Every instance of a marked
// one goes and the record's value is written in its place; an unmarked one
// stays exactly as stored, so that nothing the record cannot hold (another
// language, a picture that breaks the rules, a wrong type, a text in its
// own form) is lost. A new set marks nothing.
class TChangedAttributes {
public:
  static TChangedAttributes All()
  {
    TChangedAttributes Result;
    Result.FMarks.set();
    return Result;
  }
  void Mark(TAttribute Attribute) { FMarks.set(static_cast<std::size_t>(Attribute)); }
  bool Has(TAttribute Attribute) const { return FMarks.test(static_cast<std::size_t>(Attribute)); }
  bool Any() const { return FMarks.any(); }
  bool operator==(const TChangedAttributes&) const = default;

private:
  std::bitset<CatalogueSize> FMarks;
};

// The values of the main window's catalogue controls as one plain record.
// Reading fills it, writing takes it; the window moves it to and from its
// controls, and the command-line tool builds and prints it.
struct TCatalogueValues {
  bool Stereo = false;     // StereoCheckBox
  bool HalfWidth = false;  // HalfWidthCheckBox
  bool HalfHeight = false; // HalfHeightCheckBox
  int LayoutIndex = -1;    // LayoutComboBox position (a TLayout), -1 for no selection

  // Texts exactly as the controls hold them, untrimmed.
  std::u16string Duration;    // DurationEdit, seconds
  std::u16string Parallax;    // ParallaxEdit
  std::u16string TitleIndex;  // TitleIndexEdit
  std::u16string Source;      // SourceEdit
  std::u16string Title;       // TitleEdit
  std::u16string Author;      // AuthorEdit
  std::u16string Copyright;   // CopyrightEdit
  std::u16string Description; // DescriptionMemo, lines ended by CR LF
  std::u16string DiscName;    // DiscNameEdit
  std::u16string TitleName;   // TitleNameEdit

  // A picture never changes once created, so the window's fields and a
  // record handed to saving may hold the same one; none when absent.
  std::shared_ptr<const TJpegImage> Preview;
  std::shared_ptr<const TJpegImage> Poster;

  // A record made from nothing replaces all sixteen; one read from a file
  // replaces none until its changes are marked.
  TChangedAttributes Changed = TChangedAttributes::All();

  // Ticks the Stereoscopic box with a layout and its half boxes, as a
  // layout found in a file's name or in its frames is taken, and marks the
  // four for saving.
  void SetStereoLayout(int Layout, bool Width, bool Height)
  {
    Stereo = true;
    LayoutIndex = Layout;
    HalfWidth = Width;
    HalfHeight = Height;
    for (TAttribute Attribute : {TAttribute::Stereoscopic, TAttribute::StereoscopicLayout,
                                 TAttribute::StereoscopicHalfWidth, TAttribute::StereoscopicHalfHeight}) {
      Changed.Mark(Attribute);
    }
  }
};

enum class TTab { Stereo, General, MovieDisk };

// When saving writes an attribute back. Absence encodes every default.
enum class TWriteRule {
  BoxTicked,        // Stereoscopic: the Stereo box is ticked
  WithStereoscopic, // only together with Stereoscopic, then by its own value
  ImagePresent,     // a picture is held, whatever the Stereo box says
  TrimmedTextNotEmpty,
};

// Which length field carries the value through the editor interface.
enum class TLengthWidth { Bits16, Bits32 };

// What a value is in the record, and so how it is read, checked, shown and
// given on the command line.
enum class TFieldKind {
  Flag,    // a box: a boolean, stored only when ticked
  Layout,  // LayoutIndex: a stored key of the layout table
  Seconds, // a text of seconds with a decimal separator, stored in 100 ns units
  Integer, // a text of a signed 32-bit number
  Count,   // a text of a number 0 or more
  Text,    // a text stored as it is, trimmed
  Picture, // a JPEG picture
};

struct TValueField {
  TFieldKind Kind;
  bool TCatalogueValues::*Flag = nullptr;
  std::u16string TCatalogueValues::*Text = nullptr; // Seconds, Integer, Count and Text
  std::shared_ptr<const TJpegImage> TCatalogueValues::*Picture = nullptr;
};

constexpr TValueField FlagField(bool TCatalogueValues::*Flag)
{
  return {TFieldKind::Flag, Flag, nullptr, nullptr};
}

constexpr TValueField TextField(TFieldKind Kind, std::u16string TCatalogueValues::*Text)
{
  return {Kind, nullptr, Text, nullptr};
}

constexpr TValueField PictureField(std::shared_ptr<const TJpegImage> TCatalogueValues::*Picture)
{
  return {TFieldKind::Picture, nullptr, nullptr, Picture};
}

struct TCatalogueEntry {
  TAttribute Attribute;
  const char16_t* Name; // null-terminated, for the editor interface
  WMT_ATTR_DATATYPE Type;
  TValueField Field;
  const char* JsonKey; // show --json and set --values
  const char* Option;  // set's option without its dashes
  const char* Label;   // show's line: "Disc name"
  const char* Noun;    // in messages, lower case: "disc name"
  const char* Control; // component name of the main window
  TTab Tab;
  TWriteRule Rule;
  TLengthWidth Length;
  std::size_t ReadStep; // opening a file reads the attributes in this order
  std::size_t ShownAt;  // show's lines and the JSON keys come in this order
};

// clang-format off
inline constexpr std::array<TCatalogueEntry, CatalogueSize> Catalogue = {{
  {TAttribute::Stereoscopic, u"Stereoscopic", WMT_TYPE_BOOL, FlagField(&TCatalogueValues::Stereo),
   "stereo", "stereo", "Stereoscopic", "Stereoscopic box", "StereoCheckBox",
   TTab::Stereo, TWriteRule::BoxTicked, TLengthWidth::Bits16, 0, 0},
  {TAttribute::StereoscopicLayout, u"StereoscopicLayout", WMT_TYPE_STRING, {TFieldKind::Layout},
   "layout", "layout", "Layout", "stereoscopic layout", "LayoutComboBox",
   TTab::Stereo, TWriteRule::WithStereoscopic, TLengthWidth::Bits16, 1, 1},
  {TAttribute::StereoscopicSkip, u"StereoscopicSkip", WMT_TYPE_QWORD, TextField(TFieldKind::Seconds, &TCatalogueValues::Duration),
   "duration", "duration", "2D intro (s)", "2D intro duration", "DurationEdit",
   TTab::Stereo, TWriteRule::WithStereoscopic, TLengthWidth::Bits16, 2, 4},
  {TAttribute::StereoscopicHorizontalParallax, u"StereoscopicHorizontalParallax", WMT_TYPE_DWORD, TextField(TFieldKind::Integer, &TCatalogueValues::Parallax),
   "parallax", "parallax", "Parallax", "parallax correction", "ParallaxEdit",
   TTab::Stereo, TWriteRule::WithStereoscopic, TLengthWidth::Bits16, 3, 5},
  {TAttribute::StereoscopicPreview, u"StereoscopicPreview", WMT_TYPE_BINARY, PictureField(&TCatalogueValues::Preview),
   "preview", "preview", "Preview", "preview image", "PreviewImage",
   TTab::Stereo, TWriteRule::ImagePresent, TLengthWidth::Bits16, 4, 6},
  {TAttribute::StereoscopicHalfWidth, u"StereoscopicHalfWidth", WMT_TYPE_BOOL, FlagField(&TCatalogueValues::HalfWidth),
   "halfWidth", "half-width", "Half width", "half width box", "HalfWidthCheckBox",
   TTab::Stereo, TWriteRule::WithStereoscopic, TLengthWidth::Bits16, 12, 2},
  {TAttribute::StereoscopicHalfHeight, u"StereoscopicHalfHeight", WMT_TYPE_BOOL, FlagField(&TCatalogueValues::HalfHeight),
   "halfHeight", "half-height", "Half height", "half height box", "HalfHeightCheckBox",
   TTab::Stereo, TWriteRule::WithStereoscopic, TLengthWidth::Bits16, 13, 3},
  {TAttribute::Source, u"Source", WMT_TYPE_STRING, TextField(TFieldKind::Text, &TCatalogueValues::Source),
   "source", "source", "Source", "source", "SourceEdit",
   TTab::Stereo, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16, 5, 7},
  {TAttribute::Title, u"Title", WMT_TYPE_STRING, TextField(TFieldKind::Text, &TCatalogueValues::Title),
   "title", "title", "Title", "title", "TitleEdit",
   TTab::General, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16, 6, 8},
  {TAttribute::Author, u"Author", WMT_TYPE_STRING, TextField(TFieldKind::Text, &TCatalogueValues::Author),
   "author", "author", "Author", "author", "AuthorEdit",
   TTab::General, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16, 7, 9},
  {TAttribute::Copyright, u"Copyright", WMT_TYPE_STRING, TextField(TFieldKind::Text, &TCatalogueValues::Copyright),
   "copyright", "copyright", "Copyright", "copyright", "CopyrightEdit",
   TTab::General, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16, 8, 10},
  {TAttribute::Description, u"Description", WMT_TYPE_STRING, TextField(TFieldKind::Text, &TCatalogueValues::Description),
   "description", "description", "Description", "description", "DescriptionMemo",
   TTab::General, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16, 9, 11},
  {TAttribute::StereoDiscName, u"StereoDiscName", WMT_TYPE_STRING, TextField(TFieldKind::Text, &TCatalogueValues::DiscName),
   "discName", "disc-name", "Disc name", "disc name", "DiscNameEdit",
   TTab::MovieDisk, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16, 10, 12},
  {TAttribute::StereoDiscTitleName, u"StereoDiscTitleName", WMT_TYPE_STRING, TextField(TFieldKind::Text, &TCatalogueValues::TitleName),
   "titleName", "title-name", "Title name", "title name", "TitleNameEdit",
   TTab::MovieDisk, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16, 11, 13},
  {TAttribute::StereoDiscTitleIndex, u"StereoDiscTitleIndex", WMT_TYPE_DWORD, TextField(TFieldKind::Count, &TCatalogueValues::TitleIndex),
   "titleIndex", "title-index", "Title index", "title index", "TitleIndexEdit",
   TTab::MovieDisk, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16, 14, 14},
  {TAttribute::StereoDiscTitlePoster, u"StereoDiscTitlePoster", WMT_TYPE_BINARY, PictureField(&TCatalogueValues::Poster),
   "poster", "poster", "Poster", "title poster", "PosterImage",
   TTab::MovieDisk, TWriteRule::ImagePresent, TLengthWidth::Bits32, 15, 15},
}};
// clang-format on

constexpr const TCatalogueEntry& Entry(TAttribute Attribute)
{
  return Catalogue[static_cast<std::size_t>(Attribute)];
}

constexpr const char16_t* AttributeName(TAttribute Attribute)
{
  return Entry(Attribute).Name;
}

// The attributes sorted by a column of positions (ReadStep, ShownAt).
constexpr std::array<TAttribute, CatalogueSize> OrderBy(std::size_t TCatalogueEntry::*Position)
{
  std::array<TAttribute, CatalogueSize> Order{};
  for (const TCatalogueEntry& Row : Catalogue) {
    Order.at(Row.*Position) = Row.Attribute;
  }
  return Order;
}

// The order of opening a file, in which the window's controls are filled.
inline constexpr std::array<TAttribute, CatalogueSize> ReadOrder = OrderBy(&TCatalogueEntry::ReadStep);
// The window's order, in which show prints its lines.
inline constexpr std::array<TAttribute, CatalogueSize> ShownOrder = OrderBy(&TCatalogueEntry::ShownAt);

// Whether a field's value is held as a text of the record.
constexpr bool IsTextField(TFieldKind Kind)
{
  return Kind == TFieldKind::Seconds || Kind == TFieldKind::Integer || Kind == TFieldKind::Count ||
         Kind == TFieldKind::Text;
}

// How many attributes hold a value of a kind.
constexpr std::size_t CountOf(TFieldKind Kind)
{
  std::size_t Count = 0;
  for (const TCatalogueEntry& Row : Catalogue) {
    Count += Row.Field.Kind == Kind ? 1 : 0;
  }
  return Count;
}

// The catalogue entry of a stored name, matched exactly (case included);
// null for a name outside the catalogue.
const TCatalogueEntry* FindEntry(std::u16string_view Name);

// Other programs keep copies of the texts under names of their own: FFmpeg
// writes every tag it is given into the Extended Content Description under
// its own lower-case key ("title", "copyright", "comment" for the
// description, "artist" for the author), and its readers prefer that copy
// to the Content Description's value. A copy is a stored name equal to a
// text's catalogued name or to one of these aliases but for case.
struct TCopyAlias {
  TAttribute Attribute;
  const char16_t* Name;
};

inline constexpr std::array<TCopyAlias, 2> CopyAliases = {{
    {TAttribute::Author, u"artist"},
    {TAttribute::Description, u"comment"},
}};

// The catalogued text a stored attribute copies; none for a catalogued name
// itself (matched exactly), for the names of values that are not texts, and
// for every other name. ASCII letters only are folded, as in the names.
const TCatalogueEntry* CopiedEntry(std::u16string_view Name);

} // namespace Quillmark
