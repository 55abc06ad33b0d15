#include "metadata/Catalogue.h"

#include <algorithm>

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

namespace {

char16_t FoldCase(char16_t Char)
{
  return Char >= u'A' && Char <= u'Z' ? static_cast<char16_t>(Char - u'A' + u'a') : Char;
}

bool SameButForCase(std::u16string_view Left, std::u16string_view Right)
{
  return Left.size() == Right.size() &&
         std::equal(Left.begin(), Left.end(), Right.begin(),
                    [](char16_t A, char16_t B) { return FoldCase(A) == FoldCase(B); });
}

} // namespace

const TCatalogueEntry* CopiedEntry(std::u16string_view Name)
{
  if (FindEntry(Name) != nullptr) {
    return nullptr;
  }
  for (const TCatalogueEntry& Candidate : Catalogue) {
    if (Candidate.Type == WMT_TYPE_STRING && Candidate.Rule == TWriteRule::TrimmedTextNotEmpty &&
        SameButForCase(Name, Candidate.Name)) {
      return &Candidate;
    }
  }
  for (const TCopyAlias& Alias : CopyAliases) {
    if (SameButForCase(Name, Alias.Name)) {
      return &Entry(Alias.Attribute);
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
