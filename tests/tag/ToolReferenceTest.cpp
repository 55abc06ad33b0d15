// The completion script and the manual page of quillmark-tag, as the build
// writes them from their templates, against the tool's own options.
#include "tag/ToolReference.h"
#include "catalogue/Catalogue.h"
#include "tag/TagTool.h"
#include "tag/ValueOptions.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>

namespace QuillmarkTest {
namespace {

std::string BuiltFile(const std::string& Name)
{
  std::ifstream File(std::string(QUILLMARK_BINARY_DIR) + "/" + Name, std::ios::binary);
  EXPECT_TRUE(File.is_open()) << Name;
  std::stringstream Text;
  Text << File.rdbuf();
  return Text.str();
}

// The option lists of the completion script, by command ("" for none yet).
std::map<std::string, std::set<std::string>> CompletionOptions()
{
  const std::string All = BuiltFile("completions/quillmark-tag");
  auto Words = [&All](const std::string& Start) {
    const std::size_t From = All.find(Start);
    EXPECT_NE(From, std::string::npos) << Start;
    const std::size_t Begin = From + Start.size();
    std::istringstream List(All.substr(Begin, All.find('"', Begin) - Begin));
    std::set<std::string> Set;
    for (std::string Word; List >> Word;) {
      Set.insert(Word);
    }
    return Set;
  };
  std::map<std::string, std::set<std::string>> Options = {{"", Words("local tool_options=\"")}};
  for (const char* Command : {"dump", "show", "set", "compact", "detect"}) {
    Options[Command] = Words(std::string(Command) + ") options=\"");
  }
  return Options;
}

TEST(ToolCompletion, OffersEachCommandsOptions)
{
  const auto Offered = CompletionOptions();
  const auto Taken = Quillmark::ToolOptionNames();
  const std::set<std::string> ToolOwn = {"-q", "--quiet", "-v", "--verbose"};
  ASSERT_EQ(Taken.size(), Offered.size());
  for (const auto& [Command, Names] : Taken) {
    std::set<std::string> Expected(Names.begin(), Names.end());
    if (!Command.empty()) {
      Expected.insert(ToolOwn.begin(), ToolOwn.end());
    }
    EXPECT_EQ(Offered.at(Command), Expected) << "command '" << Command << "'";
  }
}

TEST(ToolCompletion, IsAScriptBashReads)
{
  const std::string Script = std::string(QUILLMARK_BINARY_DIR) + "/completions/quillmark-tag";
  EXPECT_EQ(std::system(("bash -n '" + Script + "'").c_str()), 0);
  EXPECT_FALSE(std::regex_search(BuiltFile("completions/quillmark-tag"), std::regex("@[A-Z_]+@")));
}

// Each text option of set stands in the manual's OPTIONS OF SET with its
// value's name, as roff writes it.
TEST(ToolManual, NamesEveryTextOptionOfSet)
{
  const std::string Page = BuiltFile("man/quillmark-tag.1");
  const std::size_t Begin = Page.find(".SH OPTIONS OF SET");
  ASSERT_NE(Begin, std::string::npos);
  const std::string Section = Page.substr(Begin, Page.find(".SH", Begin + 1) - Begin);
  for (const Quillmark::TCatalogueEntry& Row : Quillmark::Catalogue) {
    if (!Quillmark::IsValueOption(Row)) {
      continue;
    }
    std::string Name;
    for (const char Letter : Quillmark::OptionName(Row)) {
      Name += Letter == '-' ? std::string("\\-") : std::string(1, Letter);
    }
    // First on its line (.BI \-\-title " TEXT") or after another.
    const std::string Value = std::string("\" ") + Quillmark::OptionTypeName(Row) + "\"";
    EXPECT_TRUE(Section.find(Name + " " + Value) != std::string::npos ||
                Section.find(Name + "\" " + Value) != std::string::npos)
        << Row.Option;
  }
  EXPECT_EQ(Page.find("TEXT_OPTIONS@"), std::string::npos);
}

TEST(ToolReference, RefusesATemplateWithoutItsLists)
{
  EXPECT_THROW(Quillmark::CompletionScript("complete -F _quillmark_tag quillmark-tag\n"),
               std::invalid_argument);
  EXPECT_THROW(Quillmark::ManualPage(".TH QUILLMARK-TAG 1\n"), std::invalid_argument);
}

} // namespace
} // namespace QuillmarkTest
