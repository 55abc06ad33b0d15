#include "tag/TagTool.h"

#include "tag/DumpCommand.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace Quillmark {

namespace {

constexpr int UsageError = 2;

struct TCommands {
  TDumpOptions Dump;
};

void AddDump(CLI::App& App, TCommands& Commands)
{
  CLI::App* Dump = App.add_subcommand("dump", "List every attribute of each file's header");
  Dump->add_flag("--json", Commands.Dump.Json, "Print JSON instead of text");
  Dump->add_option("FILE", Commands.Dump.Files, "ASF file (.wmv, .wma, .asf)")->required();
}

} // namespace

int RunTagTool(int ArgumentCount, const char* const* Arguments, std::ostream& Out, std::ostream& Err)
{
  CLI::App App("Reads and writes the header attributes of Windows Media files.", "quillmark-tag");
  App.set_version_flag("--version", std::string("quillmark-tag ") + QUILLMARK_VERSION);
  App.require_subcommand(1);
  TCommands Commands;
  AddDump(App, Commands);
  try {
    App.parse(ArgumentCount, Arguments);
  } catch (const CLI::CallForHelp&) {
    Out << App.help();
    return 0;
  } catch (const CLI::CallForAllHelp&) {
    Out << App.help("", CLI::AppFormatMode::All);
    return 0;
  } catch (const CLI::CallForVersion& Version) {
    Out << Version.what() << '\n';
    return 0;
  } catch (const CLI::ParseError& Error) {
    Err << "quillmark-tag: " << Error.what() << "\nRun with --help for more information.\n";
    return UsageError;
  }
  if (App.got_subcommand("dump")) {
    return RunDump(Commands.Dump, Out, Err);
  }
  return UsageError;
}

int RunTagTool(int ArgumentCount, char** Arguments)
{
  return RunTagTool(ArgumentCount, Arguments, std::cout, std::cerr);
}

} // namespace Quillmark
