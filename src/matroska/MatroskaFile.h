#pragma once
// The parts of a Matroska or WebM file this program reads and writes: the
// EBML header's DocType, the one Segment, its SeekHead, its Info (the
// title) and its Tracks (the first video track's stereo mode and sizes),
// each with the Void that directly follows it, the room a rewrite may take.
//
// The file is read as hostile: every element must lie within its parent and
// the file; the walk over the Segment's top level stops at the first
// Cluster (elements after it are reached through the SeekHead) and reads at
// most MaxTopElements heads; master elements nest at most MaxDepth deep;
// Info and Tracks are read whole only up to MaxMasterBytes.
#include "fs/FileSystem.h"
#include "matroska/Ebml.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Quillmark::Matroska {

constexpr std::uint64_t MaxEbmlHeaderBytes = 4096;
constexpr std::uint64_t MaxMasterBytes = 16ULL << 20;
constexpr unsigned MaxTopElements = 4096;
constexpr unsigned MaxDepth = 8;
constexpr std::size_t MaxChildren = 65536;
// SeekHeads besides the first (one that a first too small to hold every
// entry points to, after the Clusters, is common; more are not).
constexpr std::size_t MaxOtherSeekHeads = 4;

// A top-level element of the Segment read whole, and the Void after it.
struct TTopElement {
  THead Head;
  std::vector<std::uint8_t> Bytes; // head and body
  std::optional<THead> VoidAfter;
};

// The first video track's values; absent elements stay empty.
struct TVideoTrack {
  std::optional<std::uint64_t> StereoMode;
  std::uint64_t PixelWidth = 0;
  std::uint64_t PixelHeight = 0;
  std::optional<std::uint64_t> DisplayWidth;
  std::optional<std::uint64_t> DisplayHeight;
  std::uint64_t DisplayUnit = 0;
};

struct TMatroskaFile {
  std::string DocType; // "matroska" or "webm"
  std::uint64_t FileSize = 0;
  THead Segment;
  std::optional<TTopElement> SeekHead;
  // The others, met before the first Cluster or pointed to by the first.
  std::vector<TTopElement> OtherSeekHeads;
  std::optional<TTopElement> Info;
  std::optional<TTopElement> Tracks;
  std::optional<TVideoTrack> Video; // none when the file has no video track
  std::optional<std::string> Title;
  // Where the first Cluster starts; the Segment's end when there is none.
  std::uint64_t FirstCluster = 0;
  // The Segment's top-level elements before it, and the file's bytes up to
  // it (empty when they are more than MaxMasterBytes).
  std::vector<THead> TopLevel;
  std::vector<std::uint8_t> Region;
  bool IsWebm() const { return DocType == "webm"; }
};

// Whether Bytes (the file's first bytes) begin with the EBML magic.
bool HasEbmlMagic(const std::uint8_t* Bytes, std::size_t Length);

// Reads the open file Fd. Throws EMatroskaError for a file that is damaged
// or that this program does not take (an unknown-size Segment, several
// Segments, another DocType).
TMatroskaFile ReadMatroska(Fs::IFileSystem& Fs, int Fd);

// The first video TrackEntry of a Tracks element (its head and body, as
// read) and the Video element in it; Found false when there is none.
struct TVideoPath {
  bool Found = false;
  THead Entry;
  THead Video;
};
TVideoPath FindVideo(const std::vector<std::uint8_t>& Tracks, std::uint64_t Base);

// An entry of a SeekHead: the ID of the element it leads to and its
// position from the start of the Segment's body.
struct TSeekEntry {
  std::uint32_t Target = 0;
  std::uint64_t Position = 0;
};
// The entries of a SeekHead read whole, but those that lack either field.
std::vector<TSeekEntry> SeekEntries(const TTopElement& SeekHead);

// Reads the children of the master element Parent held in Bytes (which
// begin at file offset Base).
std::vector<THead> Children(const std::vector<std::uint8_t>& Bytes, std::uint64_t Base, const THead& Parent);

} // namespace Quillmark::Matroska
