#include "tag/ValueOptions.h"

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

std::string RefusalText(const std::u16string& Refusal, const TCatalogueValues& Values)
{
  if (Refusal == LayoutRefusal) {
    return Given(Values, TAttribute::StereoscopicLayout)
               ? "--layout needs a layout key"
               : "the file holds no known stereoscopic layout, which a ticked Stereoscopic box needs; "
                 "give one with --layout KEY, or --no-stereo";
  }
  for (const TValueOption& Option : ValueOptions) {
    if (Option.Refusal == nullptr || Refusal != Option.Refusal) {
      continue;
    }
    const std::string Text = Utf16ToUtf8(Values.*Option.Value);
    if (Given(Values, Option.Attribute)) {
      return std::string(Option.Option) + " '" + Text + "' is not a valid " + Option.Label;
    }
    return std::string("the stored ") + Option.Label + " " + Text +
           " is not one this program may save; replace it with " + Option.Option + " " + Option.TypeName +
           ", or clear it with " + Option.Option + " ''";
  }
  return Utf16ToUtf8(Refusal);
}

} // namespace Quillmark
