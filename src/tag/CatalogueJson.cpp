#include "tag/CatalogueJson.h"

#include "catalogue/Catalogue.h"
#include "metadata/TextConversion.h"
#include "tag/AttributeText.h"

#include <algorithm>
#include <array>

namespace Quillmark {

namespace {

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

bool KnownKey(const std::string& Key)
{
  return Key == "file" || std::any_of(Catalogue.begin(), Catalogue.end(),
                                      [&Key](const TCatalogueEntry& Row) { return Key == Row.JsonKey; });
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

std::string LayoutKeyList()
{
  std::string List;
  for (const TLayoutEntry& Layout : Layouts) {
    List += (List.empty() ? "" : ", ") + Utf16ToUtf8(Layout.Key);
  }
  return List;
}

std::string ApplyLayout(const nlohmann::json& Object, const char* Key, TCatalogueValues& Values)
{
  Values.LayoutIndex = -1;
  if (!Object.contains(Key)) {
    return {};
  }
  const nlohmann::json& Layout = Object[Key];
  if (Layout.is_string()) {
    Values.LayoutIndex = LayoutIndexOfKey(Utf8ToUtf16(Layout.get<std::string>()));
  }
  if (Values.LayoutIndex < 0) {
    return std::string("\"") + Key + "\" must be one of " + LayoutKeyList();
  }
  return {};
}

std::string ApplyFlag(const nlohmann::json& Object, const char* Key, bool& Flag)
{
  Flag = false;
  if (Object.contains(Key)) {
    if (!Object[Key].is_boolean()) {
      return std::string("\"") + Key + "\" must be true or false";
    }
    Flag = Object[Key].get<bool>();
  }
  return {};
}

std::string ApplyText(const nlohmann::json& Object, const char* Key, std::u16string& Text)
{
  Text.clear();
  if (Object.contains(Key) && !TextOf(Object[Key], false, Text)) {
    return std::string("\"") + Key + "\" must be a string";
  }
  return {};
}

// One value from the object into its field; pictures are not taken.
std::string ApplyEntry(const nlohmann::json& Object, const TCatalogueEntry& Row, TCatalogueValues& Values)
{
  const TValueField& Field = Row.Field;
  switch (Field.Kind) {
  case TFieldKind::Flag:
    return ApplyFlag(Object, Row.JsonKey, Values.*Field.Flag);
  case TFieldKind::Layout:
    return ApplyLayout(Object, Row.JsonKey, Values);
  case TFieldKind::Seconds:
    return ApplyNumber(Object, Row.JsonKey, true, Values.*Field.Text);
  case TFieldKind::Integer:
  case TFieldKind::Count:
    return ApplyNumber(Object, Row.JsonKey, false, Values.*Field.Text);
  case TFieldKind::Text:
    return ApplyText(Object, Row.JsonKey, Values.*Field.Text);
  case TFieldKind::Picture:
    break;
  }
  return {};
}

// One value into the object; absent values and unticked boxes are left out.
void PutEntry(nlohmann::ordered_json& Json, const TCatalogueEntry& Row, const TCatalogueValues& Values)
{
  const TValueField& Field = Row.Field;
  switch (Field.Kind) {
  case TFieldKind::Flag:
    if (Values.*Field.Flag) {
      Json[Row.JsonKey] = true;
    }
    break;
  case TFieldKind::Layout:
    if (const char16_t* Key = LayoutKeyAt(Values.LayoutIndex)) {
      Json[Row.JsonKey] = Utf16ToUtf8(Key);
    }
    break;
  case TFieldKind::Seconds:
  case TFieldKind::Text:
    PutText(Json, Row.JsonKey, Values.*Field.Text);
    break;
  case TFieldKind::Integer:
  case TFieldKind::Count:
    if (!(Values.*Field.Text).empty()) {
      Json[Row.JsonKey] = NumberJson(Values.*Field.Text);
    }
    break;
  case TFieldKind::Picture:
    if (const auto& Picture = Values.*Field.Picture) {
      Json[Row.JsonKey] = PictureJson(*Picture);
    }
    break;
  }
}

} // namespace

nlohmann::ordered_json CatalogueJson(const std::string& File, const TCatalogueValues& Values)
{
  nlohmann::ordered_json Json;
  Json["file"] = File;
  // In the window's order, the pictures' objects last.
  for (const bool Pictures : {false, true}) {
    for (const TAttribute Attribute : ShownOrder) {
      if ((Entry(Attribute).Field.Kind == TFieldKind::Picture) == Pictures) {
        PutEntry(Json, Entry(Attribute), Values);
      }
    }
  }
  return Json;
}

std::string ApplyCatalogueJson(const nlohmann::json& Object, TCatalogueValues& Values)
{
  if (!Object.is_object()) {
    return "expected a JSON object of one file's values";
  }
  for (const auto& Item : Object.items()) {
    if (!KnownKey(Item.key())) {
      return "unknown key \"" + Item.key() + "\"";
    }
  }
  // Every field is set, so the first problem told is the first of this order.
  constexpr std::array<TFieldKind, 6> Kinds = {TFieldKind::Flag,    TFieldKind::Text,    TFieldKind::Layout,
                                               TFieldKind::Seconds, TFieldKind::Integer, TFieldKind::Count};
  std::string Problem;
  for (const TFieldKind Kind : Kinds) {
    for (const TAttribute Attribute : ShownOrder) {
      if (Entry(Attribute).Field.Kind == Kind && Problem.empty()) {
        Problem = ApplyEntry(Object, Entry(Attribute), Values);
      }
    }
  }
  return Problem;
}

} // namespace Quillmark
