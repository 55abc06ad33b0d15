// Damaged and hostile headers: each fails to open cleanly, never crashes,
// hangs or allocates what the file claims.
#include "asf/ByteReader.h"
#include "asf/ByteWriter.h"
#include "asf/HeaderParser.h"
#include "common/AsfBuilder.h"
#include "common/EditorProbe.h"

#include <functional>
#include <gtest/gtest.h>

namespace QuillmarkTest {
namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

HRESULT OpenResult(const TBytes& Bytes)
{
  TMetadataEditor Editor;
  HRESULT Result = Editor.OpenMemory(Bytes);
  if (Result == S_OK) {
    // Whatever opens must also read and render.
    ListAll(Editor);
  }
  return Result;
}

TBytes ValidFile()
{
  TAsfBuilder Builder;
  Builder.AddToExtension(LanguageListObject({u"en-us"}));
  Builder.AddToExtension(MetadataObject({DwordRecord(u"S", 1, 1)}));
  Builder.AddToExtension(LibraryObject({StringRecord(u"L", u"lib"), BoolRecord(u"B", 1, 2)}));
  Builder.Add(ContentDescriptionObject({u"T", u"A", u"C", u"D", u"R"}));
  Builder.Add(ExtendedContentObject({StringRecord(u"E", u"ecd"), DwordRecord(u"N", 3)}));
  Builder.Add(PaddingObject(30));
  return Builder.File();
}

TEST(AsfCorrupt, EveryPrefixOfAHeaderFailsCleanly)
{
  TBytes File = ValidFile();
  TAsfHeader Header = ParseHeader(TMemorySource(File));
  for (std::size_t Size = 0; Size < Header.Size; ++Size) {
    TBytes Prefix(File.begin(), File.begin() + static_cast<std::ptrdiff_t>(Size));
    EXPECT_EQ(OpenResult(Prefix), E_CORRUPT_HEADER) << "prefix of " << Size << " bytes";
  }
  // The header alone opens; a cut inside the Data Object's GUID does not.
  EXPECT_EQ(OpenResult(TBytes(File.begin(), File.begin() + static_cast<std::ptrdiff_t>(Header.Size))), S_OK);
  EXPECT_EQ(OpenResult(TBytes(File.begin(), File.begin() + static_cast<std::ptrdiff_t>(Header.Size + 10))),
            E_CORRUPT_HEADER);
}

struct TDamage {
  const char* What;
  std::function<TBytes()> Make;
};

TBytes Patched(TBytes Bytes, std::size_t Offset, const TBytes& With)
{
  std::copy(With.begin(), With.end(), Bytes.begin() + static_cast<std::ptrdiff_t>(Offset));
  return Bytes;
}

// Offset of the first object with this GUID at or after From.
std::size_t Find(const TBytes& Bytes, const TGuid& Guid, std::size_t From = 30)
{
  auto At = std::search(Bytes.begin() + static_cast<std::ptrdiff_t>(From), Bytes.end(), Guid.Bytes.begin(),
                        Guid.Bytes.end());
  return static_cast<std::size_t>(At - Bytes.begin());
}

TBytes WithExtendedContent(const TBytes& Payload)
{
  TAsfBuilder Builder;
  Builder.Add(MakeObject(Guids::ExtendedContentDescription, Payload));
  return Builder.File();
}

TBytes WithLibrary(const TBytes& Payload)
{
  TAsfBuilder Builder;
  Builder.AddToExtension(MakeObject(Guids::MetadataLibrary, Payload));
  return Builder.File();
}

const std::vector<TDamage>& Damages()
{
  static const std::vector<TDamage> List = {
      {"not a header GUID", [] { return Patched(ValidFile(), 0, {0}); }},
      {"header size below 30", [] { return Patched(ValidFile(), 16, Le64(29)); }},
      {"header size past the file", [] { return Patched(ValidFile(), 16, Le64(1ULL << 40)); }},
      {"header size of 2^64-1", [] { return Patched(ValidFile(), 16, Le64(~0ULL)); }},
      {"header count too high", [] { return Patched(ValidFile(), 24, Le32(99)); }},
      {"header count too low", [] { return Patched(ValidFile(), 24, Le32(2)); }},
      {"header count of 4 billion", [] { return Patched(ValidFile(), 24, Le32(0xFFFFFFFF)); }},
      {"reserved byte 2 not 2", [] { return Patched(ValidFile(), 29, {3}); }},
      {"child size 0", [] { return Patched(ValidFile(), 30 + 16, Le64(0)); }},
      {"child size 23", [] { return Patched(ValidFile(), 30 + 16, Le64(23)); }},
      {"child size past its parent", [] { return Patched(ValidFile(), 30 + 16, Le64(1ULL << 33)); }},
      {"child size of 2^64-1", [] { return Patched(ValidFile(), 30 + 16, Le64(~0ULL)); }},
      {"no Data Object after the header",
       [] {
         TBytes File = ValidFile();
         return Patched(File, ParseHeader(TMemorySource(File)).Size, {0xFF});
       }},
      {"extension data size one short",
       [] {
         TBytes File = ValidFile();
         std::size_t At = Find(File, Guids::HeaderExtension);
         std::uint32_t Size =
             static_cast<std::uint32_t>(File[At + 42] | File[At + 43] << 8 | File[At + 44] << 16);
         return Patched(File, At + 42, Le32(Size - 1));
       }},
      {"extension smaller than 46",
       [] {
         TAsfBuilder Builder;
         Builder.WithoutExtension().Add(MakeObject(Guids::HeaderExtension, TBytes(10, 0)));
         return Builder.File();
       }},
      {"extension child size 8",
       [] {
         TBytes File = ValidFile();
         return Patched(File, Find(File, Guids::LanguageList) + 16, Le64(8));
       }},
      {"two Content Descriptions",
       [] {
         TAsfBuilder Builder;
         Builder.Add(ContentDescriptionObject({u"a"})).Add(ContentDescriptionObject({u"b"}));
         return Builder.File();
       }},
      {"two Metadata Libraries",
       [] {
         TAsfBuilder Builder;
         Builder.AddToExtension(LibraryObject({})).AddToExtension(LibraryObject({}));
         return Builder.File();
       }},
      {"File Properties cut short",
       [] {
         TAsfBuilder Builder;
         Builder.Add(MakeObject(Guids::FileProperties, TBytes(20, 0)));
         return Builder.File();
       }},
      {"content length past the object",
       [] {
         TBytes File = ValidFile();
         return Patched(File, Find(File, Guids::ContentDescription) + 24, Le16(900));
       }},
      {"content string of odd length",
       [] {
         TAsfBuilder Builder;
         Builder.Add(MakeObject(Guids::ContentDescription,
                                Concat({Le16(3), Le16(0), Le16(0), Le16(0), Le16(0), {65, 0, 0}})));
         return Builder.File();
       }},
      {"descriptor count of 65535", [] { return WithExtendedContent(Le16(0xFFFF)); }},
      {"descriptor name of odd length",
       [] {
         return WithExtendedContent(Concat({Le16(1), Le16(3), {65, 0, 0}, Le16(3), Le16(4), Le32(1)}));
       }},
      {"descriptor name without terminator",
       [] {
         return WithExtendedContent(Concat({Le16(1), Le16(2), {65, 0}, Le16(3), Le16(4), Le32(1)}));
       }},
      {"descriptor name empty",
       [] {
         return WithExtendedContent(Concat({Le16(1), Le16(2), {0, 0}, Le16(3), Le16(4), Le32(1)}));
       }},
      {"descriptor name of length 0",
       [] {
         return WithExtendedContent(Concat({Le16(1), Le16(0), Le16(3), Le16(4), Le32(1)}));
       }},
      {"descriptor type code 7",
       [] {
         return WithExtendedContent(Concat({Le16(1), Le16(4), Utf16z(u"A"), Le16(7), Le16(4), Le32(1)}));
       }},
      {"descriptor DWORD of 3 bytes",
       [] {
         return WithExtendedContent(Concat({Le16(1), Le16(4), Utf16z(u"A"), Le16(3), Le16(3), {1, 2, 3}}));
       }},
      {"descriptor BOOL of 2 bytes",
       [] {
         return WithExtendedContent(Concat({Le16(1), Le16(4), Utf16z(u"A"), Le16(2), Le16(2), {1, 0}}));
       }},
      {"descriptor string of odd length",
       [] {
         return WithExtendedContent(Concat({Le16(1), Le16(4), Utf16z(u"A"), Le16(0), Le16(3), {66, 0, 0}}));
       }},
      {"bytes after the descriptors",
       [] {
         return WithExtendedContent(Concat({Le16(0), {0}}));
       }},
      {"record data length of 4 GiB",
       [] {
         return WithLibrary(
             Concat({Le16(1), Le16(0), Le16(0), Le16(4), Le16(1), Le32(0xFFFFFFFF), Utf16z(u"A")}));
       }},
      {"record BOOL of 4 bytes",
       [] {
         return WithLibrary(
             Concat({Le16(1), Le16(0), Le16(0), Le16(4), Le16(2), Le32(4), Utf16z(u"A"), Le32(1)}));
       }},
      {"record stream 128",
       [] {
         return WithLibrary(
             Concat({Le16(1), Le16(0), Le16(128), Le16(4), Le16(3), Le32(4), Utf16z(u"A"), Le32(1)}));
       }},
      {"record count above what fits", [] { return WithLibrary(Le16(2)); }},
      {"language length past the object",
       [] {
         TAsfBuilder Builder;
         Builder.AddToExtension(MakeObject(Guids::LanguageList, Concat({Le16(1), {200}})));
         return Builder.File();
       }},
  };
  return List;
}

TEST(AsfCorrupt, DamagedSizesCountsAndRecordsFailToOpen)
{
  for (const TDamage& Damage : Damages()) {
    EXPECT_EQ(OpenResult(Damage.Make()), E_CORRUPT_HEADER) << Damage.What;
  }
}

// A source as long as a large file whose first bytes are a header.
class TLongSource : public IByteSource {
public:
  TLongSource(TBytes Start, std::uint64_t Length) : FStart(std::move(Start)), FLength(Length) {}
  std::uint64_t Length() const override { return FLength; }
  void ReadAt(std::uint64_t Offset, std::span<std::uint8_t> Buffer) const override
  {
    for (std::size_t I = 0; I < Buffer.size(); ++I) {
      Buffer[I] = Offset + I < FStart.size() ? FStart[Offset + I] : 0;
    }
  }

private:
  TBytes FStart;
  std::uint64_t FLength;
};

TEST(AsfCorrupt, RefusesAHeaderLargerThan256MiBBeforeReadingIt)
{
  TBytes File = Patched(ValidFile(), 16, Le64(MaxHeaderSize + 1));
  try {
    ParseHeader(TLongSource(File, 4ULL << 30));
    FAIL() << "a 256 MiB + 1 header was accepted";
  } catch (const EAsfError& Error) {
    EXPECT_EQ(Error.Result(), E_CORRUPT_HEADER);
    EXPECT_STREQ(Error.what(), "Header Object larger than this program accepts");
  }
}

TEST(AsfCorrupt, EveryByteFlippedOpensOrFailsCleanly)
{
  TBytes File = ValidFile();
  std::size_t HeaderSize = ParseHeader(TMemorySource(File)).Size;
  for (std::size_t At = 0; At < HeaderSize; ++At) {
    for (std::uint8_t Flip : {0x01, 0x80, 0xFF}) {
      TBytes Bad = File;
      Bad[At] ^= Flip;
      HRESULT Result = OpenResult(Bad);
      EXPECT_TRUE(Result == S_OK || Result == E_CORRUPT_HEADER) << At;
    }
  }
}

// A header longer than the first read, ending in padding whose payload is
// never read: damage to any object's head (the walk that finds the padding
// reads them) opens or fails cleanly, and damage inside the payload is not
// even seen.
TEST(AsfCorrupt, DamagedHeadsOfALongHeaderOpenOrFailCleanly)
{
  TAsfBuilder Builder;
  Builder.AddToExtension(LibraryObject({BinaryRecord(u"Poster", TBytes(100000, 7))}));
  Builder.Add(ContentDescriptionObject({u"T"}));
  Builder.Add(PaddingObject(200000));
  TBytes File = Builder.File();
  TAsfHeader Header = ParseHeader(TMemorySource(File));
  std::vector<std::size_t> Heads;
  for (std::size_t At = HeaderObjectFixedSize; At < Header.Size; At += LoadQword(File, At + 16)) {
    Heads.push_back(At);
  }
  ASSERT_EQ(Heads.size(), Header.Objects.size());
  for (std::size_t Head : Heads) {
    for (std::size_t At = Head; At < Head + ObjectHeaderSize; ++At) {
      for (std::uint8_t Flip : {0x01, 0x80, 0xFF}) {
        TBytes Bad = File;
        Bad[At] ^= Flip;
        HRESULT Result = OpenResult(Bad);
        EXPECT_TRUE(Result == S_OK || Result == E_CORRUPT_HEADER) << At;
      }
    }
  }
  TBytes InPayload = File;
  std::fill_n(InPayload.begin() + static_cast<long>(Heads.back() + ObjectHeaderSize + 100), 1000, 0xEE);
  EXPECT_EQ(OpenResult(InPayload), S_OK);
}

} // namespace
} // namespace QuillmarkTest
