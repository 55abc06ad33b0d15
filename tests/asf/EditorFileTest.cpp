// Files on disk: opening holds the file exclusively, Flush writes the header
// in place and touches nothing else.
#include "asf/ByteReader.h"
#include "asf/ByteWriter.h"
#include "asf/HeaderParser.h"
#include "common/AsfBuilder.h"
#include "common/EditorProbe.h"
#include "common/TestFiles.h"
#include "metadata/TextConversion.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace QuillmarkTest {
namespace {

using namespace Quillmark;

std::u16string Wide(const std::filesystem::path& Path)
{
  return Utf8ToUtf16(Path.string());
}

class EditorFileTest : public ::testing::Test {
protected:
  void Write(const TBytes& Bytes) { WriteFileBytes(FPath, Bytes); }
  HRESULT Open(Asf::TMetadataEditor& Editor)
  {
    return Editor.OpenEx(Wide(FPath).c_str(), GENERIC_READ | GENERIC_WRITE, 0);
  }

  TTempDir FDir;
  std::filesystem::path FPath = FDir.File("video.wmv");
};

TBytes PaddedFile(std::size_t Padding)
{
  TAsfBuilder Builder;
  Builder.Add(ContentDescriptionObject({u"Old title", u"Someone"}));
  Builder.Add(ExtendedContentObject({StringRecord(u"Genre", u"Jazz")}));
  if (Padding > 0) {
    Builder.Add(PaddingObject(Padding));
  }
  return Builder.File();
}

TEST_F(EditorFileTest, OpenHoldsTheFileAgainstEveryOtherOpen)
{
  Write(PaddedFile(0));
  Asf::TMetadataEditor First;
  ASSERT_EQ(Open(First), S_OK);
  Asf::TMetadataEditor Second;
  EXPECT_EQ(Open(Second), E_FILE_LOCKED);
  EXPECT_EQ(Second.OpenEx(Wide(FPath).c_str(), GENERIC_READ, FILE_SHARE_READ), E_FILE_LOCKED);
  pid_t Child = fork();
  if (Child == 0) {
    Asf::TMetadataEditor Other;
    _exit(Open(Other) == E_FILE_LOCKED ? 0 : 1);
  }
  int Status = 0;
  waitpid(Child, &Status, 0);
  EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0) << "another process opened the held file";
  ASSERT_EQ(First.Close(), S_OK);
  EXPECT_EQ(Open(Second), S_OK);
}

