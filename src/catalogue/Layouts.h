#pragma once
// The stereoscopic layouts a file may store, with everything said of each:
// its stored key, the window's caption, how its two views share a frame
// and the tags that announce it in a file's name.
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace Quillmark {

// In the order of LayoutComboBox's items: a layout's position there is its
// value as an int.
enum class TLayout : int {
  SideBySideRF,
  SideBySideLF,
  OverUnderRT,
  OverUnderLT,
  DualStream,
  MultiStream,
  Mono
};

inline constexpr std::size_t LayoutCount = 7;

// How the two views share a frame.
enum class TLayoutFamily {
  SideBySide, // left and right halves; a half layout halves the width
  OverUnder,  // top and bottom halves; a half layout halves the height
  Streams,    // each view in a stream of its own
  Flat,       // one view
};

struct TLayoutEntry {
  TLayout Layout;
  const char16_t* Key;     // as stored in StereoscopicLayout
  const char16_t* Caption; // LayoutComboBox's item, before translation
  TLayoutFamily Family;
  bool LeftFirst; // the left eye's view is the first half (left or top)
  // Tags that announce the layout in a file's name at full resolution and
  // with the views halved along the split: lower case, separated by spaces;
  // a tag of two tokens is written with '-' ("half-sbs") and matches them
  // with any separator between ("Half.SBS").
  const char* NameTags;
  const char* HalfNameTags;
};

// clang-format off
inline constexpr std::array<TLayoutEntry, LayoutCount> Layouts = {{
  {TLayout::SideBySideRF, u"SideBySideRF", u"Side by Side, Right Image First", TLayoutFamily::SideBySide, false,
   "rl", ""},
  {TLayout::SideBySideLF, u"SideBySideLF", u"Side by Side, Left Image First", TLayoutFamily::SideBySide, true,
   "full-sbs sbs lr fsbs fullsbs", "half-sbs h-sbs hsbs halfsbs"},
  {TLayout::OverUnderRT, u"OverUnderRT", u"Over/Under, Right Image Top", TLayoutFamily::OverUnder, false,
   "bt", ""},
  {TLayout::OverUnderLT, u"OverUnderLT", u"Over/Under, Left Image Top", TLayoutFamily::OverUnder, true,
   "full-ou full-tb full-tab ou tb tab fou fullou ftb ftab fulltb",
   "half-ou h-ou half-tb h-tb half-tab h-tab hou htb htab halfou halftb halftab"},
  {TLayout::DualStream, u"DualStream", u"Dual Stream", TLayoutFamily::Streams, false, "", ""},
  {TLayout::MultiStream, u"MultiStream", u"Multi Stream", TLayoutFamily::Streams, false, "", ""},
  {TLayout::Mono, u"Mono", u"Monoscopic", TLayoutFamily::Flat, false, "", ""},
}};
// clang-format on

constexpr int LayoutIndex(TLayout Layout)
{
  return static_cast<int>(Layout);
}

constexpr const TLayoutEntry& LayoutEntry(TLayout Layout)
{
  return Layouts[static_cast<std::size_t>(Layout)];
}

// The layout at a list position; none outside 0..6.
constexpr std::optional<TLayout> LayoutAt(int Index)
{
  if (Index < 0 || Index >= static_cast<int>(LayoutCount)) {
    return std::nullopt;
  }
  return static_cast<TLayout>(Index);
}

// Whether a list position holds a layout of two views in one frame.
constexpr bool IsSplitLayout(int Index)
{
  const std::optional<TLayout> Layout = LayoutAt(Index);
  return Layout && (LayoutEntry(*Layout).Family == TLayoutFamily::SideBySide ||
                    LayoutEntry(*Layout).Family == TLayoutFamily::OverUnder);
}

// The split layout of a family with the left view first or second.
constexpr TLayout SplitLayout(TLayoutFamily Family, bool LeftFirst)
{
  for (const TLayoutEntry& Entry : Layouts) {
    if (Entry.Family == Family && Entry.LeftFirst == LeftFirst) {
      return Entry.Layout;
    }
  }
  return TLayout::Mono;
}

// The stored keys and the list items by position, as views of the table.
inline constexpr std::array<const char16_t*, LayoutCount> LayoutKeys = [] {
  std::array<const char16_t*, LayoutCount> Keys{};
  for (std::size_t Index = 0; Index < LayoutCount; ++Index) {
    Keys[Index] = Layouts[Index].Key;
  }
  return Keys;
}();

inline constexpr std::array<const char16_t*, LayoutCount> LayoutItems = [] {
  std::array<const char16_t*, LayoutCount> Items{};
  for (std::size_t Index = 0; Index < LayoutCount; ++Index) {
    Items[Index] = Layouts[Index].Caption;
  }
  return Items;
}();

// Position of the first key equal to Text, case included; -1 for none.
int LayoutIndexOfKey(std::u16string_view Text);

// The key at a list position; null outside 0..6.
const char16_t* LayoutKeyAt(int Index);

} // namespace Quillmark
