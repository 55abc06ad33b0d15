// quillmark-tag show and set, run in-process on files the tests make.
#include "catalogue/Catalogue.h"
#include "common/AsfBuilder.h"
#include "common/TestFiles.h"
#include "common/TestJpeg.h"
#include "metadata/MetadataEditor.h"
#include "metadata/TextConversion.h"
#include "tag/ToolRun.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace QuillmarkTest {
namespace {

using nlohmann::json;

// Room for every value of these tests, so that each save fits the header's
// own space.
constexpr std::size_t Padding = 200000;

// The digest as coreutils computes it, a reader nobody here wrote.
std::string Sha256(const TBytes& Bytes)
{
  TTempDir Dir;
  std::filesystem::path File = Dir.Path() / "bytes";
  WriteFileBytes(File, Bytes);
  std::string Output;
  EXPECT_EQ(RunCommand("sha256sum '" + File.string() + "'", &Output), 0);
  return Output.substr(0, 64);
}

class CatalogueCommands : public ::testing::Test {
protected:
  std::string MakeFile(const std::string& Name, std::vector<TRecord> Records = {})
  {
    TAsfBuilder Builder;
    Builder.Add(ContentDescriptionObject({u"Old title", std::nullopt, std::nullopt, std::nullopt}));
    if (!Records.empty()) {
      Builder.Add(ExtendedContentObject(Records));
    }
    Builder.Add(PaddingObject(Padding));
    WriteFileBytes(FDir.File(Name), Builder.File());
    return FDir.File(Name).string();
  }

  std::string MakePicture(const std::string& Name, int Width, int Height)
  {
    WriteFileBytes(FDir.File(Name), MakeJpeg(Width, Height));
    return FDir.File(Name).string();
  }

  // The one object show --json prints for the file.
  json Shown(const std::string& File)
  {
    TRun R = RunTool({"show", "--json", File});
    EXPECT_EQ(R.Status, 0) << R.Err;
    json Array = json::parse(R.Out);
    EXPECT_EQ(Array.size(), 1U);
    return Array.empty() ? json() : Array[0];
  }

  void ExpectSet(const std::vector<std::string>& Options, const std::string& File)
  {
    std::vector<std::string> Arguments = {"set"};
    Arguments.insert(Arguments.end(), Options.begin(), Options.end());
    Arguments.push_back(File);
    TRun R = RunTool(Arguments);
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Err, "");
  }

  TTempDir FDir;
};

TEST_F(CatalogueCommands, ShowJsonGivesEachValueInItsStableForm)
{
  const TBytes Preview = MakeJpeg(160, 120);
  const std::string File = MakeFile(
      "clip.wmv",
      {BoolRecord(u"Stereoscopic", 1, 4), StringRecord(u"StereoscopicLayout", u"OverUnderLT"),
       QwordRecord(u"StereoscopicSkip", 25000000), DwordRecord(u"StereoscopicHorizontalParallax", 0xFFFFFFF6),
       BinaryRecord(u"StereoscopicPreview", Preview), BoolRecord(u"StereoscopicHalfWidth", 1, 4),
       BoolRecord(u"StereoscopicHalfHeight", 0, 4), StringRecord(u"Description", u"one\r\ntwo"),
       StringRecord(u"StereoDiscName", u"Caf\u00e9"), DwordRecord(u"StereoDiscTitleIndex", 4294967295U)});
  const json J = Shown(File);
  std::vector<std::string> Keys;
  const nlohmann::ordered_json InOrder = nlohmann::ordered_json::parse(RunTool({"show", "--json", File}).Out);
  for (const auto& Item : InOrder[0].items()) {
    Keys.push_back(Item.key());
  }
  EXPECT_EQ(Keys, (std::vector<std::string>{"file", "stereo", "layout", "halfWidth", "duration", "parallax",
                                            "title", "description", "discName", "titleIndex", "preview"}));
  EXPECT_EQ(J["file"], File);
  EXPECT_EQ(J["stereo"], true);
  EXPECT_EQ(J["layout"], "OverUnderLT");
  EXPECT_EQ(J["halfWidth"], true);
  EXPECT_EQ(J["duration"], "2.5");
  EXPECT_EQ(J["parallax"], -10);
  EXPECT_EQ(J["title"], "Old title");
  EXPECT_EQ(J["description"], "one\r\ntwo");
  EXPECT_EQ(J["discName"], "Caf\xC3\xA9");
  EXPECT_EQ(J["titleIndex"], 4294967295U);
  EXPECT_EQ(J["preview"],
            (json{{"bytes", Preview.size()}, {"width", 160}, {"height", 120}, {"sha256", Sha256(Preview)}}));

  TRun Text = RunTool({"show", File});
  ASSERT_EQ(Text.Status, 0);
  EXPECT_NE(Text.Out.find("\n  Stereoscopic: yes\n  Layout:       OverUnderLT\n"), std::string::npos)
      << Text.Out;
  EXPECT_NE(Text.Out.find("\n  Half height:  no\n  2D intro (s): 2.5\n"), std::string::npos);
  EXPECT_NE(Text.Out.find("\n  Description:  one\\r\\ntwo\n"), std::string::npos);
  EXPECT_NE(Text.Out.find("\n  Source:\n"), std::string::npos);
}

