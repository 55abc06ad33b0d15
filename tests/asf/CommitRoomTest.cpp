// Where a save finds room: the padding Windows leaves inside the Header
// Extension, blocks shared with the old file on file systems that clone,
// and the room left for later saves where only a copy can grow a header.
#include "asf/CommitImage.h"
#include "asf/CommitTestFiles.h"
#include "asf/HeaderParser.h"
#include "asf/PaddingPolicy.h"
#include "common/EditorProbe.h"
#include "common/TestFiles.h"
#include "fs/CommitFaultFileSystem.h"
#include "metadata/TextConversion.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

constexpr std::uint64_t FileSizeValue = 123456789;

// A header with File Properties before or after a Header Extension whose
// children are a Language List, a Library and padding objects of the given
// sizes, in the order Layout spells: 'L' language list, 'M' library, a digit
// the padding of that index.
TBytes ExtensionHeader(const std::string& Layout, const std::vector<std::size_t>& Pads, bool PropertiesFirst)
{
  std::vector<TBytes> Children;
  for (char Part : Layout) {
    if (Part == 'L') {
      Children.push_back(LanguageListObject({u"en-us"}));
    } else if (Part == 'M') {
      Children.push_back(LibraryObject({StringRecord(u"WM/Genre", u"Jazz")}));
    } else {
      Children.push_back(PaddingObject(Pads.at(static_cast<std::size_t>(Part - '0'))));
    }
  }
  TBytes Extension = HeaderExtensionObject(Children);
  TBytes Properties = FilePropertiesObject(FileSizeValue);
  return PropertiesFirst ? HeaderObject({Properties, Extension, UnknownObject(3, 100)})
                         : HeaderObject({Extension, UnknownObject(3, 100), Properties});
}

THeaderImage ImageOf(const TBytes& Header)
{
  THeaderImage Image;
  Image.Bytes = Header;
  TAsfHeader Parsed = ParseHeaderBytes(Header);
  std::size_t At = HeaderObjectFixedSize;
  for (const TAsfObject& Object : Parsed.Objects) {
    if (Object.Kind == TObjectKind::FileProperties) {
      Image.FileSizeOffset = At + FileSizeFieldOffset;
    }
    At += Object.Bytes.size();
  }
  return Image;
}

TEST(ExtensionPadding, IsTakenOutWithEverySizeFieldToMatch)
{
  struct TCase {
    const char* Layout;
    std::vector<std::size_t> Pads;
  };
  const TCase Cases[] = {
      {"LM0", {3500}},       // as Windows writes it
      {"0LM", {24}},         // the smallest, first
      {"L0M1", {100, 2000}}, // several, between objects
      {"01", {50, 60}},      // nothing but padding
  };
  for (const TCase& Case : Cases) {
    for (bool PropertiesFirst : {true, false}) {
      std::string Kept;
      for (char Part : std::string(Case.Layout)) {
        if (Part == 'L' || Part == 'M') {
          Kept += Part;
        }
      }
      std::optional<THeaderImage> Out =
          WithoutExtensionPadding(ImageOf(ExtensionHeader(Case.Layout, Case.Pads, PropertiesFirst)));
      ASSERT_TRUE(Out) << Case.Layout;
      TBytes Expected = ExtensionHeader(Kept, {}, PropertiesFirst);
      EXPECT_EQ(Out->Bytes, Expected) << Case.Layout << " " << PropertiesFirst;
      ASSERT_TRUE(Out->FileSizeOffset);
      EXPECT_EQ(ReadQword(Out->Bytes.data() + *Out->FileSizeOffset), FileSizeValue) << Case.Layout;
      EXPECT_NO_THROW(ParseHeaderBytes(Out->Bytes)) << Case.Layout;
    }
  }
}

TEST(ExtensionPadding, HeaderWithoutAnyInItsExtensionIsLeftAlone)
{
  EXPECT_FALSE(WithoutExtensionPadding(ImageOf(ExtensionHeader("LM", {}, true))));
  TAsfBuilder NoExtension;
  NoExtension.WithoutExtension().Add(PaddingObject(500));
  EXPECT_FALSE(WithoutExtensionPadding(ImageOf(NoExtension.Header())));
}

