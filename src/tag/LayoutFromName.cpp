#include "tag/LayoutFromName.h"

#include "catalogue/Layouts.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace Quillmark {

namespace {

struct TTag {
  std::string_view First;
  std::string_view Second; // empty for a tag of one token
  TNameLayout Layout;
};

// The tags of one list of the layout table, each with what it announces.
void AddTags(std::string_view List, const TNameLayout& Layout, std::vector<TTag>& Tags)
{
  while (!List.empty()) {
    const std::size_t End = std::min(List.find(' '), List.size());
    const std::string_view Tag = List.substr(0, End);
    List.remove_prefix(std::min(End + 1, List.size()));
    if (Tag.empty()) {
      continue;
    }
    const std::size_t Dash = Tag.find('-');
    if (Dash == std::string_view::npos) {
      Tags.push_back({Tag, {}, Layout});
    } else {
      Tags.push_back({Tag.substr(0, Dash), Tag.substr(Dash + 1), Layout});
    }
  }
}

const std::vector<TTag>& Tags()
{
  static const std::vector<TTag> All = [] {
    std::vector<TTag> Found;
    for (const TLayoutEntry& Entry : Layouts) {
      const bool SideBySide = Entry.Family == TLayoutFamily::SideBySide;
      AddTags(Entry.NameTags, {LayoutIndex(Entry.Layout), false, false}, Found);
      AddTags(Entry.HalfNameTags, {LayoutIndex(Entry.Layout), SideBySide, !SideBySide}, Found);
    }
    // Pairs come first: "Half-SBS" must not be read as "SBS".
    std::stable_partition(Found.begin(), Found.end(), [](const TTag& Tag) { return !Tag.Second.empty(); });
    return Found;
  }();
  return All;
}

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
  for (const TTag& Tag : Tags()) {
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
