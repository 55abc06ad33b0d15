#include "metadata/Catalogue.h"

namespace Quillmark {

const TCatalogueEntry* FindEntry(std::u16string_view Name)
{
  for (const TCatalogueEntry& Candidate : Catalogue) {
    if (Name == Candidate.Name) {
      return &Candidate;
    }
  }
  return nullptr;
}

int LayoutIndexOfKey(std::u16string_view Text)
{
  for (std::size_t Index = 0; Index < LayoutKeys.size(); ++Index) {
    if (Text == LayoutKeys[Index]) {
      return static_cast<int>(Index);
    }
  }
  return -1;
}

const char16_t* LayoutKeyAt(int Index)
{
  if (Index < 0 || Index >= static_cast<int>(LayoutKeys.size())) {
    return nullptr;
  }
  return LayoutKeys[static_cast<std::size_t>(Index)];
}

} // namespace Quillmark

namespace Quillmark {
namespace {

constexpr bool InOrder()
{
  for (std::size_t Index = 0; Index < Catalogue.size(); ++Index) {
    if (static_cast<std::size_t>(Catalogue[Index].Attribute) != Index) {
      return false;
    }
  }
  return true;
}
static_assert(InOrder(), "Catalogue rows must follow TAttribute");

} // namespace
} // namespace Quillmark