// Saving through the editor the attributes a user sets on the Stereo page.
HRESULT AddStereoAttributes(TMetadataEditor& Editor, std::size_t SourceLength)
{
  std::uint32_t True = 0xFFFFFFFF;
  std::uint64_t Skip = 25000000;
  TBytes Layout = StringValue(u"SideBySideLF");
  TBytes Source = StringValue(std::u16string(SourceLength, u's'));
  HRESULT Result = Editor.SetAttribute(0, u"Stereoscopic", WMT_TYPE_BOOL, reinterpret_cast<BYTE*>(&True), 4);
  if (Result == S_OK) {
    Result = Editor.SetAttribute(0, u"StereoscopicLayout", WMT_TYPE_STRING, Layout.data(),
                                 static_cast<WORD>(Layout.size()));
  }
  if (Result == S_OK) {
    Result = Editor.SetAttribute(0, u"StereoscopicSkip", WMT_TYPE_QWORD, reinterpret_cast<BYTE*>(&Skip), 8);
  }
  if (Result == S_OK) {
    Result =
        Editor.SetAttribute(0, u"StereoscopicHalfWidth", WMT_TYPE_BOOL, reinterpret_cast<BYTE*>(&True), 4);
  }
  if (Result == S_OK) {
    Result =
        Editor.SetAttribute(0, u"Source", WMT_TYPE_STRING, Source.data(), static_cast<WORD>(Source.size()));
  }
  return Result;
}

struct TFileFacts {
  ino_t Inode = 0;
  off_t Size = 0;
};

TFileFacts FactsOf(const std::filesystem::path& Path)
{
  struct stat Info {};
  EXPECT_EQ(::stat(Path.c_str(), &Info), 0);
  return {Info.st_ino, Info.st_size};
}

// Saves the stereo attributes into Path and reopens it; true when the file
// kept its inode and size, that is when it was saved in place.
bool SaveStereo(const std::filesystem::path& Path, std::size_t SourceLength)
{
  TFileFacts Before = FactsOf(Path);
  std::u16string Name = Utf8ToUtf16(Path.string());
  TMetadataEditor Editor;
  EXPECT_EQ(Editor.Open(Name.c_str()), S_OK) << Path;
  EXPECT_EQ(AddStereoAttributes(Editor, SourceLength), S_OK);
  EXPECT_EQ(Editor.Flush(), S_OK) << Path;
  EXPECT_EQ(Editor.Open(Name.c_str()), S_OK) << Path;
  std::vector<std::u16string> Seen = Names(ListStream(Editor, 0));
  EXPECT_NE(std::find(Seen.begin(), Seen.end(), u"StereoscopicLayout"), Seen.end()) << Path;
  TFileFacts After = FactsOf(Path);
  return After.Inode == Before.Inode && After.Size == Before.Size;
}

TEST(ExtensionPadding, RoomInTheExtensionOrAtTopLevelTakesTheStereoAttributesInPlace)
{
  struct TCase {
    std::size_t ExtensionPadding;
    std::size_t TopPadding;
    std::size_t SourceLength;
    bool InPlace;
  };
  const TCase Cases[] = {
      {3500, 0, 40, true},    // a file as Windows writes it
      {600, 600, 40, true},   // neither alone is enough
      {3500, 0, 1610, true},  // 24 bytes left, the least a Padding Object takes
      {3500, 0, 1622, true},  // exactly all of it
      {3500, 0, 1611, false}, // 22 bytes left, too few for a Padding Object: it grows
      {3500, 0, 1700, false}, // more than there is
      {0, 0, 40, false},
  };
  for (const TCase& Case : Cases) {
    TTempDir Dir;
    TAsfBuilder Builder;
    if (Case.ExtensionPadding > 0) {
      Builder.AddToExtension(PaddingObject(Case.ExtensionPadding));
    }
    if (Case.TopPadding > 0) {
      Builder.Add(PaddingObject(Case.TopPadding));
    }
    std::filesystem::path Path = Dir.File("windows.wmv");
    WriteFileBytes(Path, Builder.File());
    EXPECT_EQ(SaveStereo(Path, Case.SourceLength), Case.InPlace)
        << Case.ExtensionPadding << " " << Case.TopPadding << " " << Case.SourceLength;
  }
}

