// The EBML reader against damaged and hostile files: each is refused with
// its own cause, never read past its bytes; and the encodings it writes
// read back as written.
#include "common/TestFiles.h"
#include "fs/FileSystem.h"
#include "matroska/EbmlBuilder.h"
#include "matroska/MatroskaFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark::Matroska;

// Reads Bytes as a file; the error's message, or empty when it was read.
std::string ReadError(const TBytes& Bytes, TMatroskaFile* Read = nullptr)
{
  TTempDir Dir;
  WriteFileBytes(Dir.File("f.mkv"), Bytes);
  const int Fd = open(Dir.File("f.mkv").c_str(), O_RDONLY | O_CLOEXEC);
  std::string Message;
  try {
    TMatroskaFile File = ReadMatroska(Quillmark::Fs::PosixFileSystem(), Fd);
    if (Read != nullptr) {
      *Read = std::move(File);
    }
  } catch (const EMatroskaError& Error) {
    Message = Error.what();
  }
  close(Fd);
  return Message;
}

TBytes Seek(std::uint32_t Target, std::uint64_t Position)
{
  return Element(Id::Seek, Join({Element(Id::SeekId, {static_cast<std::uint8_t>(Target >> 24),
                                                      static_cast<std::uint8_t>(Target >> 16),
                                                      static_cast<std::uint8_t>(Target >> 8),
                                                      static_cast<std::uint8_t>(Target)}),
                                 UInt(Id::SeekPosition, Position)}));
}

TBytes ManyVoids(unsigned Count)
{
  TBytes Out;
  for (unsigned Index = 0; Index < Count; ++Index) {
    const TBytes One = VoidOf(2);
    Out.insert(Out.end(), One.begin(), One.end());
  }
  return Out;
}

TBytes Nested(unsigned Depth)
{
  TBytes Inner = UInt(Id::PixelWidth, 1);
  for (unsigned Level = 0; Level < Depth; ++Level) {
    Inner = Element(Id::Video, Inner);
  }
  return Inner;
}

struct THostileCase {
  const char* Name;
  TBytes Bytes;
  const char* Cause; // part of the message
};

TBytes Cut(TBytes Bytes, std::size_t Keep)
{
  Bytes.resize(Keep);
  return Bytes;
}

TBytes WithByte(TBytes Bytes, std::size_t At, std::uint8_t Value)
{
  Bytes.at(At) = Value;
  return Bytes;
}

