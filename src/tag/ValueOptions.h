#pragma once
// The options of set that give one value as text, with what each replaces:
// the command line, its help and its refusals all take them from here.
#include "metadata/Catalogue.h"
#include "metadata/CatalogueValues.h"
#include "metadata/CatalogueWriting.h"
#include "tag/SetCommand.h"

#include <array>
#include <optional>
#include <string>

namespace Quillmark {

struct TValueOption {
  TAttribute Attribute;
  const char* Option;   // "--title"
  const char* TypeName; // in the help: "TEXT"
  const char* Label;    // in messages, lower case: "title index"
  const char* Help;
  std::optional<std::string> TSetOptions::*Given;
  std::u16string TCatalogueValues::*Value;
  const char16_t* Refusal; // the window's refusal of a value that is no number, or null
};

// clang-format off
inline constexpr std::array<TValueOption, 10> ValueOptions = {{
  {TAttribute::StereoscopicSkip, "--duration", "SECONDS", "2D intro duration",
   "2D intro duration in seconds, '.' as decimal separator (ticks --stereo)",
   &TSetOptions::Duration, &TCatalogueValues::Duration, DurationRefusal},
  {TAttribute::StereoscopicHorizontalParallax, "--parallax", "PIXELS", "parallax correction",
   "Horizontal parallax correction (ticks --stereo)", &TSetOptions::Parallax, &TCatalogueValues::Parallax,
   ParallaxRefusal},
  {TAttribute::Source, "--source", "TEXT", "source", "Source", &TSetOptions::Source, &TCatalogueValues::Source, nullptr},
  {TAttribute::Title, "--title", "TEXT", "title", "Title", &TSetOptions::Title, &TCatalogueValues::Title, nullptr},
  {TAttribute::Author, "--author", "TEXT", "author", "Author", &TSetOptions::Author, &TCatalogueValues::Author, nullptr},
  {TAttribute::Copyright, "--copyright", "TEXT", "copyright", "Copyright", &TSetOptions::Copyright,
   &TCatalogueValues::Copyright, nullptr},
  {TAttribute::Description, "--description", "TEXT", "description", "Description", &TSetOptions::Description,
   &TCatalogueValues::Description, nullptr},
  {TAttribute::StereoDiscName, "--disc-name", "TEXT", "disc name", "Disc name", &TSetOptions::DiscName,
   &TCatalogueValues::DiscName, nullptr},
  {TAttribute::StereoDiscTitleName, "--title-name", "TEXT", "title name", "Title name", &TSetOptions::TitleName,
   &TCatalogueValues::TitleName, nullptr},
  {TAttribute::StereoDiscTitleIndex, "--title-index", "N", "title index", "Title index, 0 or more",
   &TSetOptions::TitleIndex, &TCatalogueValues::TitleIndex, TitleIndexRefusal},
}};
// clang-format on

// The tool's words for a refusal of the window's: a value the user gave is
// named with its option; one the file holds and the user did not give is
// named with its stored text and the option that replaces it.
std::string RefusalText(const std::u16string& Refusal, const TCatalogueValues& Values);

} // namespace Quillmark
