// quillmark-tag detect and set on files whose video cannot be read: each is
// refused or given up on at once with its message, and the files after it
// are still looked at.
#include "common/SyntheticVideo.h"
#include "common/TestFiles.h"
#include "tag/ToolRun.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace QuillmarkTest {
namespace {

class VideoInput : public testing::Test {
protected:
  void SetUp() override
  {
    TScene Scene;
    Scene.Layout = TSceneLayout::SideBySideLF;
    Scene.Seconds = 2;
    ASSERT_TRUE(MakeSceneVideo(Scene, Good));
    ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
    // The default budget: a hole far larger than it.
    ASSERT_TRUE(MakeHoleVideo(Good, Hole, 16ULL << 30));
  }

  TTempDir FDir;
  const std::string Good = FDir.File("good.wmv").string();
  const std::string Fifo = FDir.File("pipe.wmv").string();
  const std::string Hole = FDir.File("hole.wmv").string();
};

TEST_F(VideoInput, DetectGoesOnPastAFifoAndASparseHole)
{
  const TRun R = RunTool({"detect", Fifo, Hole, Good});
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find(Fifo + ": The file is a FIFO (named pipe), not a video file\n"), std::string::npos)
      << R.Err;
  EXPECT_NE(R.Err.find(Hole + ": no picture found in the first 256 MB\n"), std::string::npos) << R.Err;
  EXPECT_NE(R.Out.find(Good + ": SideBySideLF"), std::string::npos) << R.Out;
}

TEST_F(VideoInput, SetLeavesASparseHoleAsItWas)
{
  const TRun R = RunTool({"set", "--detect-layout", Hole, Good});
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find(Hole + ": no picture found in the first 256 MB; the file was left as it was"),
            std::string::npos)
      << R.Err;
  EXPECT_NE(R.Out.find(Good + ": detected SideBySideLF"), std::string::npos) << R.Out;
  struct stat Status {};
  ASSERT_EQ(stat(Hole.c_str(), &Status), 0);
  // Still a hole: nothing of it was written.
  EXPECT_LT(Status.st_blocks, 1024);
}

} // namespace
} // namespace QuillmarkTest
