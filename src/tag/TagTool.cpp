#include "tag/TagTool.h"

#include "catalogue/Catalogue.h"
#include "metadata/TextConversion.h"
#include "tag/CompactCommand.h"
#include "tag/DumpCommand.h"
#include "tag/SetCommand.h"
#include "tag/ShowCommand.h"
#include "tag/ToolLines.h"
#include "tag/ValueOptions.h"
#include "tag/VideoHandOff.h"
#include "tag/VideoOptions.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include <CLI/CLI.hpp>
#include <iostream>
#include <unistd.h>

namespace Quillmark {

namespace {

constexpr int UsageError = 2;

// The commands, in the order the help lists them.
constexpr std::array<const char*, 5> CommandNames = {"dump", "show", "set", "compact", "detect"};

// Help groups of set, in the order they are listed.
constexpr const char* StereoGroup = "Stereo tab";
constexpr const char* TextGroup = "General and disc values (an empty TEXT clears)";
constexpr const char* PictureGroup = "Pictures";
constexpr const char* VideoGroup = "From the video's frames";
constexpr const char* RunGroup = "How to run";

// Option help as people read it: the option, its value's name and what it
// does; CLI11's own lists of exclusions and requirements are left out, as
// the descriptions say what goes together.
class THelpFormatter : public CLI::Formatter {
public:
  // NOLINTNEXTLINE(readability-identifier-naming): CLI11's virtual
  std::string make_option_opts(const CLI::Option* Option) const override
  {
    if (!Option->get_option_text().empty()) {
      return " " + Option->get_option_text();
    }
    return Option->get_type_size() != 0 && !Option->get_type_name().empty() ? " " + Option->get_type_name()
                                                                            : std::string();
  }
};

struct TCommands {
  TDumpOptions Dump;
  TShowOptions Show;
  TSetOptions Set;
  TDetectOptions Detect;
  TCompactOptions Compact;
  bool Quiet = false;
  bool Verbose = false;
};

void AddFiles(CLI::App& Command, std::vector<std::string>& Files, bool& Recursive, const std::string& What)
{
  Command.add_flag("-r,--recursive", Recursive, "Take the ASF files of a folder's subfolders too")
      ->group(RunGroup);
  Command.add_option("FILE", Files, What + ", or a folder: the ASF files (.wmv, .wma, .asf) in it")
      ->required()
      ->type_name("");
}

void AddJson(CLI::App& Command, bool& Json, const std::string& Help)
{
  Command.add_flag("--json", Json, Help + "; a file that failed holds its error (code and message)")
      ->group(RunGroup);
}

void AddDump(CLI::App& App, TCommands& Commands)
{
  CLI::App* Dump = App.add_subcommand("dump", "List every attribute of each file's header");
  AddJson(*Dump, Commands.Dump.Json, "Print a JSON array, one object per file");
  AddFiles(*Dump, Commands.Dump.Files, Commands.Dump.Recursive, "ASF file");
}

void AddShow(CLI::App& App, TCommands& Commands)
{
  CLI::App* Show = App.add_subcommand("show", "Show the editor's sixteen values of each file");
  AddJson(*Show, Commands.Show.Json, "Print a JSON array, one object per file");
  AddFiles(*Show, Commands.Show.Files, Commands.Show.Recursive, "ASF file");
}

void AddDetect(CLI::App& App, TCommands& Commands)
{
  CLI::App* Detect =
      App.add_subcommand("detect", "Detect the stereo layout of each file's video from its frames");
  AddJson(*Detect, Commands.Detect.Json, "Print a JSON array, one object per file");
  AddFiles(*Detect, Commands.Detect.Files, Commands.Detect.Recursive, "Video file (.wmv, .asf or any video)");
}

struct TSwitch {
  CLI::Option* On;
  CLI::Option* Off;
};

TSwitch AddSwitch(CLI::App& Set, const std::string& Name, std::optional<bool>& Target,
                  const std::string& Help, const std::string& OnNote = {})
{
  CLI::Option* On = Set.add_flag_callback(
      "--" + Name, [&Target] { Target = true; }, "Tick " + Help + OnNote);
  CLI::Option* Off = Set.add_flag_callback(
      "--no-" + Name, [&Target] { Target = false; }, "Untick " + Help);
  On->excludes(Off)->group(StereoGroup);
  Off->group(StereoGroup);
  return {On, Off};
}

void AddPicture(CLI::App& Set, const TCatalogueEntry& Row, TPictureChange& Change, std::string& File,
                const std::string& Rules)
{
  const std::string Name = Row.Option;
  const std::string Help = Row.Noun;
  CLI::Option* Load = Set.add_option_function<std::string>(
      "--" + Name,
      [&Change, &File](const std::string& Path) {
        Change = TPictureChange::Load;
        File = Path;
      },
      "Use the JPEG file as " + Help + " (" + Rules + ")");
  Load->type_name("FILE.jpg")->group(PictureGroup);
  CLI::Option* Remove = Set.add_flag_callback(
      "--no-" + Name, [&Change] { Change = TPictureChange::Remove; }, "Remove the " + Help);
  Load->excludes(Remove);
  Remove->group(PictureGroup);
}

std::vector<std::string> LayoutNames()
{
  std::vector<std::string> Names;
  for (const char16_t* Key : LayoutKeys) {
    Names.push_back(Utf16ToUtf8(Key));
  }
  return Names;
}

CLI::Option* AddValue(CLI::App& Set, TSetOptions& O, const TCatalogueEntry& Row, const char* Group)
{
  return Set.add_option(OptionName(Row), O.Text(Row.Attribute), OptionHelp(Row))
      ->type_name(OptionTypeName(Row))
      ->group(Group);
}

// The values of the stereo tab stored only with the Stereoscopic box ticked:
// giving one ticks the box, so --no-stereo with one is a contradiction.
void AddStereoValues(CLI::App& Set, TSetOptions& O)
{
  auto Box = [&Set](TAttribute Attribute, std::optional<bool>& Target, const std::string& Note) {
    const TCatalogueEntry& Row = Entry(Attribute);
    return AddSwitch(Set, Row.Option, Target, std::string("the ") + Row.Noun, Note);
  };
  const TSwitch Stereo = Box(TAttribute::Stereoscopic, O.Stereo, {});
  CLI::Option* Layout = Set.add_option(OptionName(Entry(TAttribute::StereoscopicLayout)), O.Layout,
                                       "Stereoscopic layout, one of the keys listed (ticks --stereo)")
                            ->check(CLI::IsMember(LayoutNames()))
                            ->type_name("KEY")
                            ->group(StereoGroup);
  const TSwitch HalfWidth = Box(TAttribute::StereoscopicHalfWidth, O.HalfWidth, " (ticks --stereo)");
  const TSwitch HalfHeight = Box(TAttribute::StereoscopicHalfHeight, O.HalfHeight, " (ticks --stereo)");
  std::vector<CLI::Option*> Ticking = {Layout, HalfWidth.On, HalfHeight.On};
  for (const TCatalogueEntry& Row : Catalogue) {
    if (IsValueOption(Row) && Row.Rule == TWriteRule::WithStereoscopic) {
      Ticking.push_back(AddValue(Set, O, Row, StereoGroup));
    }
  }
  CLI::Option* FromName =
      Set.add_flag("--layout-from-name", O.LayoutFromName,
                   "Stereo box, layout and half boxes from tags in each file's name (SBS, HSBS, "
                   "Half-OU, TB...); a file whose name has none is left as it was")
          ->group(StereoGroup);
  Ticking.push_back(FromName);
  for (CLI::Option* Option : Ticking) {
    Stereo.Off->excludes(Option);
  }
  // Both halves at once is no layout at all.
  HalfWidth.On->excludes(HalfHeight.On);
  for (CLI::Option* Named : {Layout, HalfWidth.On, HalfWidth.Off, HalfHeight.On, HalfHeight.Off}) {
    FromName->excludes(Named);
  }
}

void AddTexts(CLI::App& Set, TSetOptions& O)
{
  for (const TCatalogueEntry& Row : Catalogue) {
    if (IsValueOption(Row) && Row.Rule != TWriteRule::WithStereoscopic) {
      AddValue(Set, O, Row, TextGroup);
    }
  }
}

void AddSet(CLI::App& App, TCommands& Commands)
{
  TSetOptions& O = Commands.Set;
  CLI::App* Set =
      App.add_subcommand("set", "Change values of each file and save them with the editor's rules");
  AddStereoValues(*Set, O);
  AddTexts(*Set, O);
  AddPicture(*Set, Entry(TAttribute::StereoscopicPreview), O.Preview, O.PreviewFile,
             "160 x 120, at most 10,240 bytes");
  AddPicture(*Set, Entry(TAttribute::StereoDiscTitlePoster), O.Poster, O.PosterFile, "at least 480 x 480");
  Set->add_option("--values", O.ValuesFile,
                  "Take every value but the pictures from what 'show --json' printed for one file; the other "
                  "options then change it further")
      ->type_name("FILE.json")
      ->group(TextGroup);
  AddVideoChangeOptions(*Set, O.Video);
  for (const char* Name : {"--detect-layout", "--preview-from-video", "--poster-from-video"}) {
    Set->get_option(Name)->group(VideoGroup);
  }
  Set->add_flag(
         "--dry-run", O.DryRun,
         "Print each value that would change, old and new, but write nothing (the files are only read)")
      ->group(RunGroup);
  AddJson(*Set, O.Json, "Print a JSON array, one object per file: saved, and how");
  AddFiles(*Set, O.Files, O.Recursive, "ASF file");
}

void AddCompact(CLI::App& App, TCommands& Commands)
{
  CLI::App* Compact = App.add_subcommand(
      "compact", "Give back the room each file's header holds beyond a few kilobytes (rewrites the file)");
  Compact
      ->add_flag("--dry-run", Commands.Compact.DryRun,
                 "Say how much each file would give back; write nothing")
      ->group(RunGroup);
  AddJson(*Compact, Commands.Compact.Json, "Print a JSON array, one object per file: the bytes given back");
  AddFiles(*Compact, Commands.Compact.Files, Commands.Compact.Recursive, "ASF file");
}

// The first argument that is no option names the command; the options of
// the tool itself may come before it.
std::optional<std::string> UnknownCommand(int ArgumentCount, const char* const* Arguments)
{
  for (int At = 1; At < ArgumentCount; ++At) {
    const std::string_view Argument = Arguments[At];
    if (Argument.empty() || Argument.front() != '-') {
      if (std::find(CommandNames.begin(), CommandNames.end(), Argument) == CommandNames.end()) {
        return std::string(Argument);
      }
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::string CommandList()
{
  std::string List;
  for (const char* Name : CommandNames) {
    List += (List.empty() ? "" : ", ") + std::string(Name);
  }
  return List;
}

void BuildApp(CLI::App& App, TCommands& Commands)
{
  App.formatter(std::make_shared<THelpFormatter>());
  App.set_version_flag("--version", std::string("quillmark-tag ") + QUILLMARK_VERSION);
  App.require_subcommand(1);
  // -q and -v may also follow the command.
  App.fallthrough();
  CLI::Option* Quiet = App.add_flag("-q,--quiet", Commands.Quiet, "Print nothing but errors");
  CLI::Option* Verbose = App.add_flag(
      "-v,--verbose", Commands.Verbose,
      "Say of each file saved how it was written (in place, Header Extension padding, inserted room, "
      "clone, copy, collapsed room) and which copies of its texts were kept in step");
  Quiet->excludes(Verbose);
  AddDump(App, Commands);
  AddShow(App, Commands);
  AddSet(App, Commands);
  AddCompact(App, Commands);
  AddDetect(App, Commands);
}

TVerbosity VerbosityOf(const TCommands& Commands)
{
  return Commands.Quiet ? TVerbosity::Quiet : Commands.Verbose ? TVerbosity::Verbose : TVerbosity::Normal;
}

} // namespace

std::map<std::string, std::vector<std::string>> ToolOptionNames()
{
  CLI::App App;
  TCommands Commands;
  BuildApp(App, Commands);
  std::map<std::string, std::vector<std::string>> Names;
  auto Add = [&Names](const std::string& Command, const CLI::Option& Option) {
    for (const std::string& Short : Option.get_snames()) {
      Names[Command].push_back("-" + Short);
    }
    for (const std::string& Long : Option.get_lnames()) {
      Names[Command].push_back("--" + Long);
    }
  };
  std::vector<std::string> Keys = {""};
  for (const CLI::App* Command : App.get_subcommands({})) {
    Keys.push_back(Command->get_name());
    for (const CLI::Option* Option : Command->get_options()) {
      Add(Command->get_name(), *Option);
    }
  }
  // The tool's own options, of which all but help and version may also
  // follow a command.
  for (const CLI::Option* Option : App.get_options()) {
    const bool First = Option == App.get_help_ptr() || Option == App.get_version_ptr();
    for (const std::string& Key : Keys) {
      if (Key.empty() || !First) {
        Add(Key, *Option);
      }
    }
  }
  for (const std::string& Key : Keys) {
    Names[Key].emplace_back("--help");
  }
  for (auto& [Command, List] : Names) {
    std::sort(List.begin(), List.end());
    List.erase(std::unique(List.begin(), List.end()), List.end());
  }
  return Names;
}

int RunTagTool(int ArgumentCount, const char* const* Arguments, std::ostream& Out, std::ostream& Err,
               const TVideoWork* Video)
{
  CLI::App App("Reads and writes the header attributes of Windows Media files.", "quillmark-tag");
  TCommands Commands;
  BuildApp(App, Commands);
  if (const std::optional<std::string> Unknown = UnknownCommand(ArgumentCount, Arguments)) {
    Err << ToolLine("'" + *Unknown + "' is no command; the commands are " + CommandList())
        << "Run with --help for more information.\n";
    return UsageError;
  }
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
    Err << ToolLine(Error.what()) << "Run with --help for more information.\n";
    return UsageError;
  }
  const TVerbosity Verbosity = VerbosityOf(Commands);
  Commands.Dump.Verbosity = Verbosity;
  Commands.Show.Verbosity = Verbosity;
  Commands.Set.Verbosity = Verbosity;
  Commands.Compact.Verbosity = Verbosity;
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
  if (App.got_subcommand("compact")) {
    return RunCompact(Commands.Compact, Out, Err);
  }
  if (App.got_subcommand("detect")) {
    return Video->RunDetect(Commands.Detect, Out, Err);
  }
  if (App.got_subcommand("set")) {
    // Progress lines only make sense where a person watches them.
    Commands.Set.ShowProgress = isatty(STDERR_FILENO) != 0 && Verbosity != TVerbosity::Quiet;
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
