// Reading headers: every attribute-bearing object, their order in the list,
// the stored types and widths, and the objects kept as they are.
#include "asf/ByteSource.h"
#include "asf/HeaderParser.h"
#include "common/AsfBuilder.h"
#include "common/EditorProbe.h"

#include <gtest/gtest.h>
#include <tuple>

namespace QuillmarkTest {
namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

TEST(AsfGuids, OnDiskBytesMatchTheFormat)
{
  // Data1..Data3 little-endian, then the last eight bytes in text order.
  TBytes Header = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                   0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
  TBytes Library = {0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49,
                    0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54};
  TBytes Encryption = {0x14, 0xE6, 0x8A, 0x29, 0x22, 0x26, 0x17, 0x4C,
                       0xB9, 0x35, 0xDA, 0xE0, 0x7E, 0xE9, 0x28, 0x9C};
  EXPECT_EQ(TBytes(Guids::Header.Bytes.begin(), Guids::Header.Bytes.end()), Header);
  EXPECT_EQ(TBytes(Guids::MetadataLibrary.Bytes.begin(), Guids::MetadataLibrary.Bytes.end()), Library);
  EXPECT_EQ(
      TBytes(Guids::ExtendedContentEncryption.Bytes.begin(), Guids::ExtendedContentEncryption.Bytes.end()),
      Encryption);
  EXPECT_EQ(GuidToText(Guids::Padding), "1806D474-CADF-4509-A4BA-9AABCB96AAE8");
}

TBytes FullHeaderFile()
{
  TAsfBuilder Builder;
  Builder.AddToExtension(LanguageListObject({u"en-us", u"de-de"}));
  Builder.AddToExtension(
      MetadataObject({DwordRecord(u"Stream1Value", 7, 1), StringRecord(u"FileLevel", u"m")}));
  Builder.AddToExtension(PaddingObject(40));
  Builder.AddToExtension(
      LibraryObject({StringRecord(u"Author", u"Second"), StringRecord(u"WM/Lyrics", u"Hallo", 0, 1),
                     BoolRecord(u"LibBool", 0xFFFF, 2), GuidRecord(u"WM/MediaClassPrimaryID", Guids::Data),
                     BinaryRecord(u"Big", TBytes(70000, 0xAB))}));
  Builder.AddToExtension(UnknownObject(3, 10));
  Builder.Add(
      ExtendedContentObject({StringRecord(u"WM/AlbumTitle", u"Album"), BoolRecord(u"EcdBool", 0xFFFFFFFF, 4),
                             QwordRecord(u"Q", 1ULL << 40), WordRecord(u"W", 9)}));
  Builder.Add(UnknownObject(1, 33));
  Builder.Add(ContentDescriptionObject({u"Title", u"Author", std::nullopt, u"", std::nullopt}));
  Builder.Add(PaddingObject(100));
  return Builder.File();
}

TEST(AsfParse, GathersStreamZeroFromEveryObjectInOneList)
{
  auto Editor = OpenBytes(FullHeaderFile());
  std::vector<TSeenAttribute> Stream0 = ListStream(*Editor, 0);
  // Content Description first, then Extended Content Description, Metadata, Library.
  std::vector<std::u16string> Expected = {u"Title",   u"Author",    u"Description", u"WM/AlbumTitle",
                                          u"EcdBool", u"Q",         u"W",           u"FileLevel",
                                          u"Author",  u"WM/Lyrics", u"LibBool",     u"WM/MediaClassPrimaryID",
                                          u"Big"};
  EXPECT_EQ(Names(Stream0), Expected);
  EXPECT_EQ(Stream0[2].Value, StringValue(u"")); // present and empty
  EXPECT_EQ(Stream0[9].Language, 1);
  EXPECT_EQ(Stream0[12].Value.size(), 70000U);
  std::vector<TSeenAttribute> Stream1 = ListStream(*Editor, 1);
  ASSERT_EQ(Stream1.size(), 1U);
  EXPECT_EQ(Stream1[0].Name, u"Stream1Value");
  EXPECT_EQ(Stream1[0].Type, WMT_TYPE_DWORD);
  EXPECT_EQ(Editor->Header()->LanguageCount, 2U);
}

TEST(AsfParse, MapsStoredTypesAndWidensBooleans)
{
  auto Editor = OpenBytes(FullHeaderFile());
  std::vector<TSeenAttribute> A = ListStream(*Editor, 0);
  EXPECT_EQ(A[3].Type, WMT_TYPE_STRING);
  EXPECT_EQ(A[4].Type, WMT_TYPE_BOOL);
  EXPECT_EQ(A[4].Value, DwordValue(1)); // 4-byte stored 0xFFFFFFFF: true
  EXPECT_EQ(A[5].Type, WMT_TYPE_QWORD);
  EXPECT_EQ(A[5].Value, Le64(1ULL << 40));
  EXPECT_EQ(A[6].Type, WMT_TYPE_WORD);
  EXPECT_EQ(A[10].Type, WMT_TYPE_BOOL);
  EXPECT_EQ(A[10].Value, DwordValue(1)); // 2-byte stored in the Library, 4 bytes here
  EXPECT_EQ(A[11].Type, WMT_TYPE_GUID);
  EXPECT_EQ(A[11].Value.size(), 16U);
  EXPECT_EQ(A[12].Type, WMT_TYPE_BINARY);
}

TEST(AsfParse, KeepsEveryObjectInItsPlace)
{
  auto Editor = OpenBytes(FullHeaderFile());
  const TAsfHeader& Header = *Editor->Header();
  std::vector<TObjectKind> Top;
  for (const TAsfObject& Object : Header.Objects) {
    Top.push_back(Object.Kind);
  }
  std::vector<TObjectKind> Expected = {TObjectKind::FileProperties,  TObjectKind::Unknown,
                                       TObjectKind::HeaderExtension, TObjectKind::ExtendedContentDescription,
                                       TObjectKind::Unknown,         TObjectKind::ContentDescription,
                                       TObjectKind::Padding};
  EXPECT_EQ(Top, Expected);
  EXPECT_EQ(Header.ExtensionChildren.size(), 5U);
  EXPECT_EQ(Header.ExtensionChildren[2].Kind, TObjectKind::Padding);
  EXPECT_EQ(Header.ExtensionChildren[4].Bytes, UnknownObject(3, 10));
}

TEST(AsfParse, InvalidUtf16IsData)
{
  std::u16string Lone = {u'A', char16_t(0xD800), u'B'};
  TAsfBuilder Builder;
  Builder.Add(ExtendedContentObject(
      {StringRecord(u"Odd", Lone), StringRecord(std::u16string(1, char16_t(0xDFFF)), u"x")}));
  auto Editor = OpenBytes(Builder.File());
  std::vector<TSeenAttribute> A = ListStream(*Editor, 0);
  ASSERT_EQ(A.size(), 2U);
  EXPECT_EQ(A[0].Value, Utf16z(Lone));
  EXPECT_EQ(A[1].Name, std::u16string(1, char16_t(0xDFFF)));
}

// Records the reads a parse makes.
class TCountingSource : public IByteSource {
public:
  explicit TCountingSource(const TBytes& Bytes) : FMemory(Bytes) {}
  std::uint64_t Length() const override { return FMemory.Length(); }
  void ReadAt(std::uint64_t Offset, std::span<std::uint8_t> Buffer) const override
  {
    ++Reads;
    BytesRead += Buffer.size();
    Furthest = std::max<std::uint64_t>(Furthest, Offset + Buffer.size());
    FMemory.ReadAt(Offset, Buffer);
  }
  mutable int Reads = 0;
  mutable std::uint64_t Furthest = 0;
  mutable std::uint64_t BytesRead = 0;

private:
  TMemorySource FMemory;
};

TEST(AsfParse, ReadsOnlyTheHeaderInAtMostTwoReads)
{
  TAsfBuilder Small;
  TBytes SmallFile = Concat({Small.File(), TBytes(1 << 20, 0x77)});
  TCountingSource SmallSource(SmallFile);
  TAsfHeader SmallHeader = ParseHeader(SmallSource);
  EXPECT_EQ(SmallSource.Reads, 1);
  EXPECT_LE(SmallSource.Furthest, FirstReadSize);

  TAsfBuilder Large;
  Large.AddToExtension(LibraryObject({BinaryRecord(u"Poster", TBytes(200000, 1))}));
  TBytes LargeFile = Concat({Large.File(), TBytes(1 << 20, 0x77)});
  TCountingSource LargeSource(LargeFile);
  TAsfHeader LargeHeader = ParseHeader(LargeSource);
  EXPECT_EQ(LargeSource.Reads, 2);
  EXPECT_EQ(LargeSource.Furthest, LargeHeader.Size + 24); // the header and the Data Object's GUID and size
}

// After a growing save a big video ends its header with a megabyte of
// padding. Its payload is not read, whatever it holds, and without it the
// header reads as it does whole; only that object may be cut short.
TEST(AsfParse, TheFinalPaddingPayloadIsNotRead)
{
  TAsfBuilder Builder;
  Builder.Add(ContentDescriptionObject({u"Title"}));
  Builder.AddToExtension(LibraryObject({BinaryRecord(u"Poster", TBytes(70000, 1))}));
  TBytes Padding = PaddingObject(1 << 20);
  std::fill(Padding.begin() + 24, Padding.end(), 0x5A);
  Builder.Add(Padding);
  TBytes File = Concat({Builder.File(), TBytes(4096, 0x77)});
  TCountingSource Source(File);
  TBytes Read = ReadHeaderBytes(Source, TParseOptions{});
  TAsfHeader Whole = ParseHeader(TMemorySource(File));
  EXPECT_EQ(Read.size(), Whole.Size - (Padding.size() - 24));
  EXPECT_LT(Source.BytesRead, Read.size() + FirstReadSize + 100);
  TAsfHeader Partial = ParseHeaderBytes(Read);
  EXPECT_EQ(Partial.Size, Whole.Size);
  auto Keys = [](const TAsfHeader& Header) {
    std::vector<std::tuple<std::uint16_t, std::u16string, std::uint32_t, TBytes>> Out;
    for (const TStoredAttribute& A : Header.Attributes.All()) {
      Out.emplace_back(A.Stream, A.Name, static_cast<std::uint32_t>(A.Type), A.Value);
    }
    return Out;
  };
  EXPECT_EQ(Keys(Partial), Keys(Whole));
  EXPECT_EQ(Keys(Partial).size(), 2U);
  EXPECT_EQ(Partial.Objects.size(), Whole.Objects.size());

  // Cut short anywhere else, the bytes are refused.
  TBytes NoPadding = TAsfBuilder().Add(ContentDescriptionObject({u"Title"})).Header();
  EXPECT_THROW(ParseHeaderBytes(std::span(NoPadding).first(NoPadding.size() - 4)), EAsfError);
  TBytes PaddingFirst = Read;
  PaddingFirst.resize(Read.size() - 24 - 1);
  EXPECT_THROW(ParseHeaderBytes(PaddingFirst), EAsfError);
}

} // namespace
} // namespace QuillmarkTest
