#pragma once
// The sixteen header attributes this program knows, in their fixed order:
// the order in which saving removes them. Reading, writing and the
// command-line tool all take names, types and rules from this one table.
#include <array>
#include <cstddef>
#include <string_view>

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

struct TCatalogueEntry {
  TAttribute Attribute;
  const char16_t* Name; // null-terminated, for the editor interface
  WMT_ATTR_DATATYPE Type;
  const char* Control; // component name of the main window
  TTab Tab;
  TWriteRule Rule;
  TLengthWidth Length;
};

inline constexpr std::size_t CatalogueSize = 16;

// clang-format off
inline constexpr std::array<TCatalogueEntry, CatalogueSize> Catalogue = {{
  {TAttribute::Stereoscopic, u"Stereoscopic", WMT_TYPE_BOOL, "StereoCheckBox", TTab::Stereo, TWriteRule::BoxTicked, TLengthWidth::Bits16},
  {TAttribute::StereoscopicLayout, u"StereoscopicLayout", WMT_TYPE_STRING, "LayoutComboBox", TTab::Stereo, TWriteRule::WithStereoscopic, TLengthWidth::Bits16},
  {TAttribute::StereoscopicSkip, u"StereoscopicSkip", WMT_TYPE_QWORD, "DurationEdit", TTab::Stereo, TWriteRule::WithStereoscopic, TLengthWidth::Bits16},
  {TAttribute::StereoscopicHorizontalParallax, u"StereoscopicHorizontalParallax", WMT_TYPE_DWORD, "ParallaxEdit", TTab::Stereo, TWriteRule::WithStereoscopic, TLengthWidth::Bits16},
  {TAttribute::StereoscopicPreview, u"StereoscopicPreview", WMT_TYPE_BINARY, "PreviewImage", TTab::Stereo, TWriteRule::ImagePresent, TLengthWidth::Bits16},
  {TAttribute::StereoscopicHalfWidth, u"StereoscopicHalfWidth", WMT_TYPE_BOOL, "HalfWidthCheckBox", TTab::Stereo, TWriteRule::WithStereoscopic, TLengthWidth::Bits16},
  {TAttribute::StereoscopicHalfHeight, u"StereoscopicHalfHeight", WMT_TYPE_BOOL, "HalfHeightCheckBox", TTab::Stereo, TWriteRule::WithStereoscopic, TLengthWidth::Bits16},
  {TAttribute::Source, u"Source", WMT_TYPE_STRING, "SourceEdit", TTab::Stereo, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16},
  {TAttribute::Title, u"Title", WMT_TYPE_STRING, "TitleEdit", TTab::General, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16},
  {TAttribute::Author, u"Author", WMT_TYPE_STRING, "AuthorEdit", TTab::General, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16},
  {TAttribute::Copyright, u"Copyright", WMT_TYPE_STRING, "CopyrightEdit", TTab::General, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16},
  {TAttribute::Description, u"Description", WMT_TYPE_STRING, "DescriptionMemo", TTab::General, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16},
  {TAttribute::StereoDiscName, u"StereoDiscName", WMT_TYPE_STRING, "DiscNameEdit", TTab::MovieDisk, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16},
  {TAttribute::StereoDiscTitleName, u"StereoDiscTitleName", WMT_TYPE_STRING, "TitleNameEdit", TTab::MovieDisk, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16},
  {TAttribute::StereoDiscTitleIndex, u"StereoDiscTitleIndex", WMT_TYPE_DWORD, "TitleIndexEdit", TTab::MovieDisk, TWriteRule::TrimmedTextNotEmpty, TLengthWidth::Bits16},
  {TAttribute::StereoDiscTitlePoster, u"StereoDiscTitlePoster", WMT_TYPE_BINARY, "PosterImage", TTab::MovieDisk, TWriteRule::ImagePresent, TLengthWidth::Bits32},
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

inline constexpr std::size_t LayoutCount = 7;

// Stored values of StereoscopicLayout, by position in LayoutComboBox.
inline constexpr std::array<const char16_t*, LayoutCount> LayoutKeys = {
    u"SideBySideRF", u"SideBySideLF", u"OverUnderRT", u"OverUnderLT", u"DualStream", u"MultiStream", u"Mono",
};

// The list items of LayoutComboBox, display texts only: position alone
// links an item with its key.
inline constexpr std::array<const char16_t*, LayoutCount> LayoutItems = {
    u"Side by Side, Right Image First",
    u"Side by Side, Left Image First",
    u"Over/Under, Right Image Top",
    u"Over/Under, Left Image Top",
    u"Dual Stream",
    u"Multi Stream",
    u"Monoscopic",
};

// Position of the first key equal to Text, case included; -1 for none.
int LayoutIndexOfKey(std::u16string_view Text);

// The key at a list position; null outside 0..6.
const char16_t* LayoutKeyAt(int Index);

} // namespace Quillmark
