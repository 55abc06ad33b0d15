#include "tag/TagTool.h"

#include "metadata/Catalogue.h"
#include "metadata/TextConversion.h"
#include "tag/DetectCommand.h"
#include "tag/DumpCommand.h"
#include "tag/SetCommand.h"
#include "tag/ShowCommand.h"
#include "tag/VideoWork.h"

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

void AddFiles(CLI::App& Command, std::vector<std::string>& Files, bool& Recursive)
{
  Command.add_flag("-r,--recursive", Recursive, "Take the ASF files of a folder's subfolders too");
  Command.add_option("FILE", Files, "ASF file (.wmv, .wma, .asf), or a folder: the ASF files in it")
      ->required();
}

void AddDump(CLI::App& App, TCommands& Commands)
{
  CLI::App* Dump = App.add_subcommand("dump", "List every attribute of each file's header");
  Dump->add_flag("--json", Commands.Dump.Json, "Print JSON instead of text");
  AddFiles(*Dump, Commands.Dump.Files, Commands.Dump.Recursive);
}

void AddShow(CLI::App& App, TCommands& Commands)
{
  CLI::App* Show = App.add_subcommand("show", "Show the editor's sixteen values of each file");
  Show->add_flag("--json", Commands.Show.Json, "Print a JSON array, one object per file");
  AddFiles(*Show, Commands.Show.Files, Commands.Show.Recursive);
}

void AddDetect(CLI::App& App, TCommands& Commands)
{
  CLI::App* Detect =
      App.add_subcommand("detect", "Detect the stereo layout of each file's video from its frames");
  Detect->add_flag("--json", Commands.Detect.Json, "Print a JSON array, one object per file");
  Detect->add_option("FILE", Commands.Detect.Files, "Video file (.wmv, .asf or any video)")->required();
}

struct TSwitch {
  CLI::Option* On;
  CLI::Option* Off;
};

