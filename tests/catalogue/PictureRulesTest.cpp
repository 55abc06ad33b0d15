#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "catalogue/FileSize.h"
#include "catalogue/PictureRules.h"
#include "common/TestFiles.h"
#include "common/TestJpeg.h"

namespace QuillmarkTest {

using namespace Quillmark;

namespace {

const std::u16string PreviewMessage =
    u"This image cannot be used as preview! Suitable images must be JPEG files smaller than 10 kB with a "
    u"resolution of 160 x 120 pixels.";
const std::u16string PosterMessage = u"This image cannot be used as title poster! Suitable images must be "
                                     u"JPEG files with a minimum resolution "
                                     u"of 480 x 480 pixels.";

class TPictureFiles : public ::testing::Test {
protected:
  std::string Write(const std::string& Name, const std::vector<std::uint8_t>& Bytes)
  {
    WriteFileBytes(FDir.File(Name), Bytes);
    return FDir.File(Name).string();
  }

  TTempDir FDir;
};

} // namespace

TEST(PictureRules, ExtensionIsJpgOrJpegInAnyCase)
{
  for (const char* Path : {"PHOTO.JPG", "photo.JpEg", "/a.b/c.jpg", "x.tar.jpeg", "dir.png/p.jpg", ".jpg"}) {
    EXPECT_TRUE(HasJpegExtension(Path)) << Path;
  }
  for (const char* Path :
       {"photo.jpe", "photo.jfif", "photo", "dir.jpg/photo", "photo.jpg.png", "photojpg", "photo.jpg "}) {
    EXPECT_FALSE(HasJpegExtension(Path)) << Path;
  }
}

TEST(PictureRules, PixelAndByteRules)
{
  EXPECT_TRUE(PixelSizeFits(TPictureKind::Preview, 160, 120));
  EXPECT_FALSE(PixelSizeFits(TPictureKind::Preview, 161, 120));
  EXPECT_FALSE(PixelSizeFits(TPictureKind::Preview, 160, 121));
  EXPECT_TRUE(PixelSizeFits(TPictureKind::Poster, 480, 480));
  EXPECT_TRUE(PixelSizeFits(TPictureKind::Poster, 4000, 480));
  EXPECT_FALSE(PixelSizeFits(TPictureKind::Poster, 479, 2000));
  EXPECT_FALSE(PixelSizeFits(TPictureKind::Poster, 2000, 479));
  EXPECT_TRUE(PreviewByteSizeFits(10240));
  EXPECT_FALSE(PreviewByteSizeFits(10241));
  EXPECT_TRUE(PreviewByteSizeFits(-1));
}

TEST(PictureRules, MessageTexts)
{
  EXPECT_EQ(PictureRejectedMessage(TPictureKind::Preview), PreviewMessage);
  EXPECT_EQ(PictureRejectedMessage(TPictureKind::Poster), PosterMessage);
  EXPECT_EQ(CouldNotOpenMessage("/home/u/Bilder/x\xC3\xA9.jpg"), u"Could not open file 'x\u00E9.jpg'!");
  EXPECT_EQ(CouldNotOpenMessage("x.jpg"), u"Could not open file 'x.jpg'!");
}

TEST_F(TPictureFiles, PreviewFiles)
{
  const TPictureLoadResult Largest = LoadPreviewFile(Write("largest.jpg", MakeJpeg(160, 120, 10240)));
  ASSERT_EQ(Largest.Status, TPictureLoad::Accepted);
  EXPECT_EQ(Largest.Image->Bytes(), MakeJpeg(160, 120, 10240)); // trailing bytes kept
  EXPECT_TRUE(Largest.Message.empty());

  for (const std::string& Path :
       {Write("big.jpg", MakeJpeg(160, 120, 10241)), Write("tall.jpg", MakeJpeg(160, 121)),
        Write("wide.jpeg", MakeJpeg(161, 120)), Write("right.jpe", MakeJpeg(160, 120)),
        Write("empty.jpg", {})}) {
    const TPictureLoadResult Result = LoadPreviewFile(Path);
    EXPECT_EQ(Result.Status, TPictureLoad::Rejected) << Path;
    EXPECT_EQ(Result.Image, nullptr);
    EXPECT_EQ(Result.Message, PreviewMessage);
  }
}

TEST_F(TPictureFiles, PosterFiles)
{
  EXPECT_EQ(LoadPosterFile(Write("p.JPG", MakeJpeg(480, 480))).Status, TPictureLoad::Accepted);
  EXPECT_EQ(LoadPosterFile(Write("large.jpg", MakeJpeg(480, 480, 300000))).Status, TPictureLoad::Accepted);
  for (const std::string& Path :
       {Write("narrow.jpg", MakeJpeg(479, 2000)), Write("low.jpg", MakeJpeg(2000, 479)),
        Write("p.png", MakeJpeg(480, 480)), Write("empty.jpeg", {})}) {
    const TPictureLoadResult Result = LoadPosterFile(Path);
    EXPECT_EQ(Result.Status, TPictureLoad::Rejected) << Path;
    EXPECT_EQ(Result.Message, PosterMessage);
  }
}

TEST_F(TPictureFiles, UnreadableFilesCannotBeOpened)
{
  const std::string Text = Write("x.jpg", {'h', 'e', 'l', 'l', 'o'});
  for (const TPictureLoadResult& Result : {LoadPreviewFile(Text), LoadPosterFile(Text)}) {
    EXPECT_EQ(Result.Status, TPictureLoad::CannotOpen);
    EXPECT_EQ(Result.Message, u"Could not open file 'x.jpg'!");
  }
  EXPECT_EQ(LoadPreviewFile(FDir.File("gone.jpg").string()).Status, TPictureLoad::CannotOpen);
  std::filesystem::create_directory(FDir.File("folder.jpg"));
  EXPECT_EQ(LoadPosterFile(FDir.File("folder.jpg").string()).Status, TPictureLoad::CannotOpen);
}

TEST_F(TPictureFiles, FileSizeByName)
{
  EXPECT_EQ(FileSizeByName(FDir.File("missing").string()), -1);
  EXPECT_EQ(FileSizeByName(""), -1);
  Write("five.bin", {1, 2, 3, 4, 5});
  EXPECT_EQ(FileSizeByName(FDir.File("five.bin").string()), 5);
  EXPECT_EQ(FileSizeByName(FDir.File("f*.b?n").string()), 5);
  Write("[1].bin", {1, 2});
  EXPECT_EQ(FileSizeByName(FDir.File("[1].bin").string()), 2); // brackets are no wildcard
  Write(".hidden", {1, 2, 3});
  EXPECT_EQ(FileSizeByName(FDir.File("*den").string()), 3);
  std::filesystem::create_directory(FDir.File("sub"));
  EXPECT_EQ(FileSizeByName(FDir.File("sub").string()), 0);

  const std::string Sparse = FDir.File("sparse.wmv").string();
  const int Descriptor = open(Sparse.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(Descriptor, 0);
  const off_t Size = (off_t{5} << 30) + 7;
  ASSERT_EQ(ftruncate(Descriptor, Size), 0);
  close(Descriptor);
  EXPECT_EQ(FileSizeByName(Sparse), Size);
}

} // namespace QuillmarkTest
