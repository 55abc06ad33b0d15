// Pictures decode off the window's thread: the window keeps running while a
// poster decodes, a result gone stale never lands, saving does not wait for
// it, and the window may go while a decode runs.
#include "MainFormTestSupport.h"
#include "common/AsfBuilder.h"
#include "common/TestFiles.h"
#include "common/TestJpeg.h"
#include "window/JpegDrawing.h"

#include <QTimer>
#include <chrono>
#include <climits>
#include <functional>
#include <thread>

using namespace Quillmark;

namespace QuillmarkTest {
namespace {

// A decode the test holds back: a picture waits until its width is at most
// FOpenUpTo, then comes out as a plain red image of its size; with
// FHonourCancel it gives up at once when cancelled.
class TGate {
public:
  TPictureDecode Decode()
  {
    return [this](const TJpegImage& Picture, const std::atomic<bool>& Cancel) {
      while (Picture.Width() > FOpenUpTo) {
        if (FHonourCancel && Cancel) {
          ++FCancelled;
          return QImage();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      QImage Image(Picture.Width(), Picture.Height(), QImage::Format_RGB32);
      Image.fill(Qt::red);
      return Image;
    };
  }

  std::atomic<int> FOpenUpTo{0};
  std::atomic<bool> FHonourCancel{true};
  std::atomic<int> FCancelled{0};
};

class TDecodeForm : public TTestForm {
public:
  using TTestForm::TTestForm;

  QLabel* Poster() const { return Get<QLabel>("PosterImage"); }
  void Gate(TGate& Gate) { FPosterView->SetDecode(Gate.Decode()); }
  // Lets the picture shown, Width wide, decode and waits for it, then the
  // wider ones, which have gone stale; each result has landed or been dropped.
  void Release(TGate& Gate, int Width = 480)
  {
    Gate.FOpenUpTo = Width;
    while (FPosterView->Pending()) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    Gate.FOpenUpTo = INT_MAX;
    SettlePictures();
    Gate.FOpenUpTo = 0;
  }
};

class PictureDecode : public ::testing::Test {
protected:
  // A video whose stored poster is Jpeg.
  QString VideoWith(const char* Name, const TBytes& Jpeg)
  {
    TAsfBuilder Builder;
    Builder.Add(PaddingObject(4000));
    Builder.AddToExtension(LibraryObject({BinaryRecord(u"StereoDiscTitlePoster", Jpeg)}));
    WriteFileBytes(FDir.File(Name), Builder.File());
    return QString::fromStdString(FDir.File(Name).string());
  }

  TTempDir FDir;
  TScriptedPlatform FPlatform;
  TGate FGate; // outlives every form
};

TEST_F(PictureDecode, DecodedPixelsMatchTheStreamAndStopWhenCancelled)
{
  TJpegImage Picture;
  ASSERT_TRUE(Picture.LoadFromBytes(MakeJpeg(640, 480)));
  std::atomic<bool> Cancel{false};
  const QImage Decoded = DecodeJpeg(Picture, Cancel);
  ASSERT_EQ(Decoded.size(), QSize(640, 480));
  const std::vector<std::uint8_t>& Rgb = Picture.Pixels();
  for (const QPoint At : {QPoint(0, 0), QPoint(639, 0), QPoint(300, 200), QPoint(639, 479)}) {
    const std::size_t Index = (std::size_t(At.y()) * 640 + std::size_t(At.x())) * 3;
    EXPECT_EQ(Decoded.pixel(At), qRgb(Rgb[Index], Rgb[Index + 1], Rgb[Index + 2])) << At.x() << "," << At.y();
  }
  Cancel = true;
  EXPECT_TRUE(DecodeJpeg(Picture, Cancel).isNull());
}

TEST_F(PictureDecode, OpeningShowsDecodingWhileTheWindowRunsAndSavesWithoutWaiting)
{
  const QString Video = VideoWith("a.wmv", MakeJpeg(480, 480));
  TDecodeForm Form(FPlatform);
  Form.Gate(FGate);
  Form.OpenFile(Video);
  ASSERT_TRUE(Form.FPosterView->Pending());
  EXPECT_EQ(Form.Poster()->text(), DecodingText());
  EXPECT_FALSE(Form.Poster()->isHidden());
  bool Ticked = false;
  QTimer::singleShot(0, &Form, [&Ticked] { Ticked = true; });
  while (!Ticked) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  EXPECT_TRUE(Form.FPosterView->Pending());

  // A loaded poster is saved while it still decodes: the bytes are its file's.
  const TBytes Loaded = MakeJpeg(600, 500);
  WriteFileBytes(FDir.File("new.jpg"), Loaded);
  FPlatform.FChosenFiles = {QString::fromStdString(FDir.File("new.jpg").string())};
  Form.LoadPosterButtonClick();
  EXPECT_TRUE(Form.FPosterView->Pending());
  Form.SaveFile();
  EXPECT_TRUE(FPlatform.FMessages.empty());

  Form.Release(FGate, 600);
  EXPECT_EQ(Form.Poster()->pixmap().size(), QSize(600, 500));
  EXPECT_TRUE(Form.Poster()->text().isEmpty());
  Form.CloseFile();
  Form.OpenFile(Video);
  EXPECT_EQ(Form.FPosterImage->Bytes(), Loaded);
  Form.Release(FGate, 600);
}

TEST_F(PictureDecode, AStaleResultNeverLands)
{
  FGate.FHonourCancel = false; // each stale decode runs to its end
  const QString Large = VideoWith("large.wmv", MakeJpeg(900, 700));
  const QString Small = VideoWith("small.wmv", MakeJpeg(480, 480));
  WriteFileBytes(FDir.File("small.jpg"), MakeJpeg(480, 480));
  TDecodeForm Form(FPlatform);
  Form.Gate(FGate);
  // What is done while the large poster decodes, and what is shown after.
  const std::vector<std::pair<std::function<void()>, QSize>> Cases = {
      {[&] { Form.OpenFile(Small); }, QSize(480, 480)},
      {[&] {
         FPlatform.FChosenFiles = {QString::fromStdString(FDir.File("small.jpg").string())};
         Form.LoadPosterButtonClick();
       },
       QSize(480, 480)},
      {[&] { Form.DeletePosterButtonClick(); }, QSize(0, 0)},
      {[&] { Form.CloseFile(); }, QSize(0, 0)},
  };
  for (std::size_t Index = 0; Index < Cases.size(); ++Index) {
    Form.OpenFile(Large);
    Cases[Index].first();
    Form.Release(FGate);
    EXPECT_EQ(Form.Poster()->pixmap().size(), Cases[Index].second) << Index;
  }
  EXPECT_TRUE(FPlatform.FMessages.empty());
}

TEST_F(PictureDecode, TheWindowGoesWhileADecodeRuns)
{
  const QString Held = VideoWith("held.wmv", MakeJpeg(600, 600));
  auto Form = std::make_unique<TDecodeForm>(FPlatform);
  Form->Gate(FGate);
  Form->OpenFile(Held);
  ASSERT_TRUE(Form->FPosterView->Pending());
  Form.reset(); // cancels the held decode and waits for it
  EXPECT_EQ(FGate.FCancelled, 1);

  // A real decode of a large poster, gone before or after it ends.
  const QString Large = VideoWith("real.wmv", MakeJpeg(2000, 1600));
  Form = std::make_unique<TDecodeForm>(FPlatform);
  Form->OpenFile(Large);
  EXPECT_TRUE(Form->FPosterView->Pending());
  Form.reset();
  EXPECT_TRUE(FPlatform.FMessages.empty());
}

} // namespace
} // namespace QuillmarkTest
