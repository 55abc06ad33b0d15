// quillmark-tag dump, run in-process on files the tests make.
#include "asf/AsfGuids.h"
#include "common/AsfBuilder.h"
#include "common/TestFiles.h"
#include "tag/ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace QuillmarkTest {
namespace {

class DumpCommand : public ::testing::Test {
protected:
  DumpCommand()
  {
    TAsfBuilder Builder;
    Builder.Add(
        ContentDescriptionObject({u"Caf\u00e9 \U0001F600", std::nullopt, std::nullopt, u"line1\r\nline2"}));
    Builder.Add(
        ExtendedContentObject({BoolRecord(u"Stereoscopic", 1, 4), QwordRecord(u"StereoscopicSkip", 25000000),
                               DwordRecord(u"StereoscopicHorizontalParallax", 0xFFFFFFF6)}));
    Builder.AddToExtension(LanguageListObject({u"en-us", u"de"}));
    Builder.AddToExtension(LibraryObject({BinaryRecord(u"Poster", {'a', 'b', 'c'}),
                                          GuidRecord(u"Id", Quillmark::Asf::Guids::Header, 2),
                                          StringRecord(u"Lyrics", u"Hallo", 0, 1)}));
    WriteFileBytes(FFile, Builder.File());
  }

  TTempDir FDir;
  std::filesystem::path FFile = FDir.File("clip.wmv");
};

TEST_F(DumpCommand, ListsEveryAttributeAsText)
{
  TRun R = RunTool({"dump", FFile.string()});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, FFile.string() +
                       "\n"
                       "  stream 0  language 0  STRING  Title = Caf\xC3\xA9 \xF0\x9F\x98\x80\n"
                       "  stream 0  language 0  STRING  Description = line1\\r\\nline2\n"
                       "  stream 0  language 0  BOOL  Stereoscopic = true\n"
                       "  stream 0  language 0  QWORD  StereoscopicSkip = 25000000\n"
                       "  stream 0  language 0  DWORD  StereoscopicHorizontalParallax = 4294967286\n"
                       "  stream 0  language 0  BINARY  Poster = 3 bytes, sha256 "
                       "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\n"
                       "  stream 0  language 1  STRING  Lyrics = Hallo\n"
                       "  stream 2  language 0  GUID  Id = 75B22630-668E-11CF-A6D9-00AA0062CE6C\n");
}

TEST_F(DumpCommand, ListsEveryAttributeAsJson)
{
  TRun R = RunTool({"dump", "--json", FFile.string()});
  ASSERT_EQ(R.Status, 0) << R.Err;
  nlohmann::json Json = nlohmann::json::parse(R.Out);
  ASSERT_EQ(Json.size(), 1U);
  EXPECT_EQ(Json[0]["file"], FFile.string());
  const nlohmann::json& A = Json[0]["attributes"];
  ASSERT_EQ(A.size(), 8U);
  EXPECT_EQ(A[0]["value"], "Caf\xC3\xA9 \xF0\x9F\x98\x80");
  EXPECT_EQ(A[2]["value"], true);
  EXPECT_EQ(A[3]["value"], 25000000);
  EXPECT_EQ(A[5]["value"]["length"], 3);
  EXPECT_EQ(A[6]["language"], 1);
  EXPECT_EQ(A[7]["stream"], 2);
  EXPECT_EQ(A[7]["type"], "GUID");
}

TEST_F(DumpCommand, NamesTheFileThatDoesNotOpenAndGoesOn)
{
  WriteFileBytes(FDir.File("broken.wmv"), TBytes(100, 7));
  TRun R =
      RunTool({"dump", FDir.File("broken.wmv").string(), FDir.File("missing.wmv").string(), FFile.string()});
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Err, "quillmark-tag: " + FDir.File("broken.wmv").string() + ": not an ASF file\n" +
                       "quillmark-tag: " + FDir.File("missing.wmv").string() + ": not found\n");
  EXPECT_NE(R.Out.find("Stereoscopic"), std::string::npos);
}

TEST(TagTool, UsageErrorsHelpAndVersion)
{
  EXPECT_EQ(RunTool({}).Status, 2);
  EXPECT_EQ(RunTool({"dump"}).Status, 2);
  EXPECT_EQ(RunTool({"frobnicate", "x"}).Status, 2);
  TRun Bad = RunTool({"dump", "--bogus", "x"});
  EXPECT_EQ(Bad.Status, 2);
  EXPECT_FALSE(Bad.Err.empty());
  TRun Help = RunTool({"--help"});
  EXPECT_EQ(Help.Status, 0);
  EXPECT_NE(Help.Out.find("dump"), std::string::npos);
  TRun Version = RunTool({"--version"});
  EXPECT_EQ(Version.Status, 0);
  EXPECT_EQ(Version.Out.rfind("quillmark-tag 1.", 0), 0U);
}

} // namespace
} // namespace QuillmarkTest