TSwitch AddSwitch(CLI::App& Set, const std::string& Name, std::optional<bool>& Target,
                  const std::string& Help)
{
  CLI::Option* On = Set.add_flag_callback(
      "--" + Name, [&Target] { Target = true; }, "Tick " + Help);
  CLI::Option* Off = Set.add_flag_callback(
      "--no-" + Name, [&Target] { Target = false; }, "Untick " + Help);
  On->excludes(Off);
  return {On, Off};
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

std::vector<std::string> LayoutNames()
{
  std::vector<std::string> Names;
  for (const char16_t* Key : LayoutKeys) {
    Names.push_back(Utf16ToUtf8(Key));
  }
  return Names;
}

// The values of the stereo tab stored only with the Stereoscopic box ticked:
// giving one ticks the box, so --no-stereo with one is a contradiction.
void AddStereoValues(CLI::App& Set, TSetOptions& O)
{
  const TSwitch Stereo = AddSwitch(Set, "stereo", O.Stereo, "the Stereoscopic box");
  CLI::Option* Layout =
      Set.add_option("--layout", O.Layout, "Stereoscopic layout, a stored key (ticks --stereo)")
          ->check(CLI::IsMember(LayoutNames()))
          ->type_name("KEY");
  const TSwitch HalfWidth =
      AddSwitch(Set, "half-width", O.HalfWidth, "the half width box (--half-width ticks --stereo)");
  const TSwitch HalfHeight =
      AddSwitch(Set, "half-height", O.HalfHeight, "the half height box (--half-height ticks --stereo)");
  CLI::Option* Duration =
      Set.add_option("--duration", O.Duration,
                     "2D intro duration in seconds ('.' as decimal separator; ticks --stereo)")
          ->type_name("SECONDS");
  CLI::Option* Parallax =
      Set.add_option("--parallax", O.Parallax, "Horizontal parallax correction (ticks --stereo)")
          ->type_name("PIXELS");
  CLI::Option* FromName =
      Set.add_flag("--layout-from-name", O.LayoutFromName,
                   "Stereo box, layout and half boxes from tags in each file's name (SBS, HSBS, "
                   "Half-OU, TB...); a file whose name has none is left as it was");
  for (CLI::Option* Ticking : {Layout, HalfWidth.On, HalfHeight.On, Duration, Parallax, FromName}) {
    Stereo.Off->excludes(Ticking);
  }
  // Both halves at once is no layout at all.
  HalfWidth.On->excludes(HalfHeight.On);
  for (CLI::Option* Named : {Layout, HalfWidth.On, HalfWidth.Off, HalfHeight.On, HalfHeight.Off}) {
    FromName->excludes(Named);
  }
}

void AddTexts(CLI::App& Set, TSetOptions& O)
{
  Set.add_option("--source", O.Source, "Source (empty clears)")->type_name("TEXT");
  Set.add_option("--title", O.Title, "Title (empty clears)")->type_name("TEXT");
  Set.add_option("--author", O.Author, "Author (empty clears)")->type_name("TEXT");
  Set.add_option("--copyright", O.Copyright, "Copyright (empty clears)")->type_name("TEXT");
  Set.add_option("--description", O.Description, "Description (empty clears)")->type_name("TEXT");
  Set.add_option("--disc-name", O.DiscName, "Disc name (empty clears)")->type_name("TEXT");
  Set.add_option("--title-name", O.TitleName, "Title name (empty clears)")->type_name("TEXT");
  Set.add_option("--title-index", O.TitleIndex, "Title index (empty clears)")->type_name("N");
}

void AddSet(CLI::App& App, TCommands& Commands)
{
  TSetOptions& O = Commands.Set;
  CLI::App* Set =
      App.add_subcommand("set", "Change values of each file and save them with the editor's rules");
  AddStereoValues(*Set, O);
  AddTexts(*Set, O);
  AddPicture(*Set, "preview", O.Preview, O.PreviewFile, "preview image", "160 x 120, at most 10,240 bytes");
  AddPicture(*Set, "poster", O.Poster, O.PosterFile, "title poster", "at least 480 x 480");
  Set->add_option("--values", O.ValuesFile,
                  "Take every value but the pictures from what 'show --json' printed for one file; the other "
                  "options then change it further")
      ->type_name("FILE.json");
  AddVideoChangeOptions(*Set, O.Video);
  Set->add_flag(
      "--dry-run", O.DryRun,
      "Print each value that would change, old and new, but write nothing (the files are only read)");
  Set->add_flag("--json", O.Json,
                "Print a JSON array, one object per file: saved, or the error and its cause");
  AddFiles(*Set, O.Files, O.Recursive);
}

} // namespace

int RunTagTool(int ArgumentCount, const char* const* Arguments, std::ostream& Out, std::ostream& Err,
               const TVideoWork* Video)
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
  const bool NeedsVideo =
      App.got_subcommand("detect") || (App.got_subcommand("set") && Commands.Set.Video.Any());
  if (NeedsVideo && Video == nullptr) {
    return HandOffToVideoProgram(Arguments, Out, Err);
  }
  if (App.got_subcommand("dump")) {
    return RunDump(Commands.Dump, Out, Err);
  }
  if (App.got_subcommand("show")) {
    return RunShow(Commands.Show, Out, Err);
  }
  if (App.got_subcommand("detect")) {
    return Video->RunDetect(Commands.Detect, Out, Err);
  }
  if (App.got_subcommand("set")) {
    // Progress lines only make sense where a person watches them.
    Commands.Set.ShowProgress = isatty(STDERR_FILENO) != 0;
    Commands.Set.VideoWork = Video;
    return RunSet(Commands.Set, Out, Err);
  }
  return UsageError;
}

int RunTagTool(int ArgumentCount, char** Arguments, const TVideoWork* Video)
{
  return RunTagTool(ArgumentCount, Arguments, std::cout, std::cerr, Video);
}

} // namespace Quillmark