TEST(ExtensionPadding, EveryCorpusFileTakesTheStereoAttributesInPlace)
{
  if (CorpusDir().empty()) {
    GTEST_SKIP() << "no corpus at " << QUILLMARK_CORPUS_DIR;
  }
  TTempDir Dir;
  for (const auto& Entry : std::filesystem::directory_iterator(CorpusDir())) {
    if (Entry.path().extension() != ".wma" && Entry.path().extension() != ".wmv") {
      continue;
    }
    std::filesystem::path Copy = Dir.File(Entry.path().filename().string());
    std::filesystem::copy_file(Entry.path(), Copy);
    EXPECT_TRUE(SaveStereo(Copy, 40)) << Entry.path();
  }
}

// Saves that must grow, through a file system that cannot insert.
class GrowingSaveTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    FSample = MakeSample(2000, 0, 100000);
    WriteFileBytes(Video(), FSample.Bytes);
  }

  std::filesystem::path Video() const { return FDir.File("clip.wmv"); }

  HRESULT Save(const THeaderImage& Image, TFaultFileSystem& Fs, TSaveWay& Way,
               TProgressCallback Progress = {})
  {
    TOpenVideo Open(Video());
    TCommitRequest Request = Open.Request(Image, FSample.HeaderSize);
    Request.AllowInsertRange = false;
    Request.Fs = &Fs;
    Request.Way = &Way;
    Request.Progress = std::move(Progress);
    return CommitHeader(Request);
  }

  std::uint64_t SavedPadding(const THeaderImage& Image)
  {
    TBytes File = ReadFileBytes(Video());
    std::uint64_t Padding = HeaderSizeOf(File) - Image.Bytes.size();
    EXPECT_EQ(File, ExpectedFile(Image, Padding, FSample.Rest()));
    EXPECT_TRUE(SideFiles(FDir.Path()).empty());
    return Padding;
  }

  TTempDir FDir;
  TSampleFile FSample;
};

TEST_F(GrowingSaveTest, CloningFileSystemSharesTheMediaFromTheFirstBlockBoundary)
{
  struct TCase {
    std::uint64_t Block;
    std::size_t Payload; // the old header is 2158 bytes
  };
  for (TCase Case : {TCase{4096, 9000}, TCase{512, 3000}, TCase{65536, 300000}}) {
    SetUp();
    ASSERT_EQ(chmod(Video().c_str(), 0640), 0);
    TFaultFileSystem Fs;
    Fs.EmulateClone(Case.Block);
    THeaderImage Image = MakeImage(Case.Payload);
    TSaveWay Way = TSaveWay::InPlace;
    std::vector<std::pair<QWORD, QWORD>> Reports;
    ASSERT_EQ(Save(Image, Fs, Way, [&](QWORD Done, QWORD Total) { Reports.emplace_back(Done, Total); }), S_OK)
        << Case.Block;
    EXPECT_EQ(Way, TSaveWay::Clone);
    std::uint64_t Padding = SavedPadding(Image);
    std::uint64_t Growth = Image.Bytes.size() + Padding - FSample.HeaderSize;
    EXPECT_EQ(Growth % Case.Block, 0U) << Case.Block;
    EXPECT_GE(Padding, GrowthPadding(FSample.Bytes.size()));
    std::uint64_t Boundary = (FSample.HeaderSize + Case.Block - 1) / Case.Block * Case.Block;
    EXPECT_EQ(Fs.BytesCloned(), FSample.Bytes.size() - Boundary) << Case.Block;
    // Only the header is written; the rest of the first block goes by copy_file_range.
    EXPECT_EQ(Fs.BytesWritten(), Image.Bytes.size() + Padding) << Case.Block;
    EXPECT_EQ(Fs.CallsOf(TFsCall::CopyFileRange), Boundary > FSample.HeaderSize ? 1 : 0) << Case.Block;
    ASSERT_FALSE(Reports.empty());
    EXPECT_EQ(Reports.back().first, Reports.back().second);
    EXPECT_EQ(std::filesystem::status(Video()).permissions(), std::filesystem::perms(0640));
  }
}

