// What a user's folder can hold that the program must not trust: names that
// are no UTF-8, pictures that are FIFOs, devices or decoding bombs, and the
// reasons given when a file does not open.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <jpeglib.h>

#include "asf/MetadataEditorImpl.h"
#include "catalogue/BoundedRead.h"
#include "catalogue/PictureRules.h"
#include "common/AsfBuilder.h"
#include "common/TestFiles.h"
#include "common/TestJpeg.h"
#include "metadata/MetadataEditor.h"
#include "metadata/TextConversion.h"

namespace QuillmarkTest {

using namespace Quillmark;

namespace {

TBytes SmallFile(const std::u16string& Title)
{
  TAsfBuilder Builder;
  Builder.Add(ExtendedContentObject({StringRecord(u"Title", Title)})).Add(PaddingObject(4000));
  return Builder.File();
}

std::u16string TitleIn(const std::string& Path)
{
  auto Editor = std::make_shared<Asf::TMetadataEditor>();
  if (Editor->OpenEx(PathToUtf16(Path).c_str(), GENERIC_READ, FILE_SHARE_READ) != S_OK) {
    return u"(does not open)";
  }
  WMT_ATTR_DATATYPE Type{};
  WORD Stream = 0;
  BYTE Value[256];
  WORD Length = sizeof Value;
  if (Editor->GetAttributeByName(&Stream, u"Title", &Type, Value, &Length) != S_OK || Length < 2) {
    return u"(none)";
  }
  return std::u16string(reinterpret_cast<const char16_t*>(Value), Length / 2 - 1);
}

// A progressive JPEG whose last scan is repeated Copies times: every copy
// is one more pass over the picture for a decoder that does not count.
std::vector<std::uint8_t> ManyScanJpeg(int Side, int Copies)
{
  jpeg_compress_struct Info{};
  jpeg_error_mgr Errors{};
  Info.err = jpeg_std_error(&Errors);
  jpeg_create_compress(&Info);
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
  jpeg_mem_dest(&Info, &Buffer, &Size);
  Info.image_width = static_cast<JDIMENSION>(Side);
  Info.image_height = static_cast<JDIMENSION>(Side);
  Info.input_components = 1;
  Info.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&Info);
  jpeg_simple_progression(&Info);
  jpeg_start_compress(&Info, TRUE);
  std::vector<JSAMPLE> Row(static_cast<std::size_t>(Side), 128);
  while (Info.next_scanline < Info.image_height) {
    JSAMPROW Rows[1] = {Row.data()};
    jpeg_write_scanlines(&Info, Rows, 1);
  }
  jpeg_finish_compress(&Info);
  jpeg_destroy_compress(&Info);
  std::vector<std::uint8_t> Bytes(Buffer, Buffer + Size);
  std::free(Buffer);
  std::size_t LastScan = 0;
  for (std::size_t At = 0; At + 1 < Bytes.size(); ++At) {
    if (Bytes[At] == 0xFF && Bytes[At + 1] == 0xDA) {
      LastScan = At;
    }
  }
  const std::vector<std::uint8_t> Scan(Bytes.begin() + static_cast<std::ptrdiff_t>(LastScan),
                                       Bytes.end() - 2);
  std::vector<std::uint8_t> Bomb(Bytes.begin(), Bytes.end() - 2);
  for (int Copy = 0; Copy < Copies; ++Copy) {
    Bomb.insert(Bomb.end(), Scan.begin(), Scan.end());
  }
  Bomb.push_back(0xFF);
  Bomb.push_back(0xD9);
  return Bomb;
}

// A baseline stream whose frame header is changed to claim another size.
std::vector<std::uint8_t> ClaimingSize(std::vector<std::uint8_t> Bytes, std::uint16_t Width,
                                       std::uint16_t Height)
{
  for (std::size_t At = 0; At + 9 < Bytes.size(); ++At) {
    if (Bytes[At] == 0xFF && Bytes[At + 1] == 0xC0) {
      Bytes[At + 5] = static_cast<std::uint8_t>(Height >> 8);
      Bytes[At + 6] = static_cast<std::uint8_t>(Height & 0xFF);
      Bytes[At + 7] = static_cast<std::uint8_t>(Width >> 8);
      Bytes[At + 8] = static_cast<std::uint8_t>(Width & 0xFF);
      break;
    }
  }
  return Bytes;
}

} // namespace

