#pragma once
// The values of the main window's catalogue controls as one plain record.
// Reading fills it, writing takes it; the window moves it to and from its
// controls, and the command-line tool builds and prints it.
#include <bitset>
#include <memory>
#include <string>

#include "metadata/Catalogue.h"
#include "metadata/JpegImage.h"

namespace Quillmark {

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

struct TCatalogueValues {
  bool Stereo = false;     // StereoCheckBox
  bool HalfWidth = false;  // HalfWidthCheckBox
  bool HalfHeight = false; // HalfHeightCheckBox
  int LayoutIndex = -1;    // LayoutComboBox position, -1 for no selection

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

} // namespace Quillmark