TEST_F(CatalogueCommands, StereoOptionsRoundTrip)
{
  const std::string File = MakeFile("clip.wmv");
  ExpectSet(
      {"--stereo", "--layout", "SideBySideLF", "--half-height", "--duration", "1.25", "--parallax", "-3"},
      File);
  json J = Shown(File);
  EXPECT_EQ(J["stereo"], true);
  EXPECT_EQ(J["layout"], "SideBySideLF");
  EXPECT_EQ(J["halfHeight"], true);
  EXPECT_FALSE(J.contains("halfWidth"));
  EXPECT_EQ(J["duration"], "1.25");
  EXPECT_EQ(J["parallax"], -3);

  // The file's other values stay; both half boxes together untick both.
  ExpectSet({"--half-width"}, File);
  J = Shown(File);
  EXPECT_FALSE(J.contains("halfWidth"));
  EXPECT_FALSE(J.contains("halfHeight"));
  EXPECT_EQ(J["layout"], "SideBySideLF");
  ExpectSet({"--no-half-height", "--half-width", "--duration", "", "--parallax", "0x10"}, File);
  J = Shown(File);
  EXPECT_EQ(J["halfWidth"], true);
  EXPECT_FALSE(J.contains("duration"));
  EXPECT_EQ(J["parallax"], 16);

  // Without the Stereo box nothing of the stereo tab is written.
  ExpectSet({"--no-stereo"}, File);
  EXPECT_EQ(Shown(File), (json{{"file", File}, {"title", "Old title"}}));
}

TEST_F(CatalogueCommands, TextOptionsRoundTripAndEmptyClears)
{
  const std::string File = MakeFile("clip.wmv");
  ExpectSet({"--source", "Camera", "--title",
             "  Gr\xC3\xBC\xC3\x9F"
             "e  ",
             "--author", "Ann", "--copyright", "(c) 2026", "--description", "a\r\nb", "--disc-name", "Disc",
             "--title-name", "Main", "--title-index", "12"},
            File);
  EXPECT_EQ(Shown(File), (json{{"file", File},
                               {"source", "Camera"},
                               {"title", "Gr\xC3\xBC\xC3\x9F"
                                         "e"},
                               {"author", "Ann"},
                               {"copyright", "(c) 2026"},
                               {"description", "a\r\nb"},
                               {"discName", "Disc"},
                               {"titleName", "Main"},
                               {"titleIndex", 12}}));
  ExpectSet({"--source", "", "--title", "", "--author", " ", "--copyright", "", "--description", "",
             "--disc-name", "", "--title-name", "", "--title-index", ""},
            File);
  EXPECT_EQ(Shown(File), (json{{"file", File}}));
}

