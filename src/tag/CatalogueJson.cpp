#include "tag/CatalogueJson.h"

#include "metadata/Catalogue.h"
#include "metadata/TextConversion.h"
#include "tag/AttributeText.h"

#include <array>
#include <set>

namespace Quillmark {

namespace {

struct TTextKey {
  const char* Key;
  std::u16string TCatalogueValues::*Text;
};

// The edits shown as JSON strings; the numeric edits follow separately.
constexpr std::array<TTextKey, 7> TextKeys = {{
    {"source", &TCatalogueValues::Source},
    {"title", &TCatalogueValues::Title},
    {"author", &TCatalogueValues::Author},
    {"copyright", &TCatalogueValues::Copyright},
    {"description", &TCatalogueValues::Description},
    {"discName", &TCatalogueValues::DiscName},
    {"titleName", &TCatalogueValues::TitleName},
}};

struct TFlagKey {
  const char* Key;
  bool TCatalogueValues::*Flag;
};

constexpr std::array<TFlagKey, 3> FlagKeys = {{
    {"stereo", &TCatalogueValues::Stereo},
    {"halfWidth", &TCatalogueValues::HalfWidth},
    {"halfHeight", &TCatalogueValues::HalfHeight},
}};

nlohmann::ordered_json PictureJson(const TJpegImage& Image)
{
  return {{"bytes", Image.Bytes().size()},
          {"width", Image.Width()},
          {"height", Image.Height()},
          {"sha256", Sha256Hex(Image.Bytes())}};
}

// A numeric edit as a JSON integer; its text when it is not one (a text read
// from a header is always one).
nlohmann::ordered_json NumberJson(const std::u16string& Text)
{
  const std::string Utf8 = Utf16ToUtf8(Text);
  try {
    std::size_t Used = 0;
    const long long Value = std::stoll(Utf8, &Used);
    if (Used == Utf8.size()) {
      return Value;
    }
  } catch (const std::exception&) {
  }
  return Utf8;
}

void PutText(nlohmann::ordered_json& Json, const char* Key, const std::u16string& Text)
{
  if (!Text.empty()) {
    Json[Key] = Utf16ToUtf8(Text);
  }
}

// A string, or for numeric fields also a JSON number, as the edit's text.
bool TextOf(const nlohmann::json& Value, bool NumberAllowed, std::u16string& Text)
{
  if (Value.is_string()) {
    Text = Utf8ToUtf16(Value.get<std::string>());
    return true;
  }
  if (NumberAllowed && Value.is_number()) {
    Text = Utf8ToUtf16(Value.dump());
    return true;
  }
  return false;
}

const std::set<std::string>& KnownKeys()
{
  static const std::set<std::string> Keys = {
      "file",     "stereo",    "layout",     "halfWidth", "halfHeight", "duration",
      "parallax", "source",    "title",      "author",    "copyright",  "description",
      "discName", "titleName", "titleIndex", "preview",   "poster"};
  return Keys;
}

std::string ApplyNumber(const nlohmann::json& Object, const char* Key, bool Decimal, std::u16string& Text)
{
  Text.clear();
  if (Object.contains(Key) && !TextOf(Object[Key], true, Text)) {
    return std::string("\"") + Key + "\" must be a number or a string";
  }
  if (!Decimal && Object.contains(Key) && Object[Key].is_number_float()) {
    return std::string("\"") + Key + "\" must be an integer";
  }
  return {};
}

std::string ApplyLayout(const nlohmann::json& Object, TCatalogueValues& Values)
{
  Values.LayoutIndex = -1;
  if (!Object.contains("layout")) {
    return {};
  }
  const nlohmann::json& Layout = Object["layout"];
  if (Layout.is_string()) {
    Values.LayoutIndex = LayoutIndexOfKey(Utf8ToUtf16(Layout.get<std::string>()));
  }
  if (Values.LayoutIndex < 0) {
    return "\"layout\" must be one of SideBySideRF, SideBySideLF, OverUnderRT, OverUnderLT, DualStream, "
           "MultiStream, Mono";
  }
  return {};
}

} // namespace

nlohmann::ordered_json CatalogueJson(const std::string& File, const TCatalogueValues& Values)
{
  nlohmann::ordered_json Json;
  Json["file"] = File;
  if (Values.Stereo) {
    Json["stereo"] = true;
  }
  if (const char16_t* Key = LayoutKeyAt(Values.LayoutIndex)) {
    Json["layout"] = Utf16ToUtf8(Key);
  }
  if (Values.HalfWidth) {
    Json["halfWidth"] = true;
  }
  if (Values.HalfHeight) {
    Json["halfHeight"] = true;
  }
  PutText(Json, "duration", Values.Duration);
  if (!Values.Parallax.empty()) {
    Json["parallax"] = NumberJson(Values.Parallax);
  }
  for (const TTextKey& Text : TextKeys) {
    PutText(Json, Text.Key, Values.*Text.Text);
  }
  if (!Values.TitleIndex.empty()) {
    Json["titleIndex"] = NumberJson(Values.TitleIndex);
  }
  if (Values.Preview) {
    Json["preview"] = PictureJson(*Values.Preview);
  }
  if (Values.Poster) {
    Json["poster"] = PictureJson(*Values.Poster);
  }
  return Json;
}

std::string ApplyCatalogueJson(const nlohmann::json& Object, TCatalogueValues& Values)
{
  if (!Object.is_object()) {
    return "expected a JSON object of one file's values";
  }
  for (const auto& Item : Object.items()) {
    if (KnownKeys().count(Item.key()) == 0) {
      return "unknown key \"" + Item.key() + "\"";
    }
  }
  for (const TFlagKey& Flag : FlagKeys) {
    Values.*Flag.Flag = false;
    if (Object.contains(Flag.Key)) {
      if (!Object[Flag.Key].is_boolean()) {
        return std::string("\"") + Flag.Key + "\" must be true or false";
      }
      Values.*Flag.Flag = Object[Flag.Key].get<bool>();
    }
  }
  for (const TTextKey& Text : TextKeys) {
    (Values.*Text.Text).clear();
    if (Object.contains(Text.Key) && !TextOf(Object[Text.Key], false, Values.*Text.Text)) {
      return std::string("\"") + Text.Key + "\" must be a string";
    }
  }
  std::string Problem = ApplyLayout(Object, Values);
  if (Problem.empty()) {
    Problem = ApplyNumber(Object, "duration", true, Values.Duration);
  }
  if (Problem.empty()) {
    Problem = ApplyNumber(Object, "parallax", false, Values.Parallax);
  }
  if (Problem.empty()) {
    Problem = ApplyNumber(Object, "titleIndex", false, Values.TitleIndex);
  }
  return Problem;
}

} // namespace Quillmark