std::vector<THostileCase> HostileCases()
{
  const TBytes Good = File(Join({VideoTracks(), SomeCluster()}));
  const std::size_t SegmentSize = EbmlHeader().size() + 4; // its size field
  const TBytes Unknown = Join({EbmlHeader(),
                               {0x18, 0x53, 0x80, 0x67, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                               VideoTracks()});
  // Where what follows a SeekHead of one entry starts.
  const std::size_t AfterSeekHead = Element(Id::SeekHead, Seek(Id::SeekHead, 0)).size();
  return {
      {"empty", {}, "cut off"},
      {"not EBML", {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11}, "not an EBML file"},
      {"only the magic", {0x1A, 0x45, 0xDF, 0xA3}, "cut off"},
      {"EBML header of unknown size", Join({{0x1A, 0x45, 0xDF, 0xA3, 0xFF}, UInt(Id::DocType, 1)}),
       "EBML header"},
      {"EBML header past the file", {0x1A, 0x45, 0xDF, 0xA3, 0x88, 0x40}, "past the end"},
      {"other DocType", File(VideoTracks(), "mka3"), "neither Matroska nor WebM"},
      {"IDs of 5 bytes",
       Join({Element(Id::Ebml, Join({Text(Id::DocType, "webm"), UInt(Id::EbmlMaxIdLength, 5)})),
             Element(Id::Segment, VideoTracks())}),
       "IDs longer"},
      {"sizes of 9 bytes",
       Join({Element(Id::Ebml, Join({Text(Id::DocType, "webm"), UInt(Id::EbmlMaxSizeLength, 9)})),
             Element(Id::Segment, VideoTracks())}),
       "sizes longer"},
      {"no Segment", Join({EbmlHeader(), VideoTracks()}), "no Segment"},
      {"Segment of unknown size", Unknown, "unknown size"},
      {"Segment longer than the file", Cut(Good, Good.size() - 3), "shorter than its Segment"},
      {"two Segments", Join({Good, Element(Id::Segment, VideoTracks())}), "several Segments"},
      {"ID with no marker bit", WithByte(Good, SegmentSize + 8, 0x00), "ID is damaged"},
      {"size with no marker bit", WithByte(Good, SegmentSize + 12, 0x00), "size is damaged"},
      {"child larger than Tracks",
       File(Join({Element(Id::Tracks, Join({{0xAE, 0x90}, UInt(Id::TrackType, 1)})), SomeCluster()})),
       "larger than the element"},
      {"top-level element past the Segment", File(Join({{0x16, 0x54, 0xAE, 0x6B, 0x4F, 0xFF, 0x00}})),
       "larger than the Segment"},
      {"integer of 9 bytes", File(Join({VideoTracks(Element(Id::StereoMode, TBytes(9, 0))), SomeCluster()})),
       "longer than 8 bytes"},
      {"no Tracks", File(Join({Element(Id::Info, Text(Id::Title, "t")), SomeCluster()})), "no Tracks"},
      {"two Tracks", File(Join({VideoTracks(), VideoTracks(), SomeCluster()})), "two Info or two Tracks"},
      {"SeekHead past the Segment",
       File(Join({Element(Id::SeekHead, Seek(Id::Tracks, 1 << 30)), SomeCluster(), VideoTracks()})),
       "past the end of the Segment"},
      {"SeekHead to the wrong element",
       File(Join({Element(Id::SeekHead, Seek(Id::Tracks, 0)), SomeCluster(), VideoTracks()})),
       "wrong element"},
      {"SeekHead to a second one that is not",
       File(Join({Element(Id::SeekHead, Seek(Id::SeekHead, AfterSeekHead)), VideoTracks(), SomeCluster()})),
       "wrong element"},
      {"SeekHeads beyond the few a file has",
       File(Join({Element(Id::SeekHead, {}), Element(Id::SeekHead, {}), Element(Id::SeekHead, {}),
                  Element(Id::SeekHead, {}), Element(Id::SeekHead, {}), Element(Id::SeekHead, {}),
                  VideoTracks(), SomeCluster()})),
       "too many SeekHeads"},
      {"thousands of elements", File(Join({ManyVoids(MaxTopElements + 1), VideoTracks()})),
       "too many elements"},
      {"Tracks deeper than the reader goes",
       File(Join({Element(Id::Tracks, Element(Id::TrackEntry, Join({UInt(Id::TrackType, 1), Nested(200)}))),
                  SomeCluster()})),
       ""},
  };
}

TEST(EbmlReader, RefusesDamagedAndHostileHeadersWithTheirCause)
{
  for (const THostileCase& Case : HostileCases()) {
    SCOPED_TRACE(Case.Name);
    const std::string Message = ReadError(Case.Bytes);
    if (*Case.Cause == '\0') {
      continue; // read or refused, as long as nothing is read out of bounds
    }
    EXPECT_NE(Message.find(Case.Cause), std::string::npos) << Message;
  }
}

TEST(EbmlReader, ReadsTheValuesOfATrackFoundThroughTheSeekHead)
{
  // Tracks after the first Cluster, reached only through the SeekHead.
  const TBytes Head = Element(Id::SeekHead, Seek(Id::Tracks, 0), 1);
  const TBytes Info =
      Element(Id::Info, Join({Element(Id::Crc32, TBytes(4, 0)), Text(Id::Title, "A title\0\0")}));
  const TBytes Tracks = VideoTracks(Join({UInt(Id::StereoMode, 11), UInt(Id::DisplayWidth, 1280)}));
  const std::uint64_t TracksAt = Head.size() + Info.size() + SomeCluster().size();
  const TBytes Body =
      Join({Element(Id::SeekHead, Seek(Id::Tracks, TracksAt), 1), Info, SomeCluster(), Tracks});
  TMatroskaFile Read;
  ASSERT_EQ(ReadError(File(Body), &Read), "");
  ASSERT_TRUE(Read.Video.has_value());
  EXPECT_EQ(Read.Video->StereoMode, 11U);
  EXPECT_EQ(Read.Video->PixelWidth, 640U);
  EXPECT_EQ(Read.Video->DisplayWidth, 1280U);
  EXPECT_EQ(Read.Title, "A title");
  EXPECT_EQ(Read.FirstCluster, EbmlHeader().size() + 12 + Head.size() + Info.size());
}

TEST(EbmlReader, VoidsOfEveryLengthReadBackWhole)
{
  for (std::uint64_t Length : {2U, 3U, 127U, 128U, 129U, 130U, 16384U, 16385U, 16386U, 70000U}) {
    const TBytes Void = VoidOf(Length);
    ASSERT_EQ(Void.size(), Length);
    const THead Head = ReadHead(Void.data(), Void.size(), 0, 0);
    EXPECT_EQ(Head.Id, Id::Void);
    EXPECT_EQ(Head.End(), Length) << Length;
  }
}

TEST(EbmlReader, SizesKeepToTheirWidth)
{
  TBytes Out;
  EXPECT_THROW(PutSize(Out, 127, 1), EMatroskaError); // all ones means unknown
  EXPECT_EQ(SizeWidth(126), 1U);
  EXPECT_EQ(SizeWidth(127), 2U);
  PutSize(Out, 5, 8);
  EXPECT_EQ(ReadHead(Join({{0xEC}, Out}).data(), 9, 0, 0).Size, 5U);
}

} // namespace

} // namespace QuillmarkTest
