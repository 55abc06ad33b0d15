#pragma once
// EBML, the binary form of Matroska and WebM files. An element is an ID, a
// size and a body of that many bytes; IDs and sizes are variable-length
// integers whose first byte's leading zero bits tell how many more bytes
// follow (1 to 8 bytes; IDs keep their marker bit and take at most 4). A size
// of all one bits is "unknown": the element runs to the end of its parent.
// Integers are big-endian of 0 to 8 bytes, texts UTF-8 (or ASCII).
//
// Everything here treats the bytes as hostile: each size is checked against
// the bytes at hand before use, and a damaged element throws EMatroskaError.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace Quillmark::Matroska {

// A file this program cannot read or write as Matroska; the message says
// why, in words a person reads after the file's name.
class EMatroskaError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Throws EMatroskaError with Message unless Condition holds.
void Need(bool Condition, const char* Message);

// The element IDs the program reads or writes.
namespace Id {
constexpr std::uint32_t Ebml = 0x1A45DFA3;
constexpr std::uint32_t EbmlVersion = 0x4286;
constexpr std::uint32_t EbmlReadVersion = 0x42F7;
constexpr std::uint32_t EbmlMaxIdLength = 0x42F2;
constexpr std::uint32_t EbmlMaxSizeLength = 0x42F3;
constexpr std::uint32_t DocType = 0x4282;
constexpr std::uint32_t DocTypeVersion = 0x4287;
constexpr std::uint32_t DocTypeReadVersion = 0x4285;
constexpr std::uint32_t Segment = 0x18538067;
constexpr std::uint32_t SeekHead = 0x114D9B74;
constexpr std::uint32_t Seek = 0x4DBB;
constexpr std::uint32_t SeekId = 0x53AB;
constexpr std::uint32_t SeekPosition = 0x53AC;
constexpr std::uint32_t Info = 0x1549A966;
constexpr std::uint32_t Title = 0x7BA9;
constexpr std::uint32_t Tracks = 0x1654AE6B;
constexpr std::uint32_t TrackEntry = 0xAE;
constexpr std::uint32_t TrackNumber = 0xD7;
constexpr std::uint32_t TrackType = 0x83;
constexpr std::uint32_t Video = 0xE0;
constexpr std::uint32_t StereoMode = 0x53B8;
constexpr std::uint32_t PixelWidth = 0xB0;
constexpr std::uint32_t PixelHeight = 0xBA;
constexpr std::uint32_t DisplayWidth = 0x54B0;
constexpr std::uint32_t DisplayHeight = 0x54BA;
constexpr std::uint32_t DisplayUnit = 0x54B2;
constexpr std::uint32_t Void = 0xEC;
constexpr std::uint32_t Crc32 = 0xBF;
constexpr std::uint32_t Cluster = 0x1F43B675;
constexpr std::uint32_t Cues = 0x1C53BB6B;
} // namespace Id

constexpr std::uint64_t UnknownSize = ~std::uint64_t{0};

// The head of one element, at absolute offsets in the file.
struct THead {
  std::uint32_t Id = 0;
  std::uint64_t Offset = 0;     // of its ID
  std::uint64_t DataOffset = 0; // of its body
  std::uint64_t Size = 0;       // of its body; UnknownSize when unknown
  unsigned SizeLength = 0;      // bytes of its size field
  std::uint64_t End() const { return DataOffset + Size; }
  std::uint64_t Length() const { return End() - Offset; }
};

// The head of the element at Bytes[At], where Bytes begins at file offset
// Base. Throws unless ID and size are whole within Bytes and valid; the body
// is not checked against Bytes (the caller checks it against its parent).
THead ReadHead(const std::uint8_t* Bytes, std::size_t Length, std::size_t At, std::uint64_t Base);

// Reads the head and checks that its body, of known size, ends within Limit
// (the parent's end); At advances past it.
THead ReadChild(const std::uint8_t* Bytes, std::size_t Length, std::size_t& At, std::uint64_t Base,
                std::uint64_t Limit);

// Values of an element body.
std::uint64_t ReadUInt(const std::uint8_t* Body, std::uint64_t Size);
std::string ReadString(const std::uint8_t* Body, std::uint64_t Size);

// Encodings. An ID is written as it is stored (marker bit included).
void PutId(std::vector<std::uint8_t>& Out, std::uint32_t ElementId);
// Size in Width bytes (1 to 8); throws when it does not fit.
void PutSize(std::vector<std::uint8_t>& Out, std::uint64_t Size, unsigned Width);
// The fewest bytes that hold Size as a size field (the all-ones value of
// each width is kept for unknown sizes).
unsigned SizeWidth(std::uint64_t Size);
void PutUIntElement(std::vector<std::uint8_t>& Out, std::uint32_t ElementId, std::uint64_t Value);
void PutStringElement(std::vector<std::uint8_t>& Out, std::uint32_t ElementId, const std::string& Value);
// A Void element of exactly Length bytes (at least 2), its body zeros.
void PutVoid(std::vector<std::uint8_t>& Out, std::uint64_t Length);

} // namespace Quillmark::Matroska
