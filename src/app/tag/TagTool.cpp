#include "tag/TagTool.h"

#include "metadata/Catalogue.h"
#include "metadata/TextConversion.h"
#include "tag/DetectCommand.h"
#include "tag/DumpCommand.h"
#include "tag/SetCommand.h"
#include "tag/ShowCommand.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <unistd.h>

namespace Quillmark {

namespace {

constexpr int UsageError = 2;

struct TCommands {
  TDumpOptions Dump;
  TShowOptions Show;
  TSetOptions Set;
  TDetectOptions Detect;
};

void AddDump(CLI::App& App, TCommands& Commands)
{
  CLI::App* Dump = App.add_subcommand("dump", "List every attribute of each file's header");
  Dump->add_flag("--json", Commands.Dump.Json, "Print JSON instead of text");
  Dump->add_option("FILE", Commands.Dump.Files, "ASF file (.wmv, .wma, .asf)")->required();
}

void AddShow(CLI::App& App, TCommands& Commands)
{
  CLI::App* Show = App.add_subcommand("show", "Show the editor's sixteen values of each file");
  Show->add_flag("--json", Commands.Show.Json, "Print a JSON array, one object per file");
  Show->add_option("FILE", Commands.Show.Files, "ASF file (.wmv, .wma, .asf)")->required();
}

void AddDetect(CLI::App& App, TCommands& Commands)
{
  CLI::App* Detect =
      App.add_subcommand("detect", "Detect the stereo layout of each file's video from its frames");
  Detect->add_flag("--json", Commands.Detect.Json, "Print a JSON array, one object per file");
  Detect->add_option("FILE", Commands.Detect.Files, "Video file (.wmv, .asf or any video)")->required();
}

void AddSwitch(CLI::App& Set, const std::string& Name, std::optional<bool>& Target, const std::string& Help)
{
  CLI::Option* On = Set.add_flag_callback(
      "--" + Name, [&Target] { Target = true; }, "Tick " + Help);
  CLI::Option* Off = Set.add_flag_callback(
      "--no-" + Name, [&Target] { Target = false; }, "Untick " + Help);
  On->excludes(Off);
}

void AddPicture(CLI::App& Set, const std::string& Name, TPictureChange& Change, std::string& File,
                const std::string& Help, const std::string& Rules)
{
  CLI::Option* Load = Set.add_option_function<std::string>(
      "--" + Name,
      [&Change, &File](const std::string& Path) {
        Change = TPictureChange::Load;
        File = Path;
      },
      "Use the JPEG file as " + Help + " (" + Rules + ")");
  Load->type_name("FILE.jpg");
  CLI::Option* Remove = Set.add_flag_callback(
      "--no-" + Name, [&Change] { Change = TPictureChange::Remove; }, "Remove the " + Help);
  Load->excludes(Remove);
}

void AddTexts(CLI::App& Set, TSetOptions& O)
{
  Set.add_option("--duration", O.Duration, "2D intro duration in seconds ('.' as decimal separator)")
      ->type_name("SECONDS");
  Set.add_option("--parallax", O.Parallax, "Horizontal parallax correction")->type_name("PIXELS");
  Set.add_option("--source", O.Source, "Source (empty clears)")->type_name("TEXT");
  Set.add_option("--title", O.Title, "Title (empty clears)")->type_name("TEXT");
  Set.add_option("--author", O.Author, "Author (empty clears)")->type_name("TEXT");
  Set.add_option("--copyright", O.Copyright, "Copyright (empty clears)")->type_name("TEXT");
  Set.add_option("--description", O.Description, "Description (empty clears)")->type_name("TEXT");
  Set.add_option("--disc-name", O.DiscName, "Disc name (empty clears)")->type_name("TEXT");
  Set.add_option("--title-name", O.TitleName, "Title name (empty clears)")->type_name("TEXT");
  Set.add_option("--title-index", O.TitleIndex, "Title index (empty clears)")->type_name("N");
}

std::vector<std::string> LayoutNames()
{
  std::vector<std::string> Names;
  for (const char16_t* Key : LayoutKeys) {
    Names.push_back(Utf16ToUtf8(Key));
  }
  return Names;
}

void AddSet(CLI::App& App, TCommands& Commands)
{
  TSetOptions& O = Commands.Set;
  CLI::App* Set =
      App.add_subcommand("set", "Change values of each file and save them with the editor's rules");
  AddSwitch(*Set, "stereo", O.Stereo, "the Stereoscopic box");
  Set->add_option("--layout", O.Layout, "Stereoscopic layout, a stored key")
      ->check(CLI::IsMember(LayoutNames()))
      ->type_name("KEY");
  AddSwitch(*Set, "half-width", O.HalfWidth, "the half width box");
  AddSwitch(*Set, "half-height", O.HalfHeight, "the half height box");
  AddTexts(*Set, O);
  AddPicture(*Set, "preview", O.Preview, O.PreviewFile, "preview image", "160 x 120, at most 10,240 bytes");
  AddPicture(*Set, "poster", O.Poster, O.PosterFile, "title poster", "at least 480 x 480");
  Set->add_option("--values", O.ValuesFile,
                  "Take every value but the pictures from what 'show --json' printed for one file; the other "
                  "options then change it further")
      ->type_name("FILE.json");
  AddVideoChangeOptions(*Set, O.Video);
  Set->add_flag("--dry-run", O.DryRun, "Check and report, but write nothing");
  Set->add_option("FILE", O.Files, "ASF file (.wmv, .wma, .asf)")->required();
}

} // namespace

int RunTagTool(int ArgumentCount, const char* const* Arguments, std::ostream& Out, std::ostream& Err)
{
  CLI::App App("Reads and writes the header attributes of Windows Media files.", "quillmark-tag");
  App.set_version_flag("--version", std::string("quillmark-tag ") + QUILLMARK_VERSION);
  App.require_subcommand(1);
  TCommands Commands;
  AddDump(App, Commands);
  AddShow(App, Commands);
  AddSet(App, Commands);
  AddDetect(App, Commands);
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
  if (App.got_subcommand("show")) {
    return RunShow(Commands.Show, Out, Err);
  }
  if (App.got_subcommand("detect")) {
    return RunDetect(Commands.Detect, Out, Err);
  }
  if (App.got_subcommand("set")) {
    // Progress lines only make sense where a person watches them.
    Commands.Set.ShowProgress = isatty(STDERR_FILENO) != 0;
    return RunSet(Commands.Set, Out, Err);
  }
  return UsageError;
}

int RunTagTool(int ArgumentCount, char** Arguments)
{
  return RunTagTool(ArgumentCount, Arguments, std::cout, std::cerr);
}

} // namespace Quillmark
