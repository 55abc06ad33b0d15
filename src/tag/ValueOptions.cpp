#include "tag/ValueOptions.h"

#include "catalogue/CatalogueWriting.h"
#include "metadata/TextConversion.h"

namespace Quillmark {

namespace {

// Values written only with Stereoscopic are replaced when the Stereo box
// changes, but the user gave them only when their own option was given.
bool Given(const TCatalogueValues& Values, TAttribute Attribute)
{
  return Values.Changed.Has(Attribute);
}

} // namespace

std::string OptionName(const TCatalogueEntry& Row)
{
  return std::string("--") + Row.Option;
}

const char* OptionTypeName(const TCatalogueEntry& Row)
{
  switch (Row.Field.Kind) {
  case TFieldKind::Seconds:
    return "SECONDS";
  case TFieldKind::Integer:
    return "PIXELS";
  case TFieldKind::Count:
    return "N";
  default:
    return "TEXT";
  }
}

std::string OptionHelp(const TCatalogueEntry& Row)
{
  std::string Help;
  switch (Row.Field.Kind) {
  case TFieldKind::Seconds:
    Help = std::string(Row.Noun) + " in seconds, '.' as decimal separator";
    break;
  case TFieldKind::Integer:
    Help = "Horizontal " + std::string(Row.Noun);
    break;
  case TFieldKind::Count:
    Help = std::string(Row.Label) + ", 0 or more";
    break;
  default:
    Help = Row.Label;
    break;
  }
  return Row.Rule == TWriteRule::WithStereoscopic ? Help + " (ticks --stereo)" : Help;
}

std::string RefusalText(const std::u16string& Refusal, const TCatalogueValues& Values)
{
  if (Refusal == LayoutRefusal) {
    return Given(Values, TAttribute::StereoscopicLayout)
               ? "--layout needs a layout key"
               : "the file holds no known stereoscopic layout, which a ticked Stereoscopic box needs; "
                 "give one with --layout KEY, or --no-stereo";
  }
  for (const TCatalogueEntry& Row : Catalogue) {
    const char16_t* Own = NumberRefusal(Row.Field.Kind);
    if (Own == nullptr || Refusal != Own) {
      continue;
    }
    const std::string Text = Utf16ToUtf8(Values.*Row.Field.Text);
    if (Given(Values, Row.Attribute)) {
      return OptionName(Row) + " '" + Text + "' is not a valid " + Row.Noun;
    }
    return std::string("the stored ") + Row.Noun + " " + Text +
           " is not one this program may save; replace it with " + OptionName(Row) + " " +
           OptionTypeName(Row) + ", or clear it with " + OptionName(Row) + " ''";
  }
  return Utf16ToUtf8(Refusal);
}

} // namespace Quillmark
