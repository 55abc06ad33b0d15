// A compacting save gives back a header's room beyond the margin, and,
// failed or stopped at any call, leaves the old file or the compacted one.
#include "common/TestFiles.h"
#include "metadata/CommitFaultFileSystem.h"
#include "metadata/CommitTestFiles.h"
#include "metadata/asf/HeaderCompact.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

// The sample's header: 2000 bytes of its own objects and 300 KB of padding,
// as after a poster was removed.
constexpr std::size_t Room = 300000;

HRESULT Compact(const std::filesystem::path& Video, const TSampleFile& Sample, TFaultFileSystem& Fs,
                bool& Crashed)
{
  TOpenVideo Open(Video);
  TCommitRequest Request = Open.Request(MakeImage(2000), Sample.HeaderSize);
  Request.CompactPadding = CompactMargin;
  return CommitThrough(Fs, Request, Crashed);
}

TEST(CompactTest, GivesBackTheRoomAndAnyFaultLeavesTheOldOrTheCompactedFile)
{
  TTempDir Dir;
  const std::filesystem::path Video = Dir.File("clip.wmv");
  const TSampleFile Sample = MakeSample(2000, Room);
  const TBytes Compacted = ExpectedFile(MakeImage(2000), CompactMargin, Sample.Rest());
  ASSERT_LT(Compacted.size() + Room - CompactMargin - 100, Sample.Bytes.size());

  WriteFileBytes(Video, Sample.Bytes);
  TFaultFileSystem Clean;
  bool Crashed = false;
  ASSERT_EQ(Compact(Video, Sample, Clean, Crashed), S_OK);
  ASSERT_EQ(ReadFileBytes(Video), Compacted);
  for (int Nth = 1; Nth <= Clean.Calls(); ++Nth) {
    for (const bool Crash : {false, true}) {
      WriteFileBytes(Video, Sample.Bytes);
      TFaultFileSystem Fs;
      if (Crash) {
        Fs.CrashAtNth(Nth);
      } else {
        Fs.FailNth(Nth, EIO);
      }
      const HRESULT Result = Compact(Video, Sample, Fs, Crashed);
      const std::string Where = "call " + std::to_string(Nth) + (Crash ? " crash" : " error");
      ASSERT_EQ(Recover(Video), S_OK) << Where;
      const TBytes File = ReadFileBytes(Video);
      if (Crashed) {
        EXPECT_TRUE(File == Sample.Bytes || File == Compacted) << Where;
      } else {
        EXPECT_EQ(File, Result == S_OK ? Compacted : Sample.Bytes) << Where;
      }
      EXPECT_TRUE(SideFiles(Dir.Path()).empty()) << Where;
    }
  }
}

} // namespace

} // namespace QuillmarkTest
