// The longest time the window's thread goes without turning its event loop
// while the editor saves a video whose header holds a 20 MB poster: a timer
// asks to fire every millisecond, and the widest gap between its ticks is
// the stall a user would see. The same save done on the calling thread, as
// the window once did it, stalls for the whole flush and re-open.
//   SaveStall [MEGABYTES_OF_VIDEO]      (default 234)
#include "common/AsfBuilder.h"
#include "common/ScriptedPlatform.h"
#include "common/TestFiles.h"
#include "common/TestJpeg.h"
#include "window/Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

// The header, a few packets, then VideoBytes more after them, written in
// large pieces: what a save that inserts room has to move.
void WriteVideo(const std::filesystem::path& Path, std::uint64_t VideoBytes)
{
  TAsfBuilder Builder;
  Builder.Add(ExtendedContentObject({StringRecord(u"Title", u"Poster")}));
  Builder.AddToExtension(
      LibraryObject({BinaryRecord(u"StereoDiscTitlePoster", MakeJpeg(1920, 1080, 20'000'000))}));
  WriteFileBytes(Path, Builder.File());
  std::ofstream File(Path, std::ios::binary | std::ios::app);
  const std::vector<char> Piece(1 << 20, 0x5A);
  for (std::uint64_t Written = 0; Written < VideoBytes; Written += Piece.size()) {
    File.write(Piece.data(), static_cast<std::streamsize>(Piece.size()));
  }
}

// The widest gap between ticks of a 1 ms timer while Work runs, and how
// long it ran, in milliseconds.
std::pair<qint64, qint64> Measure(const std::function<void()>& Work)
{
  QElapsedTimer Clock;
  qint64 Last = 0;
  qint64 Widest = 0;
  QTimer Timer;
  Timer.setInterval(1);
  QObject::connect(&Timer, &QTimer::timeout, [&] {
    const qint64 Now = Clock.elapsed();
    Widest = std::max(Widest, Now - Last);
    Last = Now;
  });
  Clock.start();
  Timer.start();
  Work();
  const qint64 Total = Clock.elapsed();
  Widest = std::max(Widest, Total - Last);
  return {Widest, Total};
}

void Report(const char* What, std::pair<qint64, qint64> Figures)
{
  std::printf("%-44s longest stall %6lld ms of %6lld ms\n", What, static_cast<long long>(Figures.first),
              static_cast<long long>(Figures.second));
}

} // namespace

int main(int argc, char** argv)
{
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const std::uint64_t Megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 234;
  QApplication Application(argc, argv);
  TTempDir Dir;
  const std::filesystem::path Path = Dir.File("poster.wmv");
  const QString QPath = QString::fromStdString(Path.string());
  const std::u16string Wide = QPath.toStdU16String();

  // On the calling thread: the flush and the re-open block the event loop.
  WriteVideo(Path, Megabytes << 20);
  std::u16string Title0 = u"Poster";
  for (const char* What :
       {"old way, on the window's thread: a save", "old way: a one-letter edit saved again"}) {
    TRef<IWMMetadataEditor> Created;
    WMCreateEditor(Created);
    const TRef<IWMMetadataEditor2> Editor = QueryInterface<IWMMetadataEditor2>(Created);
    Editor->OpenEx(Wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0);
    // A one-letter edit of the title, as the window's save below makes.
    const std::u16string Title = Title0 += u'x';
    QueryInterface<IWMHeaderInfo3>(Created)->SetAttribute(
        0, u"Title", WMT_TYPE_STRING, reinterpret_cast<const BYTE*>(Title.c_str()),
        static_cast<WORD>((Title.size() + 1) * sizeof(char16_t)));
    Report(What, Measure([&] {
             Editor->Flush();
             Editor->OpenEx(Wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0);
           }));
    Editor->Close();
  }

  // Through the window, which saves on a thread of its own.
  WriteVideo(Path, Megabytes << 20);
  TScriptedPlatform Platform;
  TMainForm Form(Platform);
  Form.show();
  Form.OpenFile(QPath);
  auto* Title = Form.findChild<QLineEdit*>(QStringLiteral("TitleEdit"));
  for (const char* What : {"the window: a save", "the window: a one-letter edit saved again"}) {
    Title->setText(Title->text() + QLatin1Char('x'));
    Report(What, Measure([&] { Form.SaveFile(); }));
  }
  Form.CloseFile();
  return 0;
}
