#pragma once
// The video the journal fuzzer checks journals against and rolls them back
// onto: a header of JournalVideoHeaderSize bytes (the Header Object's fixed
// part and one Padding Object), then a Data Object of random-looking bytes.
#include "asf/AsfGuids.h"

#include <cstdint>
#include <vector>

namespace QuillmarkFuzz {

constexpr std::size_t JournalVideoHeaderSize = 1024;
constexpr std::size_t JournalVideoDataSize = 16384;

inline void PutQword(std::vector<std::uint8_t>& Out, std::size_t At, std::uint64_t Value)
{
  for (int Index = 0; Index < 8; ++Index) {
    Out[At + static_cast<std::size_t>(Index)] = static_cast<std::uint8_t>(Value >> (8 * Index));
  }
}

inline std::vector<std::uint8_t> JournalVideo()
{
  using namespace Quillmark::Asf;
  std::vector<std::uint8_t> Video(JournalVideoHeaderSize + JournalVideoDataSize);
  std::copy(Guids::Header.Bytes.begin(), Guids::Header.Bytes.end(), Video.begin());
  PutQword(Video, 16, JournalVideoHeaderSize);
  Video[24] = 1; // one child
  Video[28] = 1;
  Video[29] = 2;
  std::copy(Guids::Padding.Bytes.begin(), Guids::Padding.Bytes.end(), Video.begin() + 30);
  PutQword(Video, 46, JournalVideoHeaderSize - 30);
  std::copy(Guids::Data.Bytes.begin(), Guids::Data.Bytes.end(), Video.begin() + JournalVideoHeaderSize);
  PutQword(Video, JournalVideoHeaderSize + 16, JournalVideoDataSize);
  std::uint32_t State = 12345;
  for (std::size_t At = JournalVideoHeaderSize + 24; At < Video.size(); ++At) {
    State = State * 1103515245U + 12345U;
    Video[At] = static_cast<std::uint8_t>(State >> 16);
  }
  return Video;
}

// The video as a save that inserted JournalVideoRoom bytes at its start
// left it before it wrote the new header: the room's zeros, then the rest.
constexpr std::size_t JournalVideoRoom = 4096;

inline std::vector<std::uint8_t> JournalVideoWithRoom()
{
  std::vector<std::uint8_t> Video = JournalVideo();
  Video.insert(Video.begin(), JournalVideoRoom, 0);
  return Video;
}

} // namespace QuillmarkFuzz