// A text of the catalogue needs nothing but its row to be set, shown and
// written as JSON.
TEST_F(CatalogueCommands, EveryCatalogueTextHasItsOptionJsonKeyAndShowLine)
{
  const std::string File = MakeFile("clip.wmv");
  for (const Quillmark::TCatalogueEntry& Row : Quillmark::Catalogue) {
    if (Row.Field.Kind != Quillmark::TFieldKind::Text) {
      continue;
    }
    const std::string Value = std::string("Value of ") + Row.Label;
    ExpectSet({std::string("--") + Row.Option, Value}, File);
    EXPECT_EQ(Shown(File).value(Row.JsonKey, ""), Value) << Row.Option;
    TRun R = RunTool({"show", File});
    EXPECT_NE(R.Out.find(std::string("  ") + Row.Label + ":"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find(Value + "\n"), std::string::npos) << R.Out;
  }
}

TEST_F(CatalogueCommands, PictureOptionsUseTheWindowsRules)
{
  const std::string File = MakeFile("clip.wmv");
  const std::string Preview = MakePicture("preview.jpg", 160, 120);
  const std::string Poster = MakePicture("poster.jpeg", 480, 640);
  ExpectSet({"--preview", Preview, "--poster", Poster}, File);
  json J = Shown(File);
  EXPECT_EQ(J["preview"]["sha256"], Sha256(ReadFileBytes(Preview)));
  EXPECT_EQ(J["preview"]["bytes"], ReadFileBytes(Preview).size());
  EXPECT_EQ(J["poster"]["width"], 480);
  EXPECT_EQ(J["poster"]["height"], 640);

  // A picture that breaks its rules stops the command before any file.
  const TBytes Before = ReadFileBytes(File);
  TRun Wrong = RunTool({"set", "--preview", Poster, File});
  EXPECT_EQ(Wrong.Status, 2);
  EXPECT_EQ(Wrong.Err.rfind("quillmark-tag: " + Poster + ": This image cannot be used as preview!", 0), 0U)
      << Wrong.Err;
  WriteFileBytes(FDir.File("text.jpg"), {'h', 'i'});
  TRun Text = RunTool({"set", "--poster", FDir.File("text.jpg").string(), File});
  EXPECT_EQ(Text.Err,
            "quillmark-tag: " + FDir.File("text.jpg").string() + ": Could not open file 'text.jpg'!\n");
  EXPECT_EQ(ReadFileBytes(File), Before);

  ExpectSet({"--no-preview", "--no-poster"}, File);
  EXPECT_EQ(Shown(File), (json{{"file", File}, {"title", "Old title"}}));
}

TEST_F(CatalogueCommands, ValuesCopyOneFileToAnother)
{
  const std::string From = MakeFile("from.wmv");
  const std::string To = MakeFile(
      "to.wmv", {StringRecord(u"Author", u"Someone else"), BoolRecord(u"StereoscopicHalfWidth", 1, 4)});
  ExpectSet({"--stereo", "--layout", "DualStream", "--half-height", "--duration", "0.0001", "--parallax", "7",
             "--title", "T", "--description", "x\r\ny", "--title-index", "3"},
            From);
  TRun Show = RunTool({"show", "--json", From});
  WriteFileBytes(FDir.File("values.json"), TBytes(Show.Out.begin(), Show.Out.end()));
  ExpectSet({"--values", FDir.File("values.json").string()}, To);
  json Expected = Shown(From);
  Expected["file"] = To;
  EXPECT_EQ(Shown(To), Expected);

  // Options given with the values change them further.
  ExpectSet({"--values", FDir.File("values.json").string(), "--title", "Other"}, To);
  Expected["title"] = "Other";
  EXPECT_EQ(Shown(To), Expected);

  const TBytes Before = ReadFileBytes(To);
  for (const std::string Bad :
       {"{\"layout\": \"Sideways\"}", "{\"stereo\": 1}", "{\"colour\": true}", "[{}, {}]", "not json"}) {
    WriteFileBytes(FDir.File("bad.json"), TBytes(Bad.begin(), Bad.end()));
    TRun R = RunTool({"set", "--values", FDir.File("bad.json").string(), To});
    EXPECT_EQ(R.Status, 2) << Bad;
    EXPECT_EQ(R.Err.rfind("quillmark-tag: " + FDir.File("bad.json").string() + ": ", 0), 0U) << R.Err;
  }
  EXPECT_EQ(ReadFileBytes(To), Before);
}

// Only the options given replace their attributes: values show cannot give
// (a preview that breaks the rules, a boolean of another type, texts in
// their own form) stay byte for byte until their own option is given.
TEST_F(CatalogueCommands, OnlyTheGivenOptionsChangeTheFile)
{
  const TBytes BadPreview = MakeJpeg(160, 121);
  const std::vector<TRecord> Kept = {StringRecord(u"Author", u" padded\u2028line "),
                                     BinaryRecord(u"StereoscopicPreview", BadPreview),
                                     DwordRecord(u"Stereoscopic", 1)};
  const std::string File = MakeFile("clip.wmv", Kept);
  const TBytes Object = ExtendedContentObject(Kept);
  auto Holds = [&](const TBytes& Part) {
    const TBytes Now = ReadFileBytes(File);
    return std::search(Now.begin(), Now.end(), Part.begin(), Part.end()) != Now.end();
  };
  const struct {
    std::vector<std::string> Options;
    bool ObjectKept;
    bool PreviewKept;
  } Steps[] = {
      {{"--title", "New"}, true, true},
      {{"--author", "Ann"}, false, true},
      {{"--no-preview"}, false, false},
  };
  for (const auto& Step : Steps) {
    ExpectSet(Step.Options, File);
    EXPECT_EQ(Holds(Object), Step.ObjectKept) << Step.Options[0];
    EXPECT_EQ(Holds(BadPreview), Step.PreviewKept) << Step.Options[0];
  }
  EXPECT_EQ(Shown(File), (json{{"file", File}, {"title", "New"}, {"author", "Ann"}}));
}

TEST_F(CatalogueCommands, RefusalsNameTheOptionAndLeaveTheFileUntouched)
{
  const std::string File = MakeFile("clip.wmv");
  const TBytes Before = ReadFileBytes(File);
  const std::string NoLayout = "the file holds no known stereoscopic layout, which a ticked Stereoscopic box "
                               "needs; give one with --layout KEY, or --no-stereo";
  const std::vector<std::pair<std::vector<std::string>, std::string>> Cases = {
      {{"--stereo", "--duration", "-1"}, "--duration '-1' is not a valid 2D intro duration"},
      {{"--stereo", "--layout", "Mono", "--parallax", "1.5"},
       "--parallax '1.5' is not a valid parallax correction"},
      {{"--stereo", "--duration", "2"}, NoLayout},
      {{"--title-index", "3000000000"}, "--title-index '3000000000' is not a valid title index"},
      {{"--description", std::string(32767, 'x')},
       "The description is too long to be saved. Please shorten it to 32766 characters or fewer."},
  };
  for (const auto& [Options, Message] : Cases) {
    std::vector<std::string> Arguments = {"set"};
    Arguments.insert(Arguments.end(), Options.begin(), Options.end());
    Arguments.push_back(File);
    TRun R = RunTool(Arguments);
    EXPECT_EQ(R.Status, 1) << Message;
    EXPECT_EQ(R.Err, "quillmark-tag: " + File + ": " + Message + "\n");
    EXPECT_EQ(ReadFileBytes(File), Before) << Message;
  }
  // A dry run checks without writing.
  TRun Dry = RunTool({"set", "--dry-run", "--title", "New", File});
  EXPECT_EQ(Dry.Status, 0);
  EXPECT_EQ(Dry.Out, File + ": would be saved\n  Title: Old title -> New\n");
  EXPECT_EQ(ReadFileBytes(File), Before);
  TRun DryRefused = RunTool({"set", "--dry-run", "--stereo", File});
  EXPECT_EQ(DryRefused.Err, "quillmark-tag: " + File + ": " + NoLayout + "\n");
}

TEST_F(CatalogueCommands, BatchTriesEveryFileAndReportsEachFailure)
{
  const std::string Good1 = MakeFile("good1.wmv");
  const std::string Locked = MakeFile("locked.wmv");
  const std::string Unreadable = MakeFile("unreadable.wmv", {StringRecord(u"StereoscopicSkip", u"abc")});
  const std::string Good2 = MakeFile("good2.wmv");
  const std::string Broken = FDir.File("broken.wmv").string();
  WriteFileBytes(Broken, TBytes(100, 7));
  const TBytes LockedBefore = ReadFileBytes(Locked);
  const TBytes UnreadableBefore = ReadFileBytes(Unreadable);

  Quillmark::TRef<Quillmark::IWMMetadataEditor> Holder;
  ASSERT_EQ(Quillmark::WMCreateEditor(Holder), Quillmark::S_OK);
  auto Holder2 = Quillmark::QueryInterface<Quillmark::IWMMetadataEditor2>(Holder);
  ASSERT_EQ(Holder2->OpenEx(Quillmark::Utf8ToUtf16(Locked).c_str(),
                            Quillmark::GENERIC_READ | Quillmark::GENERIC_WRITE, 0),
            Quillmark::S_OK);

  TRun R = RunTool({"set", "--author", "Batch", Good1, Locked, Unreadable, Broken, Good2});
  Holder2->Close();
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Err, "quillmark-tag: " + Locked + ": held by another program (close it there and try again)\n" +
                       "quillmark-tag: " + Unreadable + ": the header could not be read\n" +
                       "quillmark-tag: " + Broken + ": not an ASF file\n");
  EXPECT_EQ(Shown(Good1)["author"], "Batch");
  EXPECT_EQ(Shown(Good2)["author"], "Batch");
  EXPECT_EQ(ReadFileBytes(Locked), LockedBefore);
  EXPECT_EQ(ReadFileBytes(Unreadable), UnreadableBefore);

  TRun Show = RunTool({"show", "--json", Good1, Broken, Good2});
  EXPECT_EQ(Show.Status, 1);
  EXPECT_EQ(json::parse(Show.Out).size(), 3U);
  EXPECT_EQ(json::parse(Show.Out)[1]["error"]["code"], "not-asf");
  EXPECT_EQ(Show.Err, "quillmark-tag: " + Broken + ": not an ASF file\n");
}

TEST_F(CatalogueCommands, UsageErrors)
{
  const std::string File = MakeFile("clip.wmv");
  const TBytes Before = ReadFileBytes(File);
  for (const std::vector<std::string>& Arguments :
       std::vector<std::vector<std::string>>{{"set", "--layout", "Sideways", File},
                                             {"set", "--stereo", "--no-stereo", File},
                                             {"set", "--preview", "p.jpg", "--no-preview", File},
                                             {"set", "--title", "x"},
                                             {"show"}}) {
    TRun R = RunTool(Arguments);
    EXPECT_EQ(R.Status, 2) << Arguments[1];
    EXPECT_FALSE(R.Err.empty());
  }
  EXPECT_EQ(ReadFileBytes(File), Before);
  TRun Help = RunTool({"set", "--help"});
  EXPECT_EQ(Help.Status, 0);
  EXPECT_NE(Help.Out.find("--title-index"), std::string::npos);
  EXPECT_NE(RunTool({"show", "--help"}).Out.find("--json"), std::string::npos);
}

} // namespace
} // namespace QuillmarkTest
