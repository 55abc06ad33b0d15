#include "tag/ToolReference.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Layouts.h"
#include "metadata/TextConversion.h"
#include "tag/TagTool.h"
#include "tag/ValueOptions.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace Quillmark {

namespace {

// Words for a bash list, wrapped with Break instead of Separator so that
// no line of the script grows long.
std::string WordList(const std::vector<std::string>& Words, const std::string& Separator,
                     const std::string& Break)
{
  std::string List;
  std::size_t LineLength = 0;
  for (const std::string& Word : Words) {
    if (!List.empty()) {
      const bool Wrap = LineLength + Word.size() > 80;
      List += Wrap ? Break : Separator;
      LineLength = Wrap ? 0 : LineLength + Separator.size();
    }
    List += Word;
    LineLength += Word.size();
  }
  return List;
}

std::string Joined(const std::vector<std::string>& Words, const std::string& Separator)
{
  std::string Text;
  for (const std::string& Word : Words) {
    Text += (Text.empty() ? "" : Separator) + Word;
  }
  return Text;
}

std::string Filled(std::string_view Template, const std::vector<std::pair<std::string, std::string>>& Words)
{
  std::string Text(Template);
  for (const auto& [Word, Value] : Words) {
    std::size_t At = Text.find(Word);
    if (At == std::string::npos) {
      throw std::invalid_argument("the template has no " + Word);
    }
    for (; At != std::string::npos; At = Text.find(Word, At + Value.size())) {
      Text.replace(At, Word.size(), Value);
    }
  }
  return Text;
}

// The options whose value is free text, so that completion offers nothing.
std::vector<std::string> ValueOptions()
{
  std::vector<std::string> Names;
  for (const TCatalogueEntry& Row : Catalogue) {
    if (IsValueOption(Row)) {
      Names.push_back(OptionName(Row));
    }
  }
  return Names;
}

std::vector<std::string> LayoutKeyWords()
{
  std::vector<std::string> Keys;
  for (const TLayoutEntry& Row : Layouts) {
    Keys.push_back(Utf16ToUtf8(Row.Key));
  }
  return Keys;
}

// One line a command: "      set) options="..." ;;".
std::string CommandOptions(const std::map<std::string, std::vector<std::string>>& Names)
{
  std::string Lines;
  for (const auto& [Command, List] : Names) {
    if (!Command.empty()) {
      Lines += (Lines.empty() ? "" : "\n") + std::string(6, ' ') + Command + ") options=\"" +
               WordList(List, " ", "\n" + std::string(8, ' ')) + "\" ;;";
    }
  }
  return Lines;
}

// "--disc-name" as the manual writes it: "\-\-disc\-name".
std::string ManualWord(const std::string& Word)
{
  std::string Escaped;
  for (const char Letter : Word) {
    Escaped += Letter == '-' ? std::string("\\-") : std::string(1, Letter);
  }
  return Escaped;
}

} // namespace

std::string CompletionScript(std::string_view Template)
{
  std::map<std::string, std::vector<std::string>> Names = ToolOptionNames();
  std::vector<std::string> Commands;
  for (const auto& [Command, List] : Names) {
    if (!Command.empty()) {
      Commands.push_back(Command);
    }
  }
  return Filled(Template, {{"@COMMAND_PATTERN@", Joined(Commands, " | ")},
                           {"@COMMANDS@", Joined(Commands, " ")},
                           {"@TOOL_OPTIONS@", Joined(Names[""], " ")},
                           {"@COMMAND_OPTIONS@", CommandOptions(Names)},
                           {"@VALUE_OPTIONS@", WordList(ValueOptions(), " | ", " | \\\n      ")},
                           {"@LAYOUT_KEYS@", Joined(LayoutKeyWords(), " ")}});
}

std::string ManualPage(std::string_view Template)
{
  // The texts (and the title index) are listed four to a line; the options
  // of the Stereo tab's numbers have entries of their own.
  std::string Lines;
  std::size_t Listed = 0;
  for (const TAttribute Attribute : ShownOrder) {
    const TCatalogueEntry& Row = Entry(Attribute);
    if (Row.Field.Kind != TFieldKind::Text && Row.Field.Kind != TFieldKind::Count) {
      continue;
    }
    const std::string Name = ManualWord(OptionName(Row));
    if (Listed % 4 == 0) {
      Lines += (Listed == 0 ? ".BI " : "\n.TQ\n.BI ") + Name;
    } else {
      Lines += " \"\\fR, \\fP" + Name + "\"";
    }
    Lines += " \" " + std::string(OptionTypeName(Row)) + "\"";
    ++Listed;
  }
  return Filled(Template, {{"@TEXT_OPTIONS@", Lines}});
}

int WriteToolReference(const std::string& Kind, const std::string& Template, const std::string& Output)
{
  try {
    if (Kind != "manual" && Kind != "completion") {
      throw std::invalid_argument("no such text: " + Kind);
    }
    std::ifstream In(Template, std::ios::binary);
    if (!In.is_open()) {
      throw std::invalid_argument("cannot read " + Template);
    }
    std::stringstream Text;
    Text << In.rdbuf();
    const std::string Written = Kind == "manual" ? ManualPage(Text.str()) : CompletionScript(Text.str());
    std::ofstream Out(Output, std::ios::binary | std::ios::trunc);
    Out << Written;
    Out.close();
    if (!Out) {
      throw std::invalid_argument("cannot write " + Output);
    }
    return 0;
  } catch (const std::invalid_argument& Error) {
    std::cerr << Output << ": " << Error.what() << '\n';
    return 1;
  }
}

} // namespace Quillmark
