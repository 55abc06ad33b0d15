#pragma once
// Matroska files built byte by byte for the reader's tests: elements with
// sizes of a chosen width, so that damaged and hostile ones can be made too.
#include "matroska/Ebml.h"

#include <cstdint>
#include <string>
#include <vector>

namespace QuillmarkTest {

using TBytes = std::vector<std::uint8_t>;

// ID, size (in Width bytes; 0 for the fewest) and body.
inline TBytes Element(std::uint32_t Id, const TBytes& Body, unsigned Width = 0)
{
  TBytes Out;
  Quillmark::Matroska::PutId(Out, Id);
  Quillmark::Matroska::PutSize(Out, Body.size(),
                               Width != 0 ? Width : Quillmark::Matroska::SizeWidth(Body.size()));
  Out.insert(Out.end(), Body.begin(), Body.end());
  return Out;
}

inline TBytes UInt(std::uint32_t Id, std::uint64_t Value)
{
  TBytes Out;
  Quillmark::Matroska::PutUIntElement(Out, Id, Value);
  return Out;
}

inline TBytes Text(std::uint32_t Id, const std::string& Value)
{
  return Element(Id, TBytes(Value.begin(), Value.end()));
}

inline TBytes Join(std::initializer_list<TBytes> Parts)
{
  TBytes Out;
  for (const TBytes& Part : Parts) {
    Out.insert(Out.end(), Part.begin(), Part.end());
  }
  return Out;
}

inline TBytes VoidOf(std::uint64_t Length)
{
  TBytes Out;
  Quillmark::Matroska::PutVoid(Out, Length);
  return Out;
}

inline TBytes EbmlHeader(const std::string& DocType = "matroska")
{
  namespace Id = Quillmark::Matroska::Id;
  return Element(Id::Ebml, Join({UInt(Id::EbmlVersion, 1), UInt(Id::EbmlReadVersion, 1),
                                 UInt(Id::EbmlMaxIdLength, 4), UInt(Id::EbmlMaxSizeLength, 8),
                                 Text(Id::DocType, DocType), UInt(Id::DocTypeReadVersion, 2)}));
}

inline TBytes VideoTracks(const TBytes& VideoExtra = {})
{
  namespace Id = Quillmark::Matroska::Id;
  return Element(
      Id::Tracks,
      Element(Id::TrackEntry, Join({UInt(Id::TrackNumber, 1), UInt(Id::TrackType, 1),
                                    Element(Id::Video, Join({UInt(Id::PixelWidth, 640),
                                                             UInt(Id::PixelHeight, 360), VideoExtra}))})));
}

// A Cluster with a few bytes of body, so that the region ends somewhere.
inline TBytes SomeCluster()
{
  return Element(Quillmark::Matroska::Id::Cluster, UInt(0xE7, 0));
}

// EBML header and a Segment of 8-byte size holding Body.
inline TBytes File(const TBytes& Body, const std::string& DocType = "matroska")
{
  return Join({EbmlHeader(DocType), Element(Quillmark::Matroska::Id::Segment, Body, 8)});
}

} // namespace QuillmarkTest
