// A save of set that fails names its cause on the file's line and in
// set --json: a key for programs, and the message as printed.
#include "common/AsfBuilder.h"
#include "common/FaultyEditor.h"
#include "common/TestFiles.h"
#include "tag/SetBatch.h"
#include "tag/ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/stat.h>

namespace QuillmarkTest {
namespace {

using nlohmann::json;

class SaveFailures : public ::testing::Test {
protected:
  std::string MakeFile(const std::string& Name)
  {
    TAsfBuilder Builder;
    Builder.Add(ContentDescriptionObject({u"Old title", std::nullopt, std::nullopt, std::nullopt}));
    Builder.Add(PaddingObject(4000));
    WriteFileBytes(FDir.File(Name), Builder.File());
    return FDir.File(Name).string();
  }

  static std::string Failed(const std::string& Cause) { return Cause + "; not saved"; }

  TTempDir FDir;
};

// Causes the engine reports as result codes, through a batch of set.
TEST_F(SaveFailures, EachCauseIsNamedOnTheLineAndInJson)
{
  const struct {
    HRESULT Result;
    const char* Key;
    const char* Text;
  } Cases[] = {
      {E_DISK_FULL, "disk-full", "disk full"},
      {E_ACCESS_DENIED, "permission-denied", "permission denied"},
      {E_OWNER_NOT_KEPT, "owner-not-kept",
       "its header must grow by rewriting the file, and the copy could not keep the file's owner"},
      {E_FILE_CHANGED, "file-changed", "changed by another program since it was opened"},
      {E_FILE_HARD_LINKED, "hard-linked",
       "the file has other hard links, and its header can only grow by rewriting it"},
      {E_IO_FAILURE, "io-error", "input/output error"},
  };
  for (const auto& Case : Cases) {
    const std::string File = MakeFile("clip.wmv");
    const TBytes Before = ReadFileBytes(File);
    Quillmark::TOpenedCatalogue Opened;
    ASSERT_EQ(Quillmark::OpenCatalogue(File, Quillmark::TOpenAccess::ReadWrite, Opened), "");
    auto Faulty = std::make_shared<TFaultyEditor>(Opened.Editor);
    Faulty->Fail({TCall::Flush, std::nullopt, 0, -1, Case.Result});
    Opened.Editor = Faulty;
    Opened.Values.Title = u"New";
    Opened.Values.Changed.Mark(Quillmark::TAttribute::Title);
    std::vector<std::string> Messages;
    ASSERT_TRUE(Quillmark::WriteValues(Opened, Messages));

    std::ostringstream Err;
    std::ostringstream Out;
    Quillmark::TSetReport Report(true);
    Quillmark::TSetBatch Batch(1, false, Err);
    Batch.ReportTo(Report);
    Report.Begin(0, File);
    ASSERT_TRUE(Batch.MakeRoom(File));
    Batch.Add(0, File, std::move(Opened));
    EXPECT_FALSE(Batch.Save());
    Report.Print(Out);
    EXPECT_EQ(Err.str(), "quillmark-tag: " + File + ": " + Failed(Case.Text) + "\n") << Case.Key;
    const json Entry = json::parse(Out.str()).at(0);
    EXPECT_EQ(Entry["file"], File);
    EXPECT_EQ(Entry["saved"], false);
    EXPECT_EQ(Entry["error"]["code"], Case.Key);
    EXPECT_EQ(Entry["error"]["message"], Failed(Case.Text));
    EXPECT_EQ(ReadFileBytes(File), Before) << Case.Key;
  }
}

// A side file at a journal's name blocks the save of each file it sits
// beside, alone (a plain save) or with others (a batch that shares its
// syncs); the line names the side file to look at.
TEST_F(SaveFailures, ASideFileIsNamedWhetherTheFileIsSavedAloneOrInABatch)
{
  for (const std::vector<std::string>& Names :
       {std::vector<std::string>{"a.wmv"}, std::vector<std::string>{"a.wmv", "b.wmv"}}) {
    std::vector<std::string> Arguments = {"set", "--json", "--title", "New"};
    for (const std::string& Name : Names) {
      Arguments.push_back(MakeFile(Name));
    }
    const std::string Ok = MakeFile("ok.wmv");
    Arguments.push_back(Ok);
    for (const std::string& Name : Names) {
      const std::filesystem::path Side = FDir.File("." + Name + ".quillmark-journal");
      WriteFileBytes(Side, TBytes(100, 0x41));
      ASSERT_EQ(::chmod(Side.c_str(), 0666), 0);
    }
    TRun R = RunTool(Arguments);
    EXPECT_EQ(R.Status, 1);
    const json Files = json::parse(R.Out);
    ASSERT_EQ(Files.size(), Names.size() + 1);
    for (std::size_t At = 0; At < Names.size(); ++At) {
      const std::string Side = FDir.File("." + Names[At] + ".quillmark-journal").string();
      const std::string Message = "side file found: " + Side + "; not saved";
      EXPECT_NE(R.Err.find("quillmark-tag: " + FDir.File(Names[At]).string() + ": " + Message + "\n"),
                std::string::npos)
          << R.Err;
      EXPECT_EQ(Files[At]["error"]["code"], "side-file-found");
      EXPECT_EQ(Files[At]["error"]["message"], Message);
      std::filesystem::remove(Side);
    }
    EXPECT_EQ(Files.back()["file"], Ok);
    EXPECT_EQ(Files.back()["saved"], true);
    EXPECT_FALSE(Files.back().contains("error"));
  }
}

} // namespace
} // namespace QuillmarkTest
