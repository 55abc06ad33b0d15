// Reading every attribute of a stream by index costs time in proportion to
// their count: a header with 65,530 Metadata Library records is read in one
// pass, not one pass per record.
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

std::string MakeFile(int Records)
{
  std::vector<TRecord> Library;
  Library.reserve(static_cast<std::size_t>(Records));
  for (int Index = 0; Index < Records; ++Index) {
    Library.push_back(
        DwordRecord(u"Record" + Utf8ToUtf16(std::to_string(Index)), static_cast<std::uint32_t>(Index)));
  }
  TAsfBuilder Builder;
  Builder.AddToExtension(LibraryObject(Library));
  TBytes Bytes = Builder.File();
  std::string Path =
      (std::filesystem::temp_directory_path() /
       ("quillmark-bench-lookup-" + std::to_string(getpid()) + "-" + std::to_string(Records) + ".wmv"))
          .string();
  int File = open(Path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (File < 0 || write(File, Bytes.data(), Bytes.size()) != static_cast<ssize_t>(Bytes.size())) {
    std::abort();
  }
  close(File);
  return Path;
}

// What dump does: the count, then each attribute's lengths and then its
// name and value, by index.
void ReadAllByIndex(benchmark::State& State)
{
  const auto Records = static_cast<int>(State.range(0));
  const std::string Path = MakeFile(Records);
  const std::u16string WidePath = PathToUtf16(Path);
  for (auto _ : State) {
    TRef<IWMMetadataEditor> Editor;
    WMCreateEditor(Editor);
    auto Editor2 = QueryInterface<IWMMetadataEditor2>(Editor);
    if (Editor2->OpenEx(WidePath.c_str(), GENERIC_READ, FILE_SHARE_READ) != S_OK) {
      State.SkipWithError("open failed");
      break;
    }
    auto Info = QueryInterface<IWMHeaderInfo3>(Editor);
    WORD Count = 0;
    Info->GetAttributeCountEx(0, &Count);
    for (WORD Index = 0; Index < Count; ++Index) {
      char16_t Name[64];
      WORD NameLen = 64;
      WMT_ATTR_DATATYPE Type{};
      WORD Language = 0;
      BYTE Value[8];
      DWORD Length = sizeof Value;
      Info->GetAttributeByIndexEx(0, Index, nullptr, &NameLen, &Type, &Language, nullptr, &Length);
      benchmark::DoNotOptimize(
          Info->GetAttributeByIndexEx(0, Index, Name, &NameLen, &Type, &Language, Value, &Length));
    }
    Editor2->Close();
  }
  std::filesystem::remove(Path);
  State.SetComplexityN(Records);
}

} // namespace

BENCHMARK(ReadAllByIndex)->Arg(4096)->Arg(16384)->Arg(65530)->Unit(benchmark::kMillisecond)->Complexity();

BENCHMARK_MAIN();
