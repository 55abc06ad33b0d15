// quillmark-tag given names that are no UTF-8 and values files that are no
// files, too large or nested without end.
#include "common/AsfBuilder.h"
#include "common/TestFiles.h"
#include "tag/JsonFileNames.h"
#include "tag/ReadAhead.h"
#include "tag/ToolRun.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace QuillmarkTest {
namespace {

using Quillmark::JsonNameLiteral;

class HostileArguments : public ::testing::Test {
protected:
  std::string MakeFile(const std::string& Name)
  {
    TAsfBuilder Builder;
    Builder.Add(ContentDescriptionObject({u"Old title", std::nullopt, std::nullopt, std::nullopt}));
    Builder.Add(PaddingObject(20000));
    WriteFileBytes(FDir.File(Name), Builder.File());
    return FDir.File(Name).string();
  }

  std::string WriteText(const std::string& Name, const std::string& Text)
  {
    WriteFileBytes(FDir.File(Name), TBytes(Text.begin(), Text.end()));
    return FDir.File(Name).string();
  }

  TTempDir FDir;
};

} // namespace

TEST_F(HostileArguments, ANameThatIsNoUtf8IsThatFileAndNoOther)
{
  const std::string Odd = MakeFile("a\xFF.wmv");
  const std::string Neighbour = MakeFile("a\xEF\xBF\xBD.wmv");
  const TBytes NeighbourBefore = ReadFileBytes(Neighbour);
  TRun Set = RunTool({"set", "--title", "Mine", Odd});
  EXPECT_EQ(Set.Status, 0) << Set.Err;
  EXPECT_EQ(ReadFileBytes(Neighbour), NeighbourBefore);

  // Both JSON outputs name it with the escaped byte, and stay JSON.
  const std::string Folder = JsonNameLiteral(FDir.Path().string() + "/");
  const std::string Member = "\"file\": " + Folder.substr(0, Folder.size() - 1) + "a\\udcff.wmv\"";
  for (const char* Command : {"show", "dump"}) {
    TRun R = RunTool({Command, "--json", Odd, Neighbour});
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_NE(R.Out.find(Member), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find("a\xEF\xBF\xBD.wmv\""), std::string::npos) << Command;
  }
  // What show printed for it is a values file for another.
  TRun Show = RunTool({"show", "--json", Odd});
  const std::string Values = WriteText("values.json", Show.Out);
  TRun Copy = RunTool({"set", "--values", Values, Neighbour});
  EXPECT_EQ(Copy.Status, 0) << Copy.Err;
  EXPECT_NE(RunTool({"show", Neighbour}).Out.find("Mine"), std::string::npos);
}

TEST(JsonFileNames, EscapesOnlyWhatJsonCannotHold)
{
  const std::pair<std::string, std::string> Cases[] = {
      {"plain.wmv", "\"plain.wmv\""}, {"caf\xC3\xA9", "\"caf\xC3\xA9\""},   {"q\"b\\s", "\"q\\\"b\\\\s\""},
      {"tab\t", "\"tab\\u0009\""},    {"a\xFF\xFE", "\"a\\udcff\\udcfe\""}, {"\xC3(", "\"\\udcc3(\""},
  };
  for (const auto& [Name, Literal] : Cases) {
    EXPECT_EQ(JsonNameLiteral(Name), Literal) << Name;
  }
  // A stand-in is replaced only as the "file" member, not inside a value
  // that happens to hold the same characters.
  Quillmark::TJsonFileNames Names;
  nlohmann::json Files = nlohmann::json::array();
  Files.push_back({{"file", Names.Member("x\xFF")},
                   {"title", std::string("\0"
                                         "0\0",
                                         3)}});
  const std::string Text = Names.Finish(Files.dump(2));
  EXPECT_NE(Text.find("\"file\": \"x\\udcff\""), std::string::npos) << Text;
  EXPECT_NE(Text.find("\"title\": \"\\u00000\\u0000\""), std::string::npos) << Text;
}

// The array written one object at a time reads as the whole array dumped at
// once, escaped names included, for none, one and several files.
TEST(JsonFileNames, AStreamedArrayIsTheWholeArrayDumped)
{
  const std::vector<std::string> Names = {"a.wmv", "b\xFF.wmv", "c\n.wmv", "d\xFE"};
  for (std::size_t Count = 0; Count <= Names.size(); ++Count) {
    Quillmark::TJsonFileNames Whole;
    nlohmann::ordered_json Files = nlohmann::ordered_json::array();
    std::ostringstream Out;
    Quillmark::TJsonFileArray Streamed(Out);
    EXPECT_EQ(Out.str(), "[");
    for (std::size_t Index = 0; Index < Count; ++Index) {
      const std::string Name = Names[Index];
      Files.push_back(
          {{"file", Whole.Member(Name)}, {"error", {{"code", Index}, {"message", "line\nbreak"}}}});
      Streamed.Add(nlohmann::ordered_json{{"file", Streamed.Member(Name)},
                                          {"error", {{"code", Index}, {"message", "line\nbreak"}}}});
    }
    Streamed.Close();
    EXPECT_EQ(Out.str(), Whole.Finish(Files.dump(2)) + "\n") << Count;
  }
}

