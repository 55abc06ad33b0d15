// What quillmark-tag says of a file that failed, on its line and in JSON,
// and the conventions of its command line.
#include "common/AsfBuilder.h"
#include "common/TestFiles.h"
#include "metadata/MetadataEditor.h"
#include "metadata/TextConversion.h"
#include "tag/ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <regex>

namespace QuillmarkTest {
namespace {

using nlohmann::json;

class ToolLines : public ::testing::Test {
protected:
  std::string MakeFile(const std::string& Name, std::vector<TRecord> Records = {})
  {
    TAsfBuilder Builder;
    Builder.Add(ContentDescriptionObject({u"Old title", std::nullopt, std::nullopt, std::nullopt}));
    if (!Records.empty()) {
      Builder.Add(ExtendedContentObject(Records));
    }
    Builder.Add(PaddingObject(4000));
    WriteFileBytes(FDir.File(Name), Builder.File());
    return FDir.File(Name).string();
  }

  TTempDir FDir;
};

// Each cause of a failed open, through every command that opens headers:
// "quillmark-tag: FOLDER/NAME: cause" and, in JSON, the file with its error.
TEST_F(ToolLines, EachFailureIsNamedByItsCauseOnTheLineAndInJson)
{
  const std::string Missing = FDir.File("missing.wmv").string();
  const std::string Broken = FDir.File("broken.wmv").string();
  WriteFileBytes(Broken, TBytes(100, 7));
  const std::string Locked = MakeFile("locked.wmv");
  const std::string Unreadable = MakeFile("unreadable.wmv", {StringRecord(u"StereoscopicSkip", u"abc")});

  Quillmark::TRef<Quillmark::IWMMetadataEditor> Holder;
  ASSERT_EQ(Quillmark::WMCreateEditor(Holder), Quillmark::S_OK);
  auto Holder2 = Quillmark::QueryInterface<Quillmark::IWMMetadataEditor2>(Holder);
  ASSERT_EQ(Holder2->OpenEx(Quillmark::Utf8ToUtf16(Locked).c_str(),
                            Quillmark::GENERIC_READ | Quillmark::GENERIC_WRITE, 0),
            Quillmark::S_OK);

  const struct {
    std::string File;
    const char* Code;
    const char* Message;
    bool Dump; // dump fails on it too (it reads no values)
  } Cases[] = {
      {Missing, "not-found", "not found", true},
      {Broken, "not-asf", "not an ASF file", true},
      {Locked, "held-by-another-program", "held by another program (close it there and try again)", false},
      {Unreadable, "unreadable", "the header could not be read", false},
  };
  for (const auto& Case : Cases) {
    for (const std::vector<std::string>& Command :
         {std::vector<std::string>{"dump", "--json"}, std::vector<std::string>{"show", "--json"},
          std::vector<std::string>{"set", "--json", "--title", "New"}}) {
      if (Command[0] == "dump" && !Case.Dump) {
        continue;
      }
      SCOPED_TRACE(Command[0] + " " + Case.Code);
      std::vector<std::string> Arguments = Command;
      Arguments.push_back(Case.File);
      const TRun R = RunTool(Arguments);
      EXPECT_EQ(R.Status, 1);
      EXPECT_EQ(R.Err, "quillmark-tag: " + Case.File + ": " + Case.Message + "\n");
      const json Files = json::parse(R.Out);
      ASSERT_EQ(Files.size(), 1U);
      EXPECT_EQ(Files[0]["file"], Case.File);
      EXPECT_EQ(Files[0]["error"], json({{"code", Case.Code}, {"message", Case.Message}}));
    }
  }
  Holder2->Close();
}

// A value the file holds that the save's rules refuse is the file's, not
// the user's: it is named with its stored text and the option that
// replaces it. One the user gave is named with its option.
TEST_F(ToolLines, RefusedValuesAreNamedByWhoGaveThem)
{
  const std::string File = MakeFile("clip.wmv", {DwordRecord(u"StereoDiscTitleIndex", 3000000000U)});
  const TBytes Before = ReadFileBytes(File);
  const struct {
    std::vector<std::string> Options;
    std::string Message;
  } Cases[] = {
      {{"--title", "New"},
       "the stored title index 3000000000 is not one this program may save; replace it with --title-index N, "
       "or clear it with --title-index ''"},
      {{"--title-index", "-4"}, "--title-index '-4' is not a valid title index"},
      {{"--stereo", "--title-index", "1"},
       "the file holds no known stereoscopic layout, which a ticked Stereoscopic box needs; give one with "
       "--layout KEY, or --no-stereo"},
      {{"--stereo", "--layout", "Mono", "--parallax", "x", "--title-index", "1"},
       "--parallax 'x' is not a valid parallax correction"},
  };
  for (const auto& Case : Cases) {
    std::vector<std::string> Arguments = {"set", "--json"};
    Arguments.insert(Arguments.end(), Case.Options.begin(), Case.Options.end());
    Arguments.push_back(File);
    const TRun R = RunTool(Arguments);
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(R.Err, "quillmark-tag: " + File + ": " + Case.Message + "\n");
    EXPECT_EQ(json::parse(R.Out)[0]["error"], json({{"code", "refused"}, {"message", Case.Message}}));
    EXPECT_EQ(ReadFileBytes(File), Before);
  }
  // Replacing the stored value is what the message asks for.
  EXPECT_EQ(RunTool({"set", "--title", "New", "--title-index", "", File}).Status, 0);
}

TEST_F(ToolLines, VerboseSaysHowEachFileWasSavedAndQuietNothing)
{
  const std::string File =
      MakeFile("clip.wmv", {StringRecord(u"title", u"Old title"), StringRecord(u"comment", u"Notes"),
                            StringRecord(u"date", u"2021")});
  TRun R = RunTool({"set", "-v", "--title", "New", "--description", "", File});
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(R.Err, "quillmark-tag: " + File + ": saved: in place; kept in step: comment removed, title\n");
  R = RunTool({"-v", "set", "--json", "--title", "Newer", File});
  EXPECT_EQ(json::parse(R.Out)[0]["way"], "in place");
  EXPECT_EQ(json::parse(R.Out)[0]["keptInStep"], json({"title"}));
  R = RunTool({"-q", "set", "--title", "Newest", File});
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(R.Err, "");
  EXPECT_EQ(RunTool({"-q", "-v", "show", File}).Status, 2);
}

TEST_F(ToolLines, AnUnknownCommandIsNamed)
{
  const TRun R = RunTool({"-q", "bogus", "f.wmv"});
  EXPECT_EQ(R.Status, 2);
  EXPECT_EQ(R.Err, "quillmark-tag: 'bogus' is no command; the commands are dump, show, set, compact, detect\n"
                   "Run with --help for more information.\n");
}

TEST_F(ToolLines, HelpIsGroupedWithoutExclusionLists)
{
  const TRun R = RunTool({"set", "--help"});
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(R.Out.find("Excludes"), std::string::npos);
  EXPECT_EQ(R.Out.find("Needs"), std::string::npos);
  std::size_t At = 0;
  for (const char* Group :
       {"Stereo tab:", "General and disc values", "Pictures:", "From the video's frames:", "How to run:"}) {
    const std::size_t Found = R.Out.find(Group);
    ASSERT_NE(Found, std::string::npos) << Group;
    EXPECT_GT(Found, At) << Group;
    At = Found;
  }
}

} // namespace
} // namespace QuillmarkTest
