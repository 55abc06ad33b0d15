#include "catalogue/Catalogue.h"

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
  for (const TLayoutEntry& Layout : Layouts) {
    if (Text == Layout.Key) {
      return LayoutIndex(Layout.Layout);
    }
  }
  return -1;
}

const char16_t* LayoutKeyAt(int Index)
{
  const std::optional<TLayout> Layout = LayoutAt(Index);
  return Layout ? LayoutEntry(*Layout).Key : nullptr;
}

} // namespace Quillmark

namespace Quillmark {
namespace {

// A table indexed by an enumeration holds its rows in the enumeration's order.
template <class TRow, std::size_t Size, class TKey>
constexpr bool RowsFollow(const std::array<TRow, Size>& Rows, TKey TRow::*Key)
{
  for (std::size_t Index = 0; Index < Size; ++Index) {
    if (static_cast<std::size_t>(Rows[Index].*Key) != Index) {
      return false;
    }
  }
  return true;
}
static_assert(RowsFollow(Catalogue, &TCatalogueEntry::Attribute), "Catalogue rows must follow TAttribute");
static_assert(RowsFollow(Layouts, &TLayoutEntry::Layout), "Layouts rows must follow TLayout");

// Each position column numbers every row once.
constexpr bool IsPermutation(const std::array<TAttribute, CatalogueSize>& Order)
{
  std::array<bool, CatalogueSize> Seen{};
  for (const TAttribute Attribute : Order) {
    Seen.at(static_cast<std::size_t>(Attribute)) = true;
  }
  for (const bool Was : Seen) {
    if (!Was) {
      return false;
    }
  }
  return true;
}
static_assert(IsPermutation(ReadOrder), "ReadStep must number every row once");
static_assert(IsPermutation(ShownOrder), "ShownAt must number every row once");

// Every field points into the record as its kind says.
constexpr bool FieldsMatchKinds()
{
  for (const TCatalogueEntry& Row : Catalogue) {
    const TValueField& Field = Row.Field;
    const bool Flag = Field.Flag != nullptr;
    const bool Text = Field.Text != nullptr;
    const bool Picture = Field.Picture != nullptr;
    if (Flag != (Field.Kind == TFieldKind::Flag) || Text != IsTextField(Field.Kind) ||
        Picture != (Field.Kind == TFieldKind::Picture)) {
      return false;
    }
  }
  return true;
}
static_assert(FieldsMatchKinds(), "A value field must point to a member of its kind");

} // namespace
} // namespace Quillmark
