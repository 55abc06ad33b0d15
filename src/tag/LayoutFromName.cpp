#include "tag/LayoutFromName.h"

#include <array>
#include <string_view>
#include <vector>

namespace Quillmark {

namespace {

constexpr int SideBySideRF = 0;
constexpr int SideBySideLF = 1;
constexpr int OverUnderRT = 2;
constexpr int OverUnderLT = 3;

constexpr TNameLayout Sbs{SideBySideLF, false, false};
constexpr TNameLayout HalfSbs{SideBySideLF, true, false};
constexpr TNameLayout Rl{SideBySideRF, false, false};
constexpr TNameLayout Ou{OverUnderLT, false, false};
constexpr TNameLayout HalfOu{OverUnderLT, false, true};
constexpr TNameLayout Bt{OverUnderRT, false, false};

struct TTag {
  std::string_view First;
  std::string_view Second; // empty for a tag of one token
  TNameLayout Layout;
};

// Lower case. Pairs come first: "Half-SBS" must not be read as "SBS".
constexpr std::array<TTag, 34> Tags = {{
    {"half", "sbs", HalfSbs}, {"h", "sbs", HalfSbs},  {"full", "sbs", Sbs},     {"half", "ou", HalfOu},
    {"h", "ou", HalfOu},      {"half", "tb", HalfOu}, {"h", "tb", HalfOu},      {"half", "tab", HalfOu},
    {"h", "tab", HalfOu},     {"full", "ou", Ou},     {"full", "tb", Ou},       {"full", "tab", Ou},
    {"sbs", "", Sbs},         {"lr", "", Sbs},        {"fsbs", "", Sbs},        {"fullsbs", "", Sbs},
    {"rl", "", Rl},           {"hsbs", "", HalfSbs},  {"halfsbs", "", HalfSbs}, {"ou", "", Ou},
    {"tb", "", Ou},           {"tab", "", Ou},        {"fou", "", Ou},          {"fullou", "", Ou},
    {"ftb", "", Ou},          {"ftab", "", Ou},       {"bt", "", Bt},           {"hou", "", HalfOu},
    {"htb", "", HalfOu},      {"htab", "", HalfOu},   {"halfou", "", HalfOu},   {"halftb", "", HalfOu},
    {"halftab", "", HalfOu},  {"fulltb", "", Ou},
}};

bool IsSeparator(char C)
{
  return C == '.' || C == '_' || C == '-' || C == ' ' || C == '(' || C == ')' || C == '[' || C == ']' ||
         C == '{' || C == '}';
}

std::vector<std::string> Tokens(std::string_view Name)
{
  std::vector<std::string> Result;
  std::string Token;
  for (char C : Name) {
    if (IsSeparator(C)) {
      if (!Token.empty()) {
        Result.push_back(std::move(Token));
        Token.clear();
      }
      continue;
    }
    Token += C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
  }
  if (!Token.empty()) {
    Result.push_back(std::move(Token));
  }
  return Result;
}

// The tag at Tokens[At], and how many tokens it takes; 0 for none.
std::size_t MatchAt(const std::vector<std::string>& Words, std::size_t At, TNameLayout& Layout)
{
  for (const TTag& Tag : Tags) {
    if (Words[At] != Tag.First) {
      continue;
    }
    if (Tag.Second.empty()) {
      Layout = Tag.Layout;
      return 1;
    }
    if (At + 1 < Words.size() && Words[At + 1] == Tag.Second) {
      Layout = Tag.Layout;
      return 2;
    }
  }
  return 0;
}

} // namespace

TNameLayoutResult LayoutFromName(const std::string& Path, TNameLayout& Layout)
{
  const std::size_t Slash = Path.find_last_of('/');
  const std::vector<std::string> Words = Tokens(Slash == std::string::npos ? Path : Path.substr(Slash + 1));
  std::vector<TNameLayout> Found;
  for (std::size_t At = 0; At < Words.size();) {
    TNameLayout Match;
    const std::size_t Taken = MatchAt(Words, At, Match);
    if (Taken == 0) {
      ++At;
      continue;
    }
    Found.push_back(Match);
    At += Taken;
  }
  if (Found.empty()) {
    return TNameLayoutResult::NoTag;
  }
  for (const TNameLayout& Other : Found) {
    if (!(Other == Found.front())) {
      return TNameLayoutResult::Conflicting;
    }
  }
  Layout = Found.front();
  return TNameLayoutResult::Found;
}

} // namespace Quillmark
