#pragma once
// The values of the main window's catalogue controls as one plain record.
// Reading fills it, writing takes it; the window moves it to and from its
// controls, and the command-line tool builds and prints it.
#include <memory>
#include <string>

#include "metadata/JpegImage.h"

namespace Quillmark {

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
};

} // namespace Quillmark
