// Writes the seed headers of the fuzzer into a folder: one of each kind of
// object the engine reads, made with the tests' builder.
#include "common/AsfBuilder.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace QuillmarkTest;

namespace {

void Save(const std::string& Folder, const std::string& Name, const TBytes& Bytes)
{
  std::ofstream Out(Folder + "/" + Name, std::ios::binary);
  Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

} // namespace

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
    return 2;
  }
  std::string Folder = argv[1];
  Save(Folder, "minimal", TAsfBuilder().Header());
  Save(Folder, "no-extension", TAsfBuilder().WithoutExtension().Add(PaddingObject(40)).Header());
  TAsfBuilder Full;
  Full.Add(ContentDescriptionObject({u"Title", u"Author", u"", std::nullopt, u"R"}));
  Full.Add(
      ExtendedContentObject({StringRecord(u"Genre", u"Jazz"), BoolRecord(u"B", 1, 4), DwordRecord(u"D", 7),
                             QwordRecord(u"Q", 9), WordRecord(u"W", 3), BinaryRecord(u"Bin", {1, 2, 3})}));
  Full.Add(UnknownObject(1, 8)).Add(PaddingObject(64));
  Full.AddToExtension(LanguageListObject({u"en-us", u"fr"}));
  Full.AddToExtension(MetadataObject({DwordRecord(u"S", 1, 1), BoolRecord(u"MB", 1, 2)}));
  Full.AddToExtension(PaddingObject(30));
  Full.AddToExtension(LibraryObject({StringRecord(u"Genre", u"Blues"), StringRecord(u"L", u"x", 0, 1),
                                     GuidRecord(u"G", Quillmark::Asf::Guids::Data, 2)}));
  Save(Folder, "full", Full.Header());
  TAsfBuilder Large;
  Large.AddToExtension(
      LibraryObject({BinaryRecord(u"Poster", TBytes(66000, 0xD8)), StringRecord(u"After", u"a")}));
  Save(Folder, "large-library-value", Large.Header());
  Save(Folder, "broadcast-file", TAsfBuilder().Broadcast().File());
  return 0;
}
