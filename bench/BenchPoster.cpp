// What showing a 4096 x 4096 poster costs the window's thread: all of the
// decode and conversion when it was drawn there, only handing the decoded
// image to a pixmap now that a worker decodes it.
#include "common/TestJpeg.h"
#include "window/JpegDrawing.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace Quillmark;

namespace {

const TJpegImage& Poster()
{
  static const TJpegImage Picture = [] {
    TJpegImage Made;
    if (!Made.LoadFromBytes(QuillmarkTest::MakeJpeg(4096, 4096))) {
      std::abort();
    }
    return Made;
  }();
  return Picture;
}

// The old path, all on the window's thread: decode, then convert.
void DrawOnWindowThread(benchmark::State& State)
{
  for (auto _ : State) {
    TJpegImage Fresh;
    Fresh.LoadFromBytes(Poster().Bytes());
    benchmark::DoNotOptimize(JpegToPixmap(Fresh));
  }
}

// The worker's share now.
void DecodeOnWorker(benchmark::State& State)
{
  const std::atomic<bool> Cancel{false};
  for (auto _ : State) {
    benchmark::DoNotOptimize(DecodeJpeg(Poster(), Cancel));
  }
}

// The window's share now: the decoded image becomes the control's pixmap.
void PlaceOnWindowThread(benchmark::State& State)
{
  const std::atomic<bool> Cancel{false};
  const QImage Decoded = DecodeJpeg(Poster(), Cancel);
  for (auto _ : State) {
    State.PauseTiming();
    QImage Image = Decoded.copy();
    State.ResumeTiming();
    benchmark::DoNotOptimize(QPixmap::fromImage(std::move(Image)));
  }
}

BENCHMARK(DrawOnWindowThread)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeOnWorker)->Unit(benchmark::kMillisecond);
BENCHMARK(PlaceOnWindowThread)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication App(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
