#pragma once
// The stereoscopic layout a file's name announces by the tags players and
// releases use: "Film.2019.3D.HSBS.wmv", "clip_LR.wmv", "Trip (Full-OU).wmv".
#include <optional>
#include <string>

namespace Quillmark {

struct TNameLayout {
  int LayoutIndex = -1; // a TLayout as its position in LayoutKeys
  bool HalfWidth = false;
  bool HalfHeight = false;
  bool operator==(const TNameLayout&) const = default;
};

enum class TNameLayoutResult { Found, NoTag, Conflicting };

// Looks at the last part of Path only. Tags are whole tokens between
// separators (. _ - space and brackets), in any case; a tag written with a
// separator inside ("Half-SBS", "H.TB") counts as one. Tags that disagree
// give Conflicting, and Layout is then untouched.
TNameLayoutResult LayoutFromName(const std::string& Path, TNameLayout& Layout);

} // namespace Quillmark
