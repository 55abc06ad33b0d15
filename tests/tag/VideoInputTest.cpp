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

class TVideoInput : public testing::Test {
protected:
  void SetUp() override
  {
    TScene Scene;
    Scene.Layout = TSceneLayout::SideBySideLF;
    Scene.Seconds = 4;
    ASSERT_TRUE(MakeSceneVideo(Scene, FGood));
    ASSERT_EQ(mkfifo(FFifo.c_str(), 0600), 0);
    // The default budget: a hole far larger than it.
    ASSERT_TRUE(MakeHoleVideo(FGood, FHole, 16ULL << 30));
  }

  TTempDir FDir;
  const std::string FGood = FDir.File("good.wmv").string();
  const std::string FFifo = FDir.File("pipe.wmv").string();
  const std::string FHole = FDir.File("hole.wmv").string();
};

TEST_F(TVideoInput, DetectGoesOnPastAFifoAndASparseHole)
{
  const TRun R = RunTool({"detect", FFifo, FHole, FGood});
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find(FFifo + ": The file is a FIFO (named pipe), not a video file\n"), std::string::npos)
      << R.Err;
  EXPECT_NE(R.Err.find(FHole + ": no picture found in the first 256 MB\n"), std::string::npos) << R.Err;
  EXPECT_NE(R.Out.find(FGood + ": SideBySideLF"), std::string::npos) << R.Out;
}

TEST_F(TVideoInput, SetLeavesASparseHoleAsItWas)
{
  const TRun R = RunTool({"set", "--detect-layout", FHole, FGood});
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find(FHole + ": no picture found in the first 256 MB; the file was left as it was"),
            std::string::npos)
      << R.Err;
  EXPECT_NE(R.Out.find(FGood + ": detected SideBySideLF"), std::string::npos) << R.Out;
  struct stat Status {};
  ASSERT_EQ(stat(FHole.c_str(), &Status), 0);
  // Still a hole: nothing of it was written.
  EXPECT_LT(Status.st_blocks, 1024);
}

} // namespace
} // namespace QuillmarkTest
