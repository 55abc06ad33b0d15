// quillmark-tag compact gives back a header's room and keeps the rest of
// the file; a dry run only says how much.
#include "common/AsfBuilder.h"
#include "common/TestFiles.h"
#include "tag/ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace QuillmarkTest {
namespace {

using nlohmann::json;

constexpr std::size_t Room = 300000;

TEST(CompactCommand, GivesBackTheRoomKeepingValuesAndMedia)
{
  TTempDir Dir;
  TAsfBuilder Builder;
  Builder.Add(ContentDescriptionObject({u"Title", std::nullopt, std::nullopt, std::nullopt}));
  Builder.Add(PaddingObject(Room));
  const std::string File = Dir.File("clip.wmv").string();
  const TBytes Before = Builder.File();
  WriteFileBytes(File, Before);
  const TRun Shown = RunTool({"show", "--json", File});

  TRun Dry = RunTool({"compact", "--dry-run", "--json", File});
  ASSERT_EQ(Dry.Status, 0) << Dry.Err;
  const std::uint64_t Would = json::parse(Dry.Out)[0]["wouldFree"];
  // In place where the file system collapses ranges, by a copy elsewhere.
  const std::string Way = json::parse(Dry.Out)[0]["way"];
  EXPECT_GT(Would, Room - 8192);
  EXPECT_TRUE(Way == "collapsed room" || Way == "copy") << Way;
  const std::string Gives = std::to_string(Would) + " bytes (" + Way + ")\n";
  EXPECT_EQ(RunTool({"compact", "--dry-run", File}).Out, File + ": would give back " + Gives);
  EXPECT_EQ(ReadFileBytes(File), Before);

  TRun Done = RunTool({"-v", "compact", File});
  ASSERT_EQ(Done.Status, 0) << Done.Err;
  EXPECT_EQ(Done.Out, File + ": gave back " + Gives);
  const TBytes After = ReadFileBytes(File);
  ASSERT_EQ(After.size(), Before.size() - Would);
  // Everything from the Data Object on is the same bytes.
  EXPECT_TRUE(std::equal(After.end() - static_cast<long>(Before.size() - Builder.Header().size()),
                         After.end(), Before.begin() + static_cast<long>(Builder.Header().size())));
  EXPECT_EQ(RunTool({"show", "--json", File}).Out, Shown.Out);

  TRun Again = RunTool({"compact", "--json", File});
  EXPECT_EQ(json::parse(Again.Out)[0], json({{"file", File}, {"freed", 0}, {"way", nullptr}}));
  EXPECT_EQ(ReadFileBytes(File), After);

  TRun Missing = RunTool({"compact", "--json", Dir.File("missing.wmv").string()});
  EXPECT_EQ(Missing.Status, 1);
  EXPECT_EQ(json::parse(Missing.Out)[0]["error"]["code"], "not-found");
}

} // namespace
} // namespace QuillmarkTest
