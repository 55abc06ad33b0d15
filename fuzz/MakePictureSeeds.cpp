// Writes the seeds of the picture fuzzers: JPEG streams made with the tests'
// encoder into JPEG_FOLDER, and, where the icon fuzzer is built, icon files
// made with the icon tests' builder into ICON_FOLDER.
#include "common/TestJpeg.h"
#ifdef QUILLMARK_ICON_SEEDS
#include "support/IconFiles.h"
#endif

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace QuillmarkTest;

namespace {

void Save(const std::string& Path, const char* Data, std::size_t Size)
{
  std::ofstream Out(Path, std::ios::binary);
  Out.write(Data, static_cast<std::streamsize>(Size));
}

void SaveJpeg(const std::string& Folder, const std::string& Name, const std::vector<std::uint8_t>& Bytes)
{
  Save(Folder + "/" + Name, reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
}

#ifdef QUILLMARK_ICON_SEEDS
void SaveIcon(const std::string& Folder, const std::string& Name, const QByteArray& Bytes)
{
  Save(Folder + "/" + Name, Bytes.constData(), static_cast<std::size_t>(Bytes.size()));
}

void MakeIconSeeds(const std::string& Folder)
{
  SaveIcon(Folder, "app-shaped.ico", MakeAppShapedIcon());
  SaveIcon(Folder, "png.ico", MakeIcon({{16, 0, 32, 32, qRgb(1, 2, 3), true}}));
  SaveIcon(Folder, "one-bit.ico", MakeIcon({{16, 2, 1, 1, qRgb(255, 255, 255), false}}));
  SaveIcon(Folder, "mixed.ico",
           MakeIcon({{24, 0, 24, 24, qRgb(9, 9, 9), false}, {16, 16, 4, 4, qRgb(0, 0, 255), false}}));
}
#endif

} // namespace

int main(int argc, char** argv)
{
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_picture_seeds JPEG_FOLDER ICON_FOLDER\n");
    return 2;
  }
  const std::string JpegFolder = argv[1];
  SaveJpeg(JpegFolder, "1x1.jpg", MakeJpeg(1, 1));
  SaveJpeg(JpegFolder, "17x9.jpg", MakeJpeg(17, 9));
  SaveJpeg(JpegFolder, "17x9-trailing.jpg", MakeJpeg(17, 9, 2048));
  SaveJpeg(JpegFolder, "preview.jpg", MakeJpeg(160, 120));
#ifdef QUILLMARK_ICON_SEEDS
  MakeIconSeeds(argv[2]);
#endif
  return 0;
}