TEST(PathBytes, EveryByteStringComesBackExactly)
{
  const std::vector<std::string> Names = {"plain.wmv",
                                          "caf\xC3\xA9.wmv",
                                          "a\xFF.wmv",
                                          "a\xEF\xBF\xBD.wmv",
                                          "\xC3(",
                                          "\xED\xA0\x80x",
                                          "\xF4\x90\x80\x80",
                                          "\xC0\xAF",
                                          "\xE2\x82",
                                          "\x80\x81\xFE\xFF",
                                          "\xF0\x9F\x98\x80",
                                          "trail\xF0\x9F\x98",
                                          "\xF0\x9F\x98\x80\xFF"};
  for (const std::string& Name : Names) {
    const std::u16string Wide = PathToUtf16(Name);
    EXPECT_EQ(Utf16ToPath(Wide), Name) << Name;
    EXPECT_EQ(HasEscapedBytes(Wide), Utf8ToUtf16(Name) != Wide || Utf16ToUtf8(Utf8ToUtf16(Name)) != Name)
        << Name;
  }
  // The neighbour's name is real text and stays apart from the escaped byte.
  EXPECT_NE(PathToUtf16("a\xFF"), PathToUtf16("a\xEF\xBF\xBD"));
  EXPECT_EQ(DisplayPath(PathToUtf16("a\xFF")), u"a\uFFFD");
  // A surrogate pair is text, not two escapes; a lone high surrogate is no byte.
  EXPECT_EQ(Utf16ToPath(u"\xD83D\xDC80"), "\xF0\x9F\x92\x80");
  EXPECT_EQ(Utf16ToPath(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(PathBytes, TheEngineOpensAndSavesTheNamedFileOnly)
{
  TTempDir Dir;
  const std::string Odd = Dir.File("a\xFF.wmv").string();
  const std::string Neighbour = Dir.File("a\xEF\xBF\xBD.wmv").string();
  WriteFileBytes(Odd, SmallFile(u"Odd"));
  WriteFileBytes(Neighbour, SmallFile(u"Neighbour"));
  const TBytes NeighbourBefore = ReadFileBytes(Neighbour);

  auto Editor = std::make_shared<Asf::TMetadataEditor>();
  ASSERT_EQ(Editor->OpenEx(PathToUtf16(Odd).c_str(), GENERIC_READ | GENERIC_WRITE, 0), S_OK);
  const std::u16string Title = u"Changed";
  ASSERT_EQ(Editor->SetAttribute(0, u"Title", WMT_TYPE_STRING, reinterpret_cast<const BYTE*>(Title.c_str()),
                                 static_cast<WORD>((Title.size() + 1) * 2)),
            S_OK);
  ASSERT_EQ(Editor->Flush(), S_OK);
  EXPECT_EQ(TitleIn(Odd), u"Changed");
  EXPECT_EQ(ReadFileBytes(Neighbour), NeighbourBefore);

  // A name whose byte has no file is not found, even with the neighbour there.
  std::filesystem::remove(Odd);
  EXPECT_EQ(Editor->OpenEx(PathToUtf16(Odd).c_str(), GENERIC_READ, FILE_SHARE_READ), E_IO_FAILURE);
  EXPECT_EQ(Editor->LastFailure().Cause, TFailureCause::NotFound);
}

TEST(HostilePictures, WhatIsNoRegularFileOrTooLargeIsRefusedAtOnce)
{
  TTempDir Dir;
  const std::string Fifo = Dir.File("x.jpg").string();
  ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
  const std::string Zero = Dir.File("zero.jpg").string();
  std::filesystem::create_symlink("/dev/zero", Zero);
  const std::string Folder = Dir.File("folder.jpg").string();
  std::filesystem::create_directory(Folder);
  // A poster file over its limit (sparse: it costs no disk).
  const std::string Poster = Dir.File("huge.jpg").string();
  WriteFileBytes(Poster, MakeJpeg(480, 480));
  ASSERT_EQ(truncate(Poster.c_str(), MaxPosterBytes + 1), 0);

  const auto Start = std::chrono::steady_clock::now();
  for (TPictureKind Kind : {TPictureKind::Preview, TPictureKind::Poster}) {
    EXPECT_EQ(LoadPictureFile(Kind, Folder).Status, TPictureLoad::CannotOpen);
    for (const std::string& Path : {Fifo, Zero}) {
      const TPictureLoadResult Result = LoadPictureFile(Kind, Path);
      EXPECT_EQ(Result.Status, TPictureLoad::Rejected) << Path;
      EXPECT_EQ(Result.Message, PictureRejectedMessage(Kind)) << Path;
    }
  }
  EXPECT_EQ(LoadPictureFile(TPictureKind::Poster, Poster).Status, TPictureLoad::Rejected);
  // Nothing above waited for a writer or read an endless device.
  EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(5));

  std::vector<std::uint8_t> Bytes;
  EXPECT_EQ(ReadBoundedFile(Zero, 100, Bytes).Status, TBoundedRead::NotRegular);
  EXPECT_EQ(ReadBoundedFile(Dir.File("missing.jpg").string(), 100, Bytes).Error, ENOENT);
  WriteFileBytes(Dir.File("ten.bin"), TBytes(10, 1));
  EXPECT_EQ(ReadBoundedFile(Dir.File("ten.bin").string(), 9, Bytes).Status, TBoundedRead::TooLarge);
  EXPECT_EQ(ReadBoundedFile(Dir.File("ten.bin").string(), 10, Bytes).Status, TBoundedRead::Ok);
  EXPECT_EQ(Bytes.size(), 10U);
}

TEST(HostilePictures, DecodingIsBoundedInScansAndSize)
{
  // A dozen scans decode; thousands stop the decoder.
  TJpegImage Fair;
  ASSERT_TRUE(Fair.LoadFromBytes(ManyScanJpeg(480, 2)));
  EXPECT_EQ(Fair.Pixels().size(), 480U * 480U * 3U);
  TJpegImage Bomb;
  ASSERT_TRUE(Bomb.LoadFromBytes(ManyScanJpeg(480, 3000)));
  EXPECT_EQ(Bomb.Width(), 480);
  EXPECT_TRUE(Bomb.Pixels().empty());
  // A large picture is allowed fewer scans.
  TJpegImage LargeBomb;
  ASSERT_TRUE(LargeBomb.LoadFromBytes(ManyScanJpeg(2048, 200)));
  EXPECT_TRUE(LargeBomb.Pixels().empty());

  // A header claiming 65,500 x 65,500 is taken as that size, never decoded.
  TJpegImage Huge;
  ASSERT_TRUE(Huge.LoadFromBytes(ClaimingSize(MakeJpeg(480, 480), 65500, 65500)));
  EXPECT_EQ(Huge.Width(), 65500);
  EXPECT_TRUE(Huge.Pixels().empty());
  EXPECT_TRUE(AcceptStoredPicture(TPictureKind::Poster, ClaimingSize(MakeJpeg(480, 480), 65500, 65500)));
}

TEST(FailureReasons, EachFailedOpenSaysWhy)
{
  TTempDir Dir;
  WriteFileBytes(Dir.File("good.wmv"), SmallFile(u"T"));
  WriteFileBytes(Dir.File("text.wmv"), TBytes(100, 'x'));
  TBytes Damaged = SmallFile(u"T");
  Damaged[21] = 0x01; // the header's size field now claims a terabyte
  WriteFileBytes(Dir.File("damaged.wmv"), Damaged);
  WriteFileBytes(Dir.File("locked.wmv"), SmallFile(u"T"));
  auto Holder = std::make_shared<Asf::TMetadataEditor>();
  ASSERT_EQ(
      Holder->OpenEx(PathToUtf16(Dir.File("locked.wmv").string()).c_str(), GENERIC_READ | GENERIC_WRITE, 0),
      S_OK);

  struct TCase {
    const char* Name;
    TFailureCause Cause;
    const char* Text;
  };
  const TCase Cases[] = {
      {"missing.wmv", TFailureCause::NotFound, "not found"},
      {"text.wmv", TFailureCause::NotAsf, "not an ASF file"},
      {"damaged.wmv", TFailureCause::DamagedHeader, "damaged header"},
      {"locked.wmv", TFailureCause::HeldByAnotherProgram, "held by another program"},
  };
  for (const TCase& Case : Cases) {
    TRef<IWMMetadataEditor> Editor;
    ASSERT_EQ(WMCreateEditor(Editor), S_OK);
    auto Editor2 = QueryInterface<IWMMetadataEditor2>(Editor);
    const HRESULT Result =
        Editor2->OpenEx(PathToUtf16(Dir.File(Case.Name).string()).c_str(), GENERIC_READ | GENERIC_WRITE, 0);
    EXPECT_NE(Result, S_OK) << Case.Name;
    const TFailureReason Reason = LastFailureOf(Editor, Result);
    EXPECT_EQ(Reason.Cause, Case.Cause) << Case.Name;
    EXPECT_EQ(FailureReasonText(Reason), Case.Text) << Case.Name;
    // A later success clears the reason.
    ASSERT_EQ(
        Editor2->OpenEx(PathToUtf16(Dir.File("good.wmv").string()).c_str(), GENERIC_READ, FILE_SHARE_READ),
        S_OK);
    EXPECT_EQ(QueryInterface<IQuillmarkFailureReason>(Editor)->LastFailure().Cause, TFailureCause::None);
    Editor2->Close();
  }
  Holder->Close();

  // The causes of system errors, and the text of one the program names.
  EXPECT_EQ(FailureReasonOfErrno(EACCES).Cause, TFailureCause::PermissionDenied);
  EXPECT_EQ(FailureReasonOfErrno(EROFS).Cause, TFailureCause::PermissionDenied);
  EXPECT_EQ(FailureReasonOfErrno(ENOSPC).Cause, TFailureCause::DiskFull);
  EXPECT_EQ(FailureReasonOfErrno(EIO).Cause, TFailureCause::IoError);
  EXPECT_EQ(FailureReasonOfErrno(ELOOP).Cause, TFailureCause::Other);
  EXPECT_FALSE(FailureReasonOfErrno(ELOOP).Detail.empty());
  EXPECT_EQ(FailureReasonText({TFailureCause::SideFileFound, "a.wmv.journal"}),
            "side file found: a.wmv.journal");
  // An editor that gives no reason still has one from its result.
  EXPECT_EQ(LastFailureOf(nullptr, E_DISK_FULL).Cause, TFailureCause::DiskFull);
}

namespace {

// The cause of opening Path for writing, as the user running the test or,
// when that is root (who may write anything), as an unprivileged user in a
// child process.
TFailureCause CauseOfWritableOpen(const std::string& Path)
{
  auto Open = [&Path] {
    auto Editor = std::make_shared<Asf::TMetadataEditor>();
    Editor->OpenEx(PathToUtf16(Path).c_str(), GENERIC_READ | GENERIC_WRITE, 0);
    return Editor->LastFailure().Cause;
  };
  if (geteuid() != 0) {
    return Open();
  }
  const pid_t Child = fork();
  if (Child == 0) {
    constexpr uid_t Nobody = 65534;
    if (setresgid(Nobody, Nobody, Nobody) != 0 || setresuid(Nobody, Nobody, Nobody) != 0) {
      _exit(100);
    }
    _exit(static_cast<int>(Open()));
  }
  int Status = 0;
  waitpid(Child, &Status, 0);
  return static_cast<TFailureCause>(WEXITSTATUS(Status));
}

} // namespace

TEST(FailureReasons, AFileTheUserMayNotWriteIsPermissionDenied)
{
  TTempDir Dir;
  ASSERT_EQ(chmod(Dir.Path().c_str(), 0755), 0);
  const std::string Path = Dir.File("readonly.wmv").string();
  WriteFileBytes(Path, SmallFile(u"T"));
  ASSERT_EQ(chmod(Path.c_str(), 0444), 0);
  EXPECT_EQ(CauseOfWritableOpen(Path), TFailureCause::PermissionDenied);
  EXPECT_EQ(FailureReasonText({TFailureCause::PermissionDenied, {}}), "permission denied");
}

TEST(AttributeIndex, IndicesFollowEveryChangeOfTheList)
{
  TAsfBuilder Builder;
  Builder.AddToExtension(LibraryObject({DwordRecord(u"A", 0), DwordRecord(u"B", 1, 1), DwordRecord(u"C", 2),
                                        DwordRecord(u"D", 3, 1), DwordRecord(u"E", 4)}));
  Asf::TMetadataEditor Editor;
  ASSERT_EQ(Editor.OpenMemory(Builder.File()), S_OK);
  auto Names = [&Editor](WORD Stream) {
    std::u16string Seen;
    WORD Count = 0;
    Editor.GetAttributeCountEx(Stream, &Count);
    for (WORD Index = 0; Index < Count; ++Index) {
      char16_t Name[8] = {};
      WORD NameLen = 8;
      WMT_ATTR_DATATYPE Type{};
      WORD Language = 0;
      DWORD Length = 0;
      Editor.GetAttributeByIndexEx(Stream, Index, Name, &NameLen, &Type, &Language, nullptr, &Length);
      Seen += Name;
    }
    return Seen;
  };
  const DWORD Value = 7;
  const auto* Bytes = reinterpret_cast<const BYTE*>(&Value);
  EXPECT_EQ(Names(0), u"ACE");
  EXPECT_EQ(Names(1), u"BD");
  ASSERT_EQ(Editor.DeleteAttribute(0, 1), S_OK);
  EXPECT_EQ(Names(0), u"AE");
  EXPECT_EQ(Names(1), u"BD");
  ASSERT_EQ(Editor.AddAttribute(1, u"F", nullptr, WMT_TYPE_DWORD, 0, Bytes, 4), S_OK);
  ASSERT_EQ(Editor.AddAttribute(0, u"A", nullptr, WMT_TYPE_DWORD, 0, Bytes, 4), S_OK);
  EXPECT_EQ(Names(0), u"AEA");
  EXPECT_EQ(Names(1), u"BDF");
  // Setting a name keeps its first instance and drops the others.
  ASSERT_EQ(Editor.SetAttribute(0, u"A", WMT_TYPE_DWORD, Bytes, 4), S_OK);
  EXPECT_EQ(Names(0), u"AE");
  ASSERT_EQ(Editor.DeleteAttribute(1, 0), S_OK);
  EXPECT_EQ(Names(1), u"DF");
  EXPECT_EQ(Editor.DeleteAttribute(1, 2), E_INVALID_REQUEST);
}

} // namespace QuillmarkTest