TEST_F(EditorFileTest, RefusesWhatCannotBeOpenedForWriting)
{
  Asf::TMetadataEditor Editor;
  EXPECT_EQ(Open(Editor), E_IO_FAILURE); // missing
  EXPECT_EQ(Editor.OpenEx(Wide(FDir.Path()).c_str(), GENERIC_READ | GENERIC_WRITE, 0), E_IO_FAILURE);
  Write(PaddedFile(0));
  EXPECT_EQ(Editor.OpenEx(Wide(FPath).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ),
            E_INVALID_ARGUMENT);
  EXPECT_EQ(Editor.OpenEx(Wide(FPath).c_str(), GENERIC_WRITE, 0), E_INVALID_ARGUMENT);
  if (geteuid() != 0) {
    chmod(FPath.c_str(), 0444);
    EXPECT_EQ(Open(Editor), E_IO_FAILURE);
  }
  WriteFileBytes(FDir.File("text.wmv"), TBytes(1000, 'x'));
  EXPECT_EQ(Editor.OpenEx(Wide(FDir.File("text.wmv")).c_str(), GENERIC_READ | GENERIC_WRITE, 0),
            E_CORRUPT_HEADER);
  // A pipe is no video, and is told as such even while another program
  // holds a lock on it (the lock is taken before the file is looked at).
  const std::filesystem::path Pipe = FDir.File("pipe.wmv");
  ASSERT_EQ(mkfifo(Pipe.c_str(), 0600), 0);
  const int Holder = open(Pipe.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(Holder, 0);
  struct flock Held {};
  Held.l_type = F_WRLCK;
  Held.l_whence = SEEK_SET;
  ASSERT_EQ(fcntl(Holder, F_OFD_SETLK, &Held), 0);
  for (DWORD Access : {GENERIC_READ | GENERIC_WRITE, DWORD{GENERIC_READ}}) {
    Asf::TMetadataEditor Other;
    const DWORD Share = Access == GENERIC_READ ? FILE_SHARE_READ : 0;
    EXPECT_EQ(Other.OpenEx(Wide(Pipe).c_str(), Access, Share), E_IO_FAILURE);
  }
  close(Holder);
}

TEST_F(EditorFileTest, FlushWithoutChangesLeavesTheFileAsItWas)
{
  TBytes Original = PaddedFile(100);
  Write(Original);
  struct stat Before {};
  stat(FPath.c_str(), &Before);
  Asf::TMetadataEditor Editor;
  ASSERT_EQ(Open(Editor), S_OK);
  ASSERT_EQ(Editor.Flush(), S_OK);
  EXPECT_EQ(ReadFileBytes(FPath), Original);
  WORD Count = 0;
  EXPECT_EQ(Editor.GetAttributeCount(0, &Count), E_INVALID_STATE); // Flush lets go of the file
  EXPECT_EQ(Editor.Flush(), E_INVALID_STATE);
  EXPECT_EQ(Open(Editor), S_OK); // and the same editor opens it again
}

TEST_F(EditorFileTest, ShrinkingSaveWritesInPlaceAndKeepsTheData)
{
  TBytes Original = PaddedFile(0);
  Write(Original);
  Asf::TMetadataEditor Editor;
  ASSERT_EQ(Open(Editor), S_OK);
  std::size_t HeaderSize = Editor.OriginalHeader().size();
  TBytes Short = StringValue(u"T");
  ASSERT_EQ(Editor.SetAttribute(0, u"Title", WMT_TYPE_STRING, Short.data(), static_cast<WORD>(Short.size())),
            S_OK);
  ASSERT_EQ(Editor.DeleteAttribute(0, 1), S_OK); // Author
  ASSERT_EQ(Editor.Flush(), S_OK);
  TBytes Now = ReadFileBytes(FPath);
  ASSERT_EQ(Now.size(), Original.size());
  EXPECT_TRUE(std::equal(Now.begin() + static_cast<std::ptrdiff_t>(HeaderSize), Now.end(),
                         Original.begin() + static_cast<std::ptrdiff_t>(HeaderSize)));
  ASSERT_EQ(Open(Editor), S_OK);
  EXPECT_EQ(Names(ListStream(Editor, 0)), (std::vector<std::u16string>{u"Title", u"Genre"}));
  EXPECT_EQ(ListStream(Editor, 0)[0].Value, Short);
}

TEST_F(EditorFileTest, GrowingWithinPaddingWritesInPlaceAndFixesFileSize)
{
  TBytes Original = PaddedFile(4000);
  // A wrong File Size is set right by the save.
  std::size_t FileSizeAt = 30 + 40;
  Asf::StoreQword(Original, FileSizeAt, 12345);
  Write(Original);
  Asf::TMetadataEditor Editor;
  ASSERT_EQ(Open(Editor), S_OK);
  TBytes Poster(3000, 0xD8);
  ASSERT_EQ(Editor.AddAttribute(0, u"Poster", nullptr, WMT_TYPE_BINARY, 0, Poster.data(), 3000), S_OK);
  int Calls = 0;
  Editor.SetProgressCallback([&](QWORD, QWORD) { ++Calls; });
  ASSERT_EQ(Editor.Flush(), S_OK);
  EXPECT_EQ(Calls, 0); // nothing is copied
  TBytes Now = ReadFileBytes(FPath);
  ASSERT_EQ(Now.size(), Original.size());
  EXPECT_EQ(Asf::LoadQword(Now, FileSizeAt), Now.size());
  ASSERT_EQ(Open(Editor), S_OK);
  EXPECT_EQ(ListStream(Editor, 0).back().Value, Poster);
}

// A megabyte of padding is not read at open and stays untouched past the
// objects that grow into it, whatever it holds.
TEST_F(EditorFileTest, EditsGrowIntoUnreadPaddingAndLeaveTheRestAsItWas)
{
  TBytes Original = PaddedFile(1 << 20);
  auto PaddingEnd = Original.begin() + static_cast<long>(Asf::LoadQword(Original, 16));
  std::fill(PaddingEnd - 100000, PaddingEnd, 0x5A);
  Write(Original);
  Asf::TMetadataEditor Editor;
  ASSERT_EQ(Open(Editor), S_OK);
  EXPECT_LT(Editor.OriginalHeader().size(), Asf::FirstReadSize);
  TBytes Poster(300000, 0xD8);
  ASSERT_EQ(Editor.AddAttribute(0, u"Poster", nullptr, WMT_TYPE_BINARY, 0, Poster.data(), 300000), S_OK);
  ASSERT_EQ(Editor.Flush(), S_OK);
  TBytes Now = ReadFileBytes(FPath);
  ASSERT_EQ(Now.size(), Original.size());
  EXPECT_TRUE(std::equal(Now.begin() + 400000, Now.end(), Original.begin() + 400000));
  ASSERT_EQ(Open(Editor), S_OK);
  EXPECT_EQ(ListStream(Editor, 0).back().Value, Poster);
  EXPECT_EQ(ListStream(Editor, 0).front().Value, StringValue(u"Old title"));
}

TEST_F(EditorFileTest, HeaderThatDoesNotFitGrowsAndKeepsTheData)
{
  TBytes Original = PaddedFile(0);
  Write(Original);
  const std::uint64_t HeaderSize = Asf::LoadQword(Original, 16);
  Asf::TMetadataEditor Editor;
  ASSERT_EQ(Open(Editor), S_OK);
  TBytes Value(100, 1);
  ASSERT_EQ(Editor.AddAttribute(0, u"More", nullptr, WMT_TYPE_BINARY, 0, Value.data(), 100), S_OK);
  ASSERT_EQ(Editor.Flush(), S_OK);
  TBytes Now = ReadFileBytes(FPath);
  const std::uint64_t NewHeaderSize = Asf::LoadQword(Now, 16);
  ASSERT_GT(NewHeaderSize, HeaderSize);
  ASSERT_EQ(Now.size() - NewHeaderSize, Original.size() - HeaderSize);
  EXPECT_TRUE(std::equal(Now.begin() + static_cast<std::ptrdiff_t>(NewHeaderSize), Now.end(),
                         Original.begin() + static_cast<std::ptrdiff_t>(HeaderSize)));
  ASSERT_EQ(Open(Editor), S_OK);
  EXPECT_EQ(ListStream(Editor, 0).back().Value, Value);
}

TEST_F(EditorFileTest, AFileChangedUnderneathIsNotWritten)
{
  Write(PaddedFile(200));
  Asf::TMetadataEditor Editor;
  ASSERT_EQ(Open(Editor), S_OK);
  ASSERT_EQ(Editor.DeleteAttribute(0, 0), S_OK);
  {
    std::FILE* Append = std::fopen(FPath.c_str(), "ab");
    std::fputc(0, Append);
    std::fclose(Append);
  }
  TBytes Before = ReadFileBytes(FPath);
  EXPECT_EQ(Editor.Flush(), E_FILE_CHANGED);
  EXPECT_EQ(ReadFileBytes(FPath), Before);
}

// A save goes to the file the editor opened, found where its path led at
// open: a link pointed elsewhere since does not carry the save to another
// file, and a file moved away is not written at all.
TEST_F(EditorFileTest, ASaveWritesOnlyTheFileOpenedWhereItWas)
{
  Write(PaddedFile(200));
  const std::filesystem::path Other = FDir.File("other.wmv");
  const std::filesystem::path Link = FDir.File("link.wmv");
  WriteFileBytes(Other, PaddedFile(200));
  std::filesystem::create_symlink("video.wmv", Link);
  const TBytes Before = ReadFileBytes(FPath);
  const TBytes OtherBefore = ReadFileBytes(Other);

  Asf::TMetadataEditor Editor;
  ASSERT_EQ(Editor.OpenEx(Wide(Link).c_str(), GENERIC_READ | GENERIC_WRITE, 0), S_OK);
  ASSERT_EQ(Editor.DeleteAttribute(0, 0), S_OK);
  std::filesystem::remove(Link);
  std::filesystem::create_symlink("other.wmv", Link);
  ASSERT_EQ(Editor.Flush(), S_OK);
  EXPECT_NE(ReadFileBytes(FPath), Before);
  EXPECT_EQ(ReadFileBytes(Other), OtherBefore);

  ASSERT_EQ(Editor.OpenEx(Wide(Other).c_str(), GENERIC_READ | GENERIC_WRITE, 0), S_OK);
  ASSERT_EQ(Editor.DeleteAttribute(0, 0), S_OK);
  std::filesystem::rename(Other, FDir.File("moved.wmv"));
  EXPECT_EQ(Editor.Flush(), E_FILE_CHANGED);
  EXPECT_EQ(ReadFileBytes(FDir.File("moved.wmv")), OtherBefore);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FDir.Path()), {}), 3); // no side file
}

TEST_F(EditorFileTest, ReadOnlyOpenSharesWithReadersAndRefusesEdits)
{
  Write(PaddedFile(0));
  Asf::TMetadataEditor Reader1;
  Asf::TMetadataEditor Reader2;
  ASSERT_EQ(Reader1.OpenEx(Wide(FPath).c_str(), GENERIC_READ, FILE_SHARE_READ), S_OK);
  ASSERT_EQ(Reader2.OpenEx(Wide(FPath).c_str(), GENERIC_READ, FILE_SHARE_READ), S_OK);
  Asf::TMetadataEditor Writer;
  EXPECT_EQ(Open(Writer), E_FILE_LOCKED);
  EXPECT_EQ(Reader1.DeleteAttribute(0, 0), E_INVALID_REQUEST);
  EXPECT_EQ(Reader1.Flush(), S_OK);
}

} // namespace
} // namespace QuillmarkTest
