// A whole save through the editor, as the window and quillmark-tag do one:
// open, change the title, flush. The videos are named on the command line
// (bench/compare_peers.sh passes real ones made by ffmpeg); each round
// writes a title of the same length, so after the first round every save
// fits in place.
//   BenchEdit VIDEO... [benchmark options]
#include "metadata/MetadataEditor.h"
#include "metadata/TextConversion.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace Quillmark;

namespace {

void EditTitle(benchmark::State& State, const std::string& Path)
{
  std::u16string WidePath = Utf8ToUtf16(Path);
  int Round = 0;
  for (auto _ : State) {
    std::u16string Title = u"Bench" + Utf8ToUtf16(std::to_string(Round++ % 10));
    TRef<IWMMetadataEditor> Editor;
    WMCreateEditor(Editor);
    auto Editor2 = QueryInterface<IWMMetadataEditor2>(Editor);
    auto Info = QueryInterface<IWMHeaderInfo3>(Editor);
    if (Editor2->OpenEx(WidePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0) != S_OK ||
        Info->SetAttribute(0, u"Title", WMT_TYPE_STRING, reinterpret_cast<const BYTE*>(Title.c_str()),
                           static_cast<WORD>((Title.size() + 1) * 2)) != S_OK ||
        Editor->Flush() != S_OK) {
      State.SkipWithError("the save failed");
      break;
    }
  }
}

} // namespace

int main(int Count, char** Arguments)
{
  benchmark::Initialize(&Count, Arguments);
  for (int Index = 1; Index < Count; ++Index) {
    std::string Path = Arguments[Index];
    std::string Name = "EditTitle/" + std::filesystem::path(Path).filename().string();
    benchmark::RegisterBenchmark(Name.c_str(), EditTitle, Path)->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
