#pragma once
// The catalogue of one file as JSON, and back.
//
// One object per file, keys in the catalogue's order: "file", "stereo",
// "layout" (the stored key), "halfWidth", "halfHeight", "duration" (seconds
// as the window shows them, a string such as "2.5"), "parallax" and
// "titleIndex" (integers), the texts "source", "title", "author",
// "copyright", "description", "discName", "titleName", and the pictures
// "preview" and "poster" as {"bytes", "width", "height", "sha256"}. Absent
// values are left out; booleans appear only when true.
#include <nlohmann/json.hpp>
#include <string>

#include "catalogue/Catalogue.h"

namespace Quillmark {

nlohmann::ordered_json CatalogueJson(const std::string& File, const TCatalogueValues& Values);

// Sets every value but the pictures from an object as CatalogueJson makes
// it: what the object leaves out is cleared, "file", "preview" and "poster"
// are ignored. Numbers may also be given as strings, the duration also as a
// number. Empty on success; otherwise what is wrong, and Values may be
// partly set.
std::string ApplyCatalogueJson(const nlohmann::json& Object, TCatalogueValues& Values);

} // namespace Quillmark
