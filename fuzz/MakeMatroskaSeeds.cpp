// Seeds for fuzz_matroska: small files of the tests' builder, with and
// without Voids, CRC-32 elements, a SeekHead and a title.
#include "matroska/EbmlBuilder.h"

#include <fstream>
#include <string>

using namespace QuillmarkTest;
namespace Id = Quillmark::Matroska::Id;

namespace {

void Write(const std::string& Folder, const std::string& Name, const TBytes& Bytes)
{
  std::ofstream(Folder + "/" + Name, std::ios::binary)
      .write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

} // namespace

int main(int Count, char** Arguments)
{
  if (Count != 2) {
    return 2;
  }
  const std::string Folder = Arguments[1];
  const TBytes Info = Element(Id::Info, Join({Element(Id::Crc32, TBytes(4, 0)), Text(Id::Title, "Seed")}));
  const TBytes Seek = Element(
      Id::SeekHead,
      Element(Id::Seek, Join({Element(Id::SeekId, {0x16, 0x54, 0xAE, 0x6B}), UInt(Id::SeekPosition, 40)})));
  Write(Folder, "plain.mkv", File(Join({VideoTracks(), SomeCluster()})));
  Write(
      Folder, "voids.mkv",
      File(Join({Seek, VoidOf(40), Info, VideoTracks(UInt(Id::StereoMode, 1)), VoidOf(30), SomeCluster()})));
  Write(Folder, "webm.webm",
        File(Join({Info, VideoTracks(UInt(Id::DisplayWidth, 1280)), VoidOf(8)}), "webm"));
  return 0;
}
