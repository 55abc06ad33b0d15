#include "catalogue/CatalogueWriting.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "catalogue/Catalogue.h"
#include "catalogue/NumberSyntax.h"
#include "catalogue/PictureRules.h"
#include "catalogue/StoredInstances.h"
#include "metadata/TextConversion.h"

namespace Quillmark {

namespace {

constexpr DWORD BoolTrue = 0xFFFFFFFFU;

template <class T> std::array<BYTE, sizeof(T)> LittleEndian(T Value)
{
  std::array<BYTE, sizeof(T)> Bytes{};
  auto Bits = static_cast<std::uint64_t>(Value);
  for (BYTE& Byte : Bytes) {
    Byte = static_cast<BYTE>(Bits & 0xFFU);
    Bits >>= 8;
  }
  return Bytes;
}

// What the checks worked out, for one call.
struct TChecked {
  bool Stereo = false;
  std::int64_t Duration = 0;
  std::int32_t Parallax = 0;
  const char16_t* Layout = nullptr;
  std::optional<std::int32_t> TitleIndex;
};

// The texts stored as they are, in the order they are checked and written:
// those of the General page (the Content Description's) first, then the
// others in catalogue order.
constexpr std::array<TAttribute, CountOf(TFieldKind::Text)> TextAttributes = [] {
  std::array<TAttribute, CountOf(TFieldKind::Text)> Texts{};
  std::size_t Next = 0;
  for (const bool General : {true, false}) {
    for (const TCatalogueEntry& Row : Catalogue) {
      if (Row.Field.Kind == TFieldKind::Text && (Row.Tab == TTab::General) == General) {
        Texts.at(Next++) = Row.Attribute;
      }
    }
  }
  return Texts;
}();

// Whether saving replaces an attribute: the record changed it, or changed the
// Stereo box that the rows written only with Stereoscopic follow.
bool Replaces(const TCatalogueValues& Values, TAttribute Attribute)
{
  return Values.Changed.Has(Attribute) || (Entry(Attribute).Rule == TWriteRule::WithStereoscopic &&
                                           Values.Changed.Has(TAttribute::Stereoscopic));
}

// A refused value: what the user is told, and whose field holds it.
struct TRefusal {
  std::u16string Text;
  TAttribute Attribute;
};

// The first refusal, in the order the user is told of them; none when the
// record may be written.
std::optional<TRefusal> Check(const TCatalogueValues& Values, char16_t Separator, TChecked& Checked)
{
  Checked.Stereo = Values.Stereo;
  if (Checked.Stereo && !IsBlank(Values.Duration)) {
    const std::optional<std::int64_t> Units = ParseDurationUnits(Values.Duration, Separator);
    if (!Units || *Units < 0) {
      return TRefusal{DurationRefusal, TAttribute::StereoscopicSkip};
    }
    Checked.Duration = *Units;
  }
  if (Checked.Stereo && !IsBlank(Values.Parallax)) {
    const std::optional<std::int32_t> Parallax = ParseInteger(Values.Parallax);
    if (!Parallax) {
      return TRefusal{ParallaxRefusal, TAttribute::StereoscopicHorizontalParallax};
    }
    Checked.Parallax = *Parallax;
  }
  if (Checked.Stereo) {
    Checked.Layout = LayoutKeyAt(Values.LayoutIndex);
    if (Checked.Layout == nullptr) {
      return TRefusal{LayoutRefusal, TAttribute::StereoscopicLayout};
    }
  }
  if (!IsBlank(Values.TitleIndex)) {
    Checked.TitleIndex = ParseInteger(Values.TitleIndex);
    if (!Checked.TitleIndex || *Checked.TitleIndex < 0) {
      return TRefusal{TitleIndexRefusal, TAttribute::StereoDiscTitleIndex};
    }
  }
  // A text that stays as stored is not written, whatever its length.
  for (const TAttribute Text : TextAttributes) {
    const TCatalogueEntry& Row = Entry(Text);
    if (Replaces(Values, Text) && Trimmed(Values.*Row.Field.Text).size() > MaxTextCharacters) {
      return TRefusal{TextTooLongRefusal(Utf8ToUtf16(Row.Noun)), Text};
    }
  }
  // Held pictures obey their rules, so these cannot be hit; were one ever
  // too long for its length field, it would be refused rather than cut.
  if (Values.Preview && Values.Preview->Bytes().size() > std::numeric_limits<WORD>::max()) {
    return TRefusal{PictureRejectedMessage(TPictureKind::Preview), TAttribute::StereoscopicPreview};
  }
  if (Values.Poster && Values.Poster->Bytes().size() > std::numeric_limits<DWORD>::max()) {
    return TRefusal{PictureRejectedMessage(TPictureKind::Poster), TAttribute::StereoDiscTitlePoster};
  }
  return std::nullopt;
}

// The picture the record shows for a picture attribute; none for others.
const TJpegImage* ShownPicture(const TCatalogueValues& Values, TAttribute Attribute)
{
  if (Attribute == TAttribute::StereoscopicPreview) {
    return Values.Preview.get();
  }
  if (Attribute == TAttribute::StereoDiscTitlePoster) {
    return Values.Poster.get();
  }
  return nullptr;
}

// Removes the instances of an attribute that repeat the one shown: the
// first instance, of its catalogued type (and, for a picture, the picture
// shown), again in the same language with the same bytes. Every other
// instance stays as stored.
bool ReduceDuplicates(IWMHeaderInfo3& Header, const TCatalogueEntry& Entry, const TCatalogueValues& Values,
                      ICatalogueReporter& Reporter)
{
  const std::optional<std::vector<WORD>> Indices = InstanceIndices(Header, Entry.Name);
  if (!Indices) {
    return false;
  }
  if (Indices->size() < 2) {
    return true;
  }
  // Highest first, so the deletions never move an index still to come.
  std::vector<WORD> Order = *Indices;
  std::sort(Order.begin(), Order.end(), std::greater<>());
  const std::optional<TStoredInstance> Shown = FetchInstance(Header, Order.back());
  if (!Shown) {
    return false;
  }
  if (Shown->Type != Entry.Type) {
    return true;
  }
  if (Entry.Type == WMT_TYPE_BINARY) {
    const TJpegImage* Picture = ShownPicture(Values, Entry.Attribute);
    if (Picture == nullptr || Picture->Bytes() != Shown->Value) {
      return true;
    }
  }
  Order.pop_back();
  for (const WORD Index : Order) {
    const std::optional<TStoredInstance> Other = FetchInstance(Header, Index);
    if (!Other) {
      return false;
    }
    if (Other->SameValue(*Shown) && Header.DeleteAttribute(0, Index) != S_OK) {
      Reporter.DeleteFailed(Entry.Name);
      return false;
    }
  }
  return true;
}

bool DeleteInstances(IWMHeaderInfo3& Header, const char16_t* Name, ICatalogueReporter& Reporter)
{
  WORD Count = 0;
  if (Header.GetAttributeIndices(0, Name, nullptr, nullptr, &Count) != S_OK) {
    return false;
  }
  if (Count == 0) {
    return true;
  }
  std::vector<WORD> Indices(Count);
  if (Header.GetAttributeIndices(0, Name, nullptr, Indices.data(), &Count) != S_OK) {
    return false;
  }
  // The editor hands out indices in descending order, so deleting one never
  // moves those still to come.
  Indices.resize(std::min<std::size_t>(Indices.size(), Count));
  for (const WORD Index : Indices) {
    if (Header.DeleteAttribute(0, Index) != S_OK) {
      Reporter.DeleteFailed(Name);
      return false;
    }
  }
  return true;
}

// In catalogue order: every instance of a replaced attribute goes; of the
// others only repeats of the shown value. The interface is asked for once:
// a batch clears hundreds of files.
bool ClearReplaced(const TRef<IWMMetadataEditor2>& Editor, const TCatalogueValues& Values,
                   ICatalogueReporter& Reporter)
{
  const TRef<IWMHeaderInfo3> Header = QueryInterface<IWMHeaderInfo3>(Editor);
  for (const TCatalogueEntry& Entry : Catalogue) {
    const bool Cleared = Replaces(Values, Entry.Attribute)
                             ? DeleteInstances(*Header, Entry.Name, Reporter)
                             : ReduceDuplicates(*Header, Entry, Values, Reporter);
    if (!Cleared) {
      return false;
    }
  }
  return true;
}

std::vector<BYTE> StringBytes(std::u16string_view Text)
{
  std::vector<BYTE> Bytes;
  Bytes.reserve((Text.size() + 1) * 2);
  for (const char16_t Char : Text) {
    Bytes.push_back(static_cast<BYTE>(Char & 0xFFU));
    Bytes.push_back(static_cast<BYTE>(Char >> 8));
  }
  Bytes.push_back(0);
  Bytes.push_back(0);
  return Bytes;
}

struct TStoredName {
  std::u16string Name;
  WORD Language = 0;
};

std::optional<TStoredName> StoredName(IWMHeaderInfo3& Header, WORD Index)
{
  TStoredName Stored;
  WORD Length = 0;
  WMT_ATTR_DATATYPE Type = WMT_TYPE_BINARY;
  DWORD ValueLength = 0;
  if (Header.GetAttributeByIndexEx(0, Index, nullptr, &Length, &Type, &Stored.Language, nullptr,
                                   &ValueLength) != S_OK) {
    return std::nullopt;
  }
  Stored.Name.assign(Length, u'\0');
  if (Header.GetAttributeByIndexEx(0, Index, Stored.Name.data(), &Length, &Type, &Stored.Language, nullptr,
                                   &ValueLength) != S_OK) {
    return std::nullopt;
  }
  Stored.Name.resize(std::min<std::size_t>(Stored.Name.size(), Length > 0 ? Length - 1U : 0U));
  return Stored;
}

// The text a copy of Entry is kept in step with.
std::u16string_view TextOf(const TCatalogueValues& Values, const TCatalogueEntry& Entry)
{
  return Entry.Field.Kind == TFieldKind::Text ? Trimmed(Values.*Entry.Field.Text) : std::u16string_view();
}

// FFmpeg-based readers show the copy rather than the catalogued value, so a
// copy left behind would hide the user's change.
bool KeepCopiesInStep(IWMHeaderInfo3& Header, const TCatalogueValues& Values, ICatalogueReporter& Reporter)
{
  WORD Count = 0;
  if (Header.GetAttributeCountEx(0, &Count) != S_OK) {
    return false;
  }
  // Highest first, so a removal never moves an index still to come.
  for (WORD Index = Count; Index-- > 0;) {
    const std::optional<TStoredName> Stored = StoredName(Header, Index);
    if (!Stored) {
      return false;
    }
    const TCatalogueEntry* Copied = CopiedEntry(Stored->Name);
    if (Copied == nullptr || !Replaces(Values, Copied->Attribute)) {
      continue;
    }
    const std::u16string_view Text = TextOf(Values, *Copied);
    if (Text.empty()) {
      if (Header.DeleteAttribute(0, Index) != S_OK) {
        Reporter.DeleteFailed(Stored->Name);
        return false;
      }
    } else {
      const std::vector<BYTE> Bytes = StringBytes(Text);
      if (Header.ModifyAttribute(0, Index, WMT_TYPE_STRING, Stored->Language, Bytes.data(),
                                 static_cast<DWORD>(Bytes.size())) != S_OK) {
        return false;
      }
    }
    Reporter.CopyKeptInStep(Stored->Name, Text.empty());
  }
  return true;
}

template <class T> bool SetNumber(const TRef<IWMMetadataEditor2>& Editor, TAttribute Attribute, T Value)
{
  const auto Bytes = LittleEndian(Value);
  return QueryInterface<IWMHeaderInfo>(Editor)->SetAttribute(0, AttributeName(Attribute),
                                                             Entry(Attribute).Type, Bytes.data(),
                                                             static_cast<WORD>(Bytes.size())) == S_OK;
}

bool WriteStereo(const TRef<IWMMetadataEditor2>& Editor, const TCatalogueValues& Values,
                 const TChecked& Checked)
{
  if (!Checked.Stereo) {
    return true;
  }
  auto WriteBool = [&](TAttribute Attribute, bool Value) {
    return !Replaces(Values, Attribute) || WriteBoolAttribute(Editor, AttributeName(Attribute), Value);
  };
  if (!WriteBool(TAttribute::Stereoscopic, true) ||
      !WriteBool(TAttribute::StereoscopicHalfWidth, Values.HalfWidth) ||
      !WriteBool(TAttribute::StereoscopicHalfHeight, Values.HalfHeight)) {
    return false;
  }
  if (Replaces(Values, TAttribute::StereoscopicLayout) &&
      !WriteStringAttribute(Editor, AttributeName(TAttribute::StereoscopicLayout), Checked.Layout)) {
    return false;
  }
  if (Replaces(Values, TAttribute::StereoscopicSkip) && Checked.Duration > 0 &&
      !SetNumber(Editor, TAttribute::StereoscopicSkip, static_cast<QWORD>(Checked.Duration))) {
    return false;
  }
  return !Replaces(Values, TAttribute::StereoscopicHorizontalParallax) || Checked.Parallax == 0 ||
         SetNumber(Editor, TAttribute::StereoscopicHorizontalParallax, static_cast<DWORD>(Checked.Parallax));
}

// The picture's bytes go through a copy of their own, as the editor takes a
// value buffer and the picture keeps its bytes unchanged.
bool WritePictures(const TRef<IWMMetadataEditor2>& Editor, const TCatalogueValues& Values,
                   const TChecked& Checked)
{
  if (Values.Preview && Replaces(Values, TAttribute::StereoscopicPreview)) {
    const std::vector<BYTE> Bytes = Values.Preview->Bytes();
    if (QueryInterface<IWMHeaderInfo>(Editor)->SetAttribute(0, AttributeName(TAttribute::StereoscopicPreview),
                                                            WMT_TYPE_BINARY, Bytes.data(),
                                                            static_cast<WORD>(Bytes.size())) != S_OK) {
      return false;
    }
  }
  if (Checked.TitleIndex && Replaces(Values, TAttribute::StereoDiscTitleIndex) &&
      !SetNumber(Editor, TAttribute::StereoDiscTitleIndex, static_cast<DWORD>(*Checked.TitleIndex))) {
    return false;
  }
  if (Values.Poster && Replaces(Values, TAttribute::StereoDiscTitlePoster)) {
    const std::vector<BYTE> Bytes = Values.Poster->Bytes();
    WORD Index = 0;
    if (QueryInterface<IWMHeaderInfo3>(Editor)->AddAttribute(
            0, AttributeName(TAttribute::StereoDiscTitlePoster), &Index, WMT_TYPE_BINARY, 0, Bytes.data(),
            static_cast<DWORD>(Bytes.size())) != S_OK) {
      return false;
    }
  }
  return true;
}

} // namespace

std::u16string TextTooLongRefusal(std::u16string_view Field)
{
  return u"The " + std::u16string(Field) +
         u" is too long to be saved. Please shorten it to 32766 characters or fewer.";
}

bool DeleteNamedAttribute(const TRef<IWMMetadataEditor2>& Editor, const char16_t* Name,
                          ICatalogueReporter& Reporter)
{
  return DeleteInstances(*QueryInterface<IWMHeaderInfo3>(Editor), Name, Reporter);
}

bool WriteStringAttribute(const TRef<IWMMetadataEditor2>& Editor, const char16_t* Name,
                          std::u16string_view Text)
{
  if (Text.empty()) {
    return true;
  }
  if (Text.size() > MaxTextCharacters) {
    return false;
  }
  const std::vector<BYTE> Bytes = StringBytes(Text);
  return QueryInterface<IWMHeaderInfo>(Editor)->SetAttribute(0, Name, WMT_TYPE_STRING, Bytes.data(),
                                                             static_cast<WORD>(Bytes.size())) == S_OK;
}

bool WriteBoolAttribute(const TRef<IWMMetadataEditor2>& Editor, const char16_t* Name, bool Value)
{
  if (!Value) {
    return true;
  }
  const auto Bytes = LittleEndian(BoolTrue);
  return QueryInterface<IWMHeaderInfo>(Editor)->SetAttribute(0, Name, WMT_TYPE_BOOL, Bytes.data(),
                                                             static_cast<WORD>(Bytes.size())) == S_OK;
}

bool WriteCatalogue(const TRef<IWMMetadataEditor2>& Editor, TCatalogueValues& Values,
                    ICatalogueReporter& Reporter, bool& Reported, char16_t Separator)
{
  Reported = false;
  if (!Editor) {
    return false;
  }
  if (Values.HalfWidth && Values.HalfHeight) {
    Values.HalfWidth = false;
    Values.HalfHeight = false;
    Values.Changed.Mark(TAttribute::StereoscopicHalfWidth);
    Values.Changed.Mark(TAttribute::StereoscopicHalfHeight);
  }
  TChecked Checked;
  if (const std::optional<TRefusal> Refusal = Check(Values, Separator, Checked)) {
    Reporter.RefuseAttribute(Refusal->Attribute, Refusal->Text);
    Reported = true;
    return false;
  }
  if (!ClearReplaced(Editor, Values, Reporter)) {
    return false;
  }
  for (const TAttribute Text : TextAttributes) {
    if (Replaces(Values, Text) &&
        !WriteStringAttribute(Editor, AttributeName(Text), TextOf(Values, Entry(Text)))) {
      return false;
    }
  }
  return KeepCopiesInStep(*QueryInterface<IWMHeaderInfo3>(Editor), Values, Reporter) &&
         WriteStereo(Editor, Values, Checked) && WritePictures(Editor, Values, Checked);
}

} // namespace Quillmark
