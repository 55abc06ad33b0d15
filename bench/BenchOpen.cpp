// Opening a file and reading all its attributes costs the same for a 2 MiB
// and a 2 GiB file: only the header is read. The large file is sparse, so it
// costs no disk.
#include "common/AsfBuilder.h"
#include "metadata/MetadataEditor.h"
#include "metadata/TextConversion.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

std::string MakeFile(std::uint64_t Size)
{
  TAsfBuilder Builder;
  Builder.Add(ContentDescriptionObject({u"A title", u"An author", u"(c)", u"A description"}));
  Builder.Add(ExtendedContentObject({StringRecord(u"StereoscopicLayout", u"SideBySideLF"),
                                     BoolRecord(u"Stereoscopic", 1, 4),
                                     BinaryRecord(u"StereoscopicPreview", TBytes(9000, 0xD8))}));
  Builder.AddToExtension(LibraryObject({BinaryRecord(u"StereoDiscTitlePoster", TBytes(200000, 0xD9))}));
  Builder.Add(PaddingObject(4096));
  TBytes Bytes = Builder.File();
  std::string Path = (std::filesystem::temp_directory_path() /
                      ("quillmark-bench-" + std::to_string(getpid()) + "-" + std::to_string(Size) + ".wmv"))
                         .string();
  int File = open(Path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (File < 0 || write(File, Bytes.data(), Bytes.size()) != static_cast<ssize_t>(Bytes.size()) ||
      ftruncate(File, static_cast<off_t>(Size)) != 0) {
    std::abort();
  }
  close(File);
  return Path;
}

void OpenAndReadAll(benchmark::State& State)
{
  std::uint64_t Size = static_cast<std::uint64_t>(State.range(0)) << 20;
  std::string Path = MakeFile(Size);
  std::u16string WidePath = Utf8ToUtf16(Path);
  std::vector<BYTE> Value(1 << 20);
  for (auto _ : State) {
    TRef<IWMMetadataEditor> Editor;
    WMCreateEditor(Editor);
    auto Editor2 = QueryInterface<IWMMetadataEditor2>(Editor);
    if (Editor2->OpenEx(WidePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0) != S_OK) {
      State.SkipWithError("open failed");
      break;
    }
    auto Info = QueryInterface<IWMHeaderInfo3>(Editor);
    WORD Count = 0;
    Info->GetAttributeCountEx(0, &Count);
    for (WORD Index = 0; Index < Count; ++Index) {
      char16_t Name[256];
      WORD NameLen = 256;
      WMT_ATTR_DATATYPE Type{};
      WORD Lang = 0;
      DWORD Length = static_cast<DWORD>(Value.size());
      Info->GetAttributeByIndexEx(0, Index, Name, &NameLen, &Type, &Lang, Value.data(), &Length);
      benchmark::DoNotOptimize(Value.data());
    }
    Editor2->Close();
  }
  std::filesystem::remove(Path);
}

} // namespace

BENCHMARK(OpenAndReadAll)->Arg(2)->Arg(2048)->ArgName("MiB")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
