#pragma once
// Checking the window's record and writing it into an editor's header.
#include <string>
#include <string_view>

#include "catalogue/Catalogue.h"
#include "metadata/MetadataEditor.h"

namespace Quillmark {

// Where writing tells the user why it stopped.
class ICatalogueReporter {
public:
  virtual ~ICatalogueReporter() = default;
  // A value was refused before the header was changed.
  virtual void Refuse(const std::u16string& Text) = 0;
  // The same, naming the attribute whose value was refused, so that a
  // window can show its field.
  virtual void RefuseAttribute(TAttribute Attribute, const std::u16string& Text)
  {
    static_cast<void>(Attribute);
    Refuse(Text);
  }
  // An instance of Name could not be deleted: "Could not delete " + Name.
  virtual void DeleteFailed(const std::u16string& Name) = 0;
  // A copy of a text under another name (see CopiedEntry) took the text's
  // new value, or went with the cleared text (Removed).
  virtual void CopyKeptInStep(const std::u16string& /*Name*/, bool /*Removed*/) {}
};

inline constexpr char16_t DurationRefusal[] = u"Please enter a valid 2D intro duration!";
inline constexpr char16_t ParallaxRefusal[] = u"Please enter a valid parallax correction!";
inline constexpr char16_t LayoutRefusal[] = u"Please select a stereoscopic layout!";
inline constexpr char16_t TitleIndexRefusal[] = u"Please enter a valid title index!";

// The refusal of a text that is no value of its field's kind; null for
// kinds every text is a value of.
constexpr const char16_t* NumberRefusal(TFieldKind Kind)
{
  switch (Kind) {
  case TFieldKind::Seconds:
    return DurationRefusal;
  case TFieldKind::Integer:
    return ParallaxRefusal;
  case TFieldKind::Count:
    return TitleIndexRefusal;
  default:
    return nullptr;
  }
}

// A string's byte length is 16-bit: 32,766 characters and the terminator.
inline constexpr std::size_t MaxTextCharacters = 32766;

// "The <field> is too long to be saved. Please shorten it to 32766
// characters or fewer." Field is the lower-case name of the field, as
// "description" or "disc name".
std::u16string TextTooLongRefusal(std::u16string_view Field);

// Removes every instance of Name from stream 0; true also when there is
// none. A failed deletion goes to Reporter.DeleteFailed and stops.
bool DeleteNamedAttribute(const TRef<IWMMetadataEditor2>& Editor, const char16_t* Name,
                          ICatalogueReporter& Reporter);

// Sets a string attribute (UTF-16 with a terminating null); writes nothing
// for an empty text. The text must fit a 16-bit length.
bool WriteStringAttribute(const TRef<IWMMetadataEditor2>& Editor, const char16_t* Name,
                          std::u16string_view Text);

// Sets a boolean attribute to true when Value holds; writes nothing otherwise.
// The engine takes any non-zero value as true and stores it as 1.
bool WriteBoolAttribute(const TRef<IWMMetadataEditor2>& Editor, const char16_t* Name, bool Value);

// Checks the record, then replaces in the editor's header the attributes
// the record changed (Values.Changed; the rows written only with
// Stereoscopic follow a change of the Stereo box) by those the record calls
// for: every instance of a replaced attribute goes. The others stay as
// stored, except that instances repeating the shown one (same language,
// type and bytes) are reduced to it. Reported is true when Reporter was
// given a refusal; every refusal comes before the first change to the
// header, and a text is refused as too long only when it is to be written.
// Copies of a replaced text under other names (see CopiedEntry), in stream
// 0, take its new value under their own name and language, or go when it
// is cleared; copies of texts kept as stored stay as they are.
// When both half boxes are ticked, both are unticked in Values and marked
// changed, also when a check then refuses. No editor: false at once. A failed call during
// the changes: false, leaving the header partly changed. Throws
// EInterfaceNotSupported when the editor lacks a header interface.
bool WriteCatalogue(const TRef<IWMMetadataEditor2>& Editor, TCatalogueValues& Values,
                    ICatalogueReporter& Reporter, bool& Reported, char16_t Separator);

} // namespace Quillmark
