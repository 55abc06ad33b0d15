#include "asf/HeaderParser.h"

#include "asf/AttributeObjects.h"
#include "asf/ByteReader.h"
#include "asf/CheckedMath.h"
#include "asf/EngineError.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <map>

namespace Quillmark::Asf {

namespace {

// Attributes by object while the children are walked; joined in this order.
struct TGathered {
  std::vector<TStoredAttribute> Content, Extended, Metadata, Library;
};

// Missing counts header bytes that were not read: the end of the payload of
// the final top-level Padding Object. Only that object may reach into them.
TAsfObject NextObject(TByteReader& Reader, TObjectKind (*KindOf)(const TGuid&), std::uint64_t& Missing)
{
  Require(Reader.Remaining() >= ObjectHeaderSize, "object header cut short");
  std::span<const std::uint8_t> Head = Reader.Take(ObjectHeaderSize);
  TByteReader HeadReader(Head);
  TAsfObject Object;
  Object.Guid = HeadReader.Guid();
  std::uint64_t Size = HeadReader.Qword();
  Object.Kind = KindOf(Object.Guid);
  Require(Size >= ObjectHeaderSize, "object smaller than its own header");
  std::uint64_t PayloadSize = Size - ObjectHeaderSize;
  bool UnreadTail = Missing > 0 && Object.Kind == TObjectKind::Padding && KindOf == TopLevelKind &&
                    PayloadSize == CheckedAdd(Reader.Remaining(), Missing);
  Require(UnreadTail || PayloadSize <= Reader.Remaining(), "object larger than its parent");
  std::span<const std::uint8_t> Payload = Reader.Take(UnreadTail ? Reader.Remaining() : PayloadSize);
  // A save replaces top-level padding with its own, so its zeros (up to a
  // megabyte after a growing save) are not copied.
  const bool KeepPayload = KindOf != TopLevelKind || Object.Kind != TObjectKind::Padding;
  Object.Bytes.reserve(Head.size() + (KeepPayload ? Payload.size() : 0));
  Object.Bytes.assign(Head.begin(), Head.end());
  if (UnreadTail) {
    Missing = 0;
  }
  if (KeepPayload) {
    Object.Bytes.insert(Object.Bytes.end(), Payload.begin(), Payload.end());
  }
  return Object;
}

std::span<const std::uint8_t> PayloadOf(const TAsfObject& Object)
{
  return std::span<const std::uint8_t>(Object.Bytes).subspan(ObjectHeaderSize);
}

// Objects the format allows once per parent.
using TKindsSeen = std::bitset<static_cast<std::size_t>(TObjectKind::Padding) + 1>;

void RequireOnce(TKindsSeen& Seen, TObjectKind Kind)
{
  if (Kind == TObjectKind::Unknown || Kind == TObjectKind::Padding) {
    return;
  }
  const auto Bit = static_cast<std::size_t>(Kind);
  Require(!Seen.test(Bit), "an object that may appear once appears twice");
  Seen.set(Bit);
}

void ParseExtension(TAsfHeader& Header, const TAsfObject& Object, TGathered& Gathered)
{
  Require(Object.Bytes.size() >= ExtensionFixedSize, "Header Extension cut short");
  TByteReader Reader(PayloadOf(Object));
  std::span<const std::uint8_t> Reserved = Reader.Take(18);
  Header.ExtensionReserved.assign(Reserved.begin(), Reserved.end());
  std::uint32_t DataSize = Reader.Dword();
  Require(DataSize == Reader.Remaining(), "Header Extension data size disagrees with its object size");
  TKindsSeen Seen;
  while (Reader.Remaining() > 0) {
    Require(Header.ExtensionChildren.size() < MaxObjectCount, "too many Header Extension objects");
    std::uint64_t NoneMissing = 0;
    TAsfObject Child = NextObject(Reader, ExtensionKind, NoneMissing);
    RequireOnce(Seen, Child.Kind);
    if (Child.Kind == TObjectKind::Metadata) {
      Gathered.Metadata = ReadMetadataRecords(PayloadOf(Child), TStore::Metadata);
      Header.Layout.MetadataCount = static_cast<std::uint32_t>(Gathered.Metadata.size());
    } else if (Child.Kind == TObjectKind::MetadataLibrary) {
      Gathered.Library = ReadMetadataRecords(PayloadOf(Child), TStore::Library);
      Header.Layout.LibraryCount = static_cast<std::uint32_t>(Gathered.Library.size());
    } else if (Child.Kind == TObjectKind::LanguageList) {
      Header.LanguageCount = ReadLanguageList(PayloadOf(Child));
    }
    Header.ExtensionChildren.push_back(std::move(Child));
  }
}

void ParseTopLevel(TAsfHeader& Header, const TAsfObject& Object, TGathered& Gathered)
{
  switch (Object.Kind) {
  case TObjectKind::FileProperties:
    Require(Object.Bytes.size() >= FilePropertiesSize, "File Properties cut short");
    break;
  case TObjectKind::HeaderExtension:
    Header.ExtensionIndex = Header.Objects.size();
    ParseExtension(Header, Object, Gathered);
    break;
  case TObjectKind::ContentDescription:
    Gathered.Content = ReadContentDescription(PayloadOf(Object));
    for (const TStoredAttribute& Field : Gathered.Content) {
      Header.Layout.ContentFields[Field.Origin->Ordinal] = true;
    }
    break;
  case TObjectKind::ExtendedContentDescription:
    Gathered.Extended = ReadExtendedContent(PayloadOf(Object));
    Header.Layout.ExtendedCount = static_cast<std::uint32_t>(Gathered.Extended.size());
    break;
  default:
    break;
  }
}

void JoinAttributes(TAsfHeader& Header, TGathered& Gathered)
{
  std::vector<TStoredAttribute>& All = Header.Attributes.All();
  for (std::vector<TStoredAttribute>* Part :
       {&Gathered.Content, &Gathered.Extended, &Gathered.Metadata, &Gathered.Library}) {
    std::move(Part->begin(), Part->end(), std::back_inserter(All));
  }
  std::map<std::uint16_t, std::size_t> PerStream;
  for (const TStoredAttribute& Attribute : All) {
    Require(++PerStream[Attribute.Stream] <= MaxAttributesPerStream,
            "more attributes in a stream than can be indexed");
  }
}

} // namespace

namespace {

// Object heads looked up past the first read before reading it all is
// cheaper; real headers have two or three objects out there.
constexpr int MaxFarHeads = 16;

// Where the payload of the header's final top-level object begins, when that
// object is a Padding Object; Size when it is not, or when the walk to it
// meets anything odd (the parser then reports it on the whole header).
std::uint64_t TrailingPaddingPayload(const IByteSource& Source, std::span<const std::uint8_t> First,
                                     std::uint64_t Size)
{
  std::uint64_t Offset = HeaderObjectFixedSize;
  int FarHeads = 0;
  for (std::uint64_t Index = 0; Index < MaxObjectCount && Size - Offset >= ObjectHeaderSize; ++Index) {
    std::array<std::uint8_t, ObjectHeaderSize> Head{};
    if (Offset + ObjectHeaderSize <= First.size()) {
      std::copy_n(First.begin() + static_cast<long>(Offset), ObjectHeaderSize, Head.begin());
    } else if (++FarHeads > MaxFarHeads) {
      return Size;
    } else {
      Source.ReadAt(Offset, Head);
    }
    TByteReader Reader(Head);
    TGuid Guid = Reader.Guid();
    std::uint64_t ObjectSize = Reader.Qword();
    if (ObjectSize < ObjectHeaderSize || ObjectSize > Size - Offset) {
      return Size;
    }
    if (ObjectSize == Size - Offset) {
      return TopLevelKind(Guid) == TObjectKind::Padding ? Offset + ObjectHeaderSize : Size;
    }
    Offset += ObjectSize;
  }
  return Size;
}

// The Data Object's GUID, which must follow the header; Head holds its
// first bytes, when the file has any.
void RequireDataObject(std::span<const std::uint8_t> Head, const TParseOptions& Options)
{
  if (Head.empty()) {
    Require(!Options.RequireDataObject, "no Data Object after the header");
    return;
  }
  Require(Head.size() >= ObjectHeaderSize, "bytes after the header that are no Data Object");
  Require(TByteReader(Head).Guid() == Guids::Data, "the header is not followed by the Data Object");
}

// The first read goes to a buffer kept for the thread: an editor keeps only
// the header's own bytes, and a batch that opens hundreds of files neither
// clears nor maps a fresh buffer for each.
std::span<std::uint8_t> FirstReadBuffer(std::uint64_t Length)
{
  thread_local std::array<std::uint8_t, FirstReadSize> Buffer;
  return std::span<std::uint8_t>(Buffer).first(
      static_cast<std::size_t>(std::min<std::uint64_t>(Length, FirstReadSize)));
}

} // namespace

TBytes ReadHeaderBytes(const IByteSource& Source, const TParseOptions& Options)
{
  std::uint64_t Length = Source.Length();
  // Too short for a header, or not starting with one: no ASF file at all.
  const TFailureReason NotAsf{TFailureCause::NotAsf, {}};
  if (Length < HeaderObjectFixedSize) {
    throw EAsfError(E_CORRUPT_HEADER, "too short for an ASF header", NotAsf);
  }
  std::span<std::uint8_t> First = FirstReadBuffer(Length);
  Source.ReadAt(0, First);
  TByteReader Reader(First);
  if (Reader.Guid() != Guids::Header) {
    throw EAsfError(E_CORRUPT_HEADER, "not an ASF file", NotAsf);
  }
  std::uint64_t Size = Reader.Qword();
  Require(Size >= HeaderObjectFixedSize, "Header Object smaller than its fixed part");
  Require(Size <= MaxHeaderSize, "Header Object larger than this program accepts");
  Require(Size <= Length, "Header Object larger than the file");
  std::uint64_t DataEnd = std::min(Length, CheckedAdd(Size, ObjectHeaderSize));
  std::uint64_t Wanted = DataEnd <= First.size() ? DataEnd : TrailingPaddingPayload(Source, First, Size);
  if (Wanted == Size) {
    Wanted = DataEnd; // the rest of the header and the Data Object's head in one read
  }
  const std::size_t Have = std::min(First.size(), ToSize(Wanted));
  TBytes Bytes(First.begin(), First.begin() + static_cast<std::ptrdiff_t>(Have));
  if (Wanted > Have) {
    Bytes.resize(ToSize(Wanted));
    Source.ReadAt(Have, std::span<std::uint8_t>(Bytes).subspan(Have));
  }
  if (Wanted >= Size) {
    RequireDataObject(std::span<const std::uint8_t>(Bytes).subspan(ToSize(Size)), Options);
    Bytes.resize(ToSize(Size));
  } else {
    TBytes DataHead(ToSize(DataEnd - Size));
    Source.ReadAt(Size, DataHead);
    RequireDataObject(DataHead, Options);
  }
  return Bytes;
}

TAsfHeader ParseHeaderBytes(std::span<const std::uint8_t> Bytes)
{
  TByteReader Reader(Bytes);
  Require(Reader.Guid() == Guids::Header, "not an ASF file");
  TAsfHeader Header;
  Header.Size = Reader.Qword();
  Require(Header.Size >= Bytes.size(), "Header Object size disagrees with its bytes");
  std::uint64_t Missing = Header.Size - Bytes.size();
  std::uint32_t Count = Reader.Dword();
  Header.Reserved1 = Reader.Byte();
  Header.Reserved2 = Reader.Byte();
  Require(Header.Reserved2 == 2, "Header Object reserved byte is not 2");
  Require(Count <= MaxObjectCount, "too many header objects");
  TGathered Gathered;
  TKindsSeen Seen;
  while (Reader.Remaining() > 0) {
    Require(Header.Objects.size() < Count, "more header objects than the header counts");
    TAsfObject Object = NextObject(Reader, TopLevelKind, Missing);
    RequireOnce(Seen, Object.Kind);
    ParseTopLevel(Header, Object, Gathered);
    Header.Objects.push_back(std::move(Object));
  }
  Require(Missing == 0, "Header Object size disagrees with its bytes");
  Require(Header.Objects.size() == Count, "fewer header objects than the header counts");
  JoinAttributes(Header, Gathered);
  return Header;
}

TAsfHeader ParseHeader(const IByteSource& Source, const TParseOptions& Options)
{
  TBytes Bytes = ReadHeaderBytes(Source, Options);
  return ParseHeaderBytes(Bytes);
}

} // namespace Quillmark::Asf
