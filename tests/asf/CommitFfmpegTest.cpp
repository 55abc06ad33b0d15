// A real video made by ffmpeg decodes to the same frames after its header
// grew, on the inserting and on the copying path.
#include "asf/CommitTestFiles.h"
#include "common/TestFiles.h"

#include "asf/CommitImage.h"

#include <cstring>
#include <gtest/gtest.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

constexpr std::uint8_t FilePropertiesGuid[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                                 0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};

std::uint64_t Qword(const TBytes& Bytes, std::size_t At)
{
  return ReadQword(Bytes.data() + At);
}

// The file's own header less its top-level padding, plus an unknown object
// of Growth bytes so it no longer fits.
THeaderImage GrownImage(const TBytes& File, std::size_t Growth)
{
  std::uint64_t Size = Qword(File, 16);
  THeaderImage Image;
  Image.Bytes.assign(File.begin(), File.begin() + 30);
  std::uint32_t Count = 0;
  for (std::size_t At = 30; At < Size; At += Qword(File, At + 16)) {
    const std::uint8_t* Object = File.data() + At;
    if (std::memcmp(Object, Quillmark::Asf::Guids::Padding.Bytes.data(), 16) == 0) {
      continue;
    }
    if (std::memcmp(Object, FilePropertiesGuid, 16) == 0 && (File[At + 88] & 1U) == 0) {
      Image.FileSizeOffset = Image.Bytes.size() + 40;
    }
    Image.Bytes.insert(Image.Bytes.end(), Object, Object + Qword(File, At + 16));
    ++Count;
  }
  TBytes Unknown = RandomBytes(24 + Growth, 77);
  WriteQword(Unknown.data() + 16, Unknown.size());
  Image.Bytes.insert(Image.Bytes.end(), Unknown.begin(), Unknown.end());
  WriteQword(Image.Bytes.data() + 16, Image.Bytes.size());
  std::uint32_t NewCount = Count + 1;
  std::memcpy(Image.Bytes.data() + 24, &NewCount, 4);
  return Image;
}

std::string FrameDigests(const std::filesystem::path& Video)
{
  std::string Output;
  EXPECT_EQ(RunCommand("ffmpeg -v error -i '" + Video.string() + "' -f framemd5 - 2>/dev/null", &Output), 0);
  return Output;
}

// The duration comes from the header only while File Size matches the file.
std::string Duration(const std::filesystem::path& Video)
{
  std::string Output;
  EXPECT_EQ(RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + Video.string() +
                           "' 2>/dev/null",
                       &Output),
            0);
  return Output;
}

TEST(CommitWithFfmpeg, GrownHeaderLeavesEveryFrameAsItWas)
{
  if (RunCommand("command -v ffmpeg >/dev/null") != 0) {
    GTEST_SKIP() << "ffmpeg is not installed";
  }
  TTempDir Dir;
  std::filesystem::path Video = Dir.File("x.wmv");
  ASSERT_EQ(RunCommand("ffmpeg -v error -y -f lavfi -i testsrc=duration=1:size=160x120:rate=10 -c:v wmv2 '" +
                       Video.string() + "' 2>/dev/null"),
            0);
  TBytes Original = ReadFileBytes(Video);
  std::string Before = FrameDigests(Video);
  std::string Length = Duration(Video);
  ASSERT_NE(Before.find("0,"), std::string::npos);
  for (bool AllowInsert : {true, false}) {
    WriteFileBytes(Video, Original);
    {
      TOpenVideo Open(Video);
      TCommitRequest Request = Open.Request(GrownImage(Original, 5000), Qword(Original, 16));
      Request.AllowInsertRange = AllowInsert;
      ASSERT_EQ(CommitHeader(Request), S_OK);
    }
    TBytes Saved = ReadFileBytes(Video);
    EXPECT_GT(Saved.size(), Original.size());
    EXPECT_EQ(FrameDigests(Video), Before) << (AllowInsert ? "inserting" : "copying");
    EXPECT_EQ(Duration(Video), Length);
  }
}

} // namespace

} // namespace QuillmarkTest