TEST_F(GrowingSaveTest, FileSystemThatCannotCloneGetsACopyWithTheLargerRoom)
{
  struct TCase {
    const char* Name;
    std::uint64_t Block;   // 0: clone refused by the file system
    std::size_t DataBytes; // nothing past the first block boundary: nothing to clone
  };
  for (TCase Case : {TCase{"refused", 0, 100000}, TCase{"nothing to clone", 65536, 1000}}) {
    FSample = MakeSample(2000, 0, Case.DataBytes);
    WriteFileBytes(Video(), FSample.Bytes);
    TFaultFileSystem Fs;
    if (Case.Block != 0) {
      Fs.EmulateClone(Case.Block);
    } else {
      Fs.FailEvery(TFsCall::CloneRange, EOPNOTSUPP);
    }
    THeaderImage Image = MakeImage(9000);
    TSaveWay Way = TSaveWay::InPlace;
    ASSERT_EQ(Save(Image, Fs, Way), S_OK) << Case.Name;
    EXPECT_EQ(Way, TSaveWay::Copy) << Case.Name;
    EXPECT_EQ(SavedPadding(Image), CopyGrowthPadding(FSample.Bytes.size())) << Case.Name;
    EXPECT_EQ(Fs.BytesCloned(), 0U);
  }
}

TEST_F(GrowingSaveTest, CloneThatFailsLeavesTheFileAsItWas)
{
  for (auto [Errno, Expected] :
       {std::pair{EIO, E_IO_FAILURE}, std::pair{ENOSPC, E_DISK_FULL}, std::pair{EACCES, E_ACCESS_DENIED}}) {
    SetUp();
    TFaultFileSystem Fs;
    Fs.EmulateClone(4096);
    Fs.FailEvery(TFsCall::CloneRange, Errno);
    TSaveWay Way = TSaveWay::InPlace;
    EXPECT_EQ(Save(MakeImage(9000), Fs, Way), Expected);
    EXPECT_EQ(ReadFileBytes(Video()), FSample.Bytes);
    EXPECT_TRUE(SideFiles(FDir.Path()).empty());
  }
}

TEST(GrowthRoom, CopyLeavesMoreRoomThanCheapGrowthWithinTheSameBound)
{
  for (std::uint64_t FileSize : {70'000ULL, 10'000'000ULL, 600'000'000ULL, 8'000'000'000ULL}) {
    // A preview of 10,240 bytes and some texts fit any file but a tiny one.
    EXPECT_GE(GrowthPadding(FileSize), 10240U + 4096U) << FileSize;
    EXPECT_GE(CopyGrowthPadding(FileSize), 10240U + 4 * 8192U) << FileSize;
    EXPECT_GE(CopyGrowthPadding(FileSize), GrowthPadding(FileSize)) << FileSize;
    EXPECT_LE(CopyGrowthPadding(FileSize), MaxGrowthPadding) << FileSize;
  }
  // A tiny clip at most doubles, and keeps a block's room.
  for (std::uint64_t FileSize : {0ULL, 3'000ULL, 13'500ULL, 30'000ULL}) {
    EXPECT_EQ(GrowthPadding(FileSize),
              std::min<std::uint64_t>(std::max<std::uint64_t>(FileSize, 4096), 16384 + FileSize / 1000))
        << FileSize;
    EXPECT_EQ(CopyGrowthPadding(FileSize), std::max<std::uint64_t>(FileSize, 4096)) << FileSize;
  }
  // Big enough for a title poster where a copy takes a while.
  EXPECT_GE(CopyGrowthPadding(50'000'000), 500'000U);
}

} // namespace

} // namespace QuillmarkTest