TEST_F(HostileArguments, AValuesFileThatCannotBeUsedIsAUsageError)
{
  const std::string File = MakeFile("clip.wmv");
  const TBytes Before = ReadFileBytes(File);
  const std::string Fifo = FDir.File("fifo.json").string();
  ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
  std::filesystem::create_directory(FDir.File("folder.json"));
  const std::string Deep = WriteText("deep.json", std::string(100000, '[') + std::string(100000, ']'));
  const std::string DeepObject = WriteText("object.json", [] {
    std::string Text;
    for (int Level = 0; Level < 50000; ++Level) {
      Text += "{\"a\":";
    }
    return Text + "1" + std::string(50000, '}');
  }());
  const std::string Large = WriteText("large.json", "\"" + std::string(5 * 1024 * 1024, 'x') + "\"");
  // Nesting a little deeper than a values file has is still read, and then
  // refused for what it holds.
  const std::string Shallow = WriteText("shallow.json", "[{\"title\": [[[[1]]]]}]");

  const std::pair<std::string, std::string> Cases[] = {
      {FDir.File("folder.json").string(), "cannot be read: Is a directory"},
      {Fifo, "is not a regular file"},
      {FDir.File("missing.json").string(), "cannot be read: No such file or directory"},
      {Deep, "is nested too deeply"},
      {DeepObject, "is nested too deeply"},
      {Large, "is larger than a values file can be"},
      {Shallow, "\"title\" must be a string"},
  };
  // A lone low surrogate stands for a name's byte and is read; an escaped
  // backslash before "udc80" is text, and any other lone surrogate is no JSON.
  const std::string Escapes = WriteText("escapes.json", R"({"file": "a\udcff", "title": "\\udc80"})");
  EXPECT_EQ(RunTool({"set", "--dry-run", "--values", Escapes, File}).Status, 0);
  const std::string Lone = WriteText("lone.json", R"({"title": "\ud800"})");
  EXPECT_EQ(RunTool({"set", "--values", Lone, File}).Err, "quillmark-tag: " + Lone + ": is not valid JSON\n");
  for (const auto& [Values, Problem] : Cases) {
    TRun R = RunTool({"set", "--values", Values, File});
    EXPECT_EQ(R.Status, 2) << Values;
    EXPECT_EQ(R.Err, "quillmark-tag: " + Values + ": " + Problem + "\n");
  }
  EXPECT_EQ(ReadFileBytes(File), Before);
}

TEST_F(HostileArguments, PicturesThatAreNoRegularFilesAreRefusedWithTheirMessage)
{
  const std::string File = MakeFile("clip.wmv");
  const std::string Fifo = FDir.File("x.jpg").string();
  ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
  const std::string Zero = FDir.File("zero.jpg").string();
  std::filesystem::create_symlink("/dev/zero", Zero);
  for (const std::string& Picture : {Fifo, Zero}) {
    TRun Poster = RunTool({"set", "--poster", Picture, File});
    EXPECT_EQ(Poster.Status, 2);
    EXPECT_EQ(Poster.Err, "quillmark-tag: " + Picture +
                              ": This image cannot be used as title poster! Suitable images must be JPEG "
                              "files with a minimum resolution of 480 x 480 pixels.\n");
    TRun Preview = RunTool({"set", "--preview", Picture, File});
    EXPECT_EQ(Preview.Status, 2);
    EXPECT_NE(Preview.Err.find("cannot be used as preview!"), std::string::npos);
  }
}

// Reading ahead of a command passes over what is no regular file (a FIFO
// without a writer, a device, a folder, a missing name) without waiting on
// it, and stops with the command wherever it is.
TEST_F(HostileArguments, ReadingAheadPassesOverWhatIsNoRegularFile)
{
  const std::string Fifo = FDir.File("pipe.wmv").string();
  ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
  const std::string Zero = FDir.File("zero.wmv").string();
  std::filesystem::create_symlink("/dev/zero", Zero);
  const std::vector<std::string> Files = {
      MakeFile("a.wmv"), Fifo, Zero, FDir.File("missing.wmv").string(), FDir.Path().string(),
      MakeFile("b.wmv")};
  for (std::size_t Stop = 0; Stop < Files.size(); ++Stop) {
    Quillmark::TReadAhead Ahead(Files);
    Ahead.Reached(Stop);
  }
  TRun Show = RunTool({"show", "--json", Files.front(), Fifo, Files.back()});
  EXPECT_EQ(Show.Status, 1);
  EXPECT_EQ(nlohmann::json::parse(Show.Out).size(), 3U);
}

TEST_F(HostileArguments, FailuresNameTheirCause)
{
  const std::string Missing = FDir.File("missing.wmv").string();
  TRun R = RunTool({"set", "--title", "x", Missing});
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Err, "quillmark-tag: " + Missing + ": not found\n");
  const std::string Damaged = MakeFile("damaged.wmv");
  TBytes Bytes = ReadFileBytes(Damaged);
  Bytes[21] = 1; // the header claims a terabyte
  WriteFileBytes(Damaged, Bytes);
  TRun Show = RunTool({"show", Damaged});
  EXPECT_EQ(Show.Err, "quillmark-tag: " + Damaged + ": damaged header\n");
}

} // namespace QuillmarkTest
