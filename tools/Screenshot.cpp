// Saves pictures of the main window, one per page, with no file open and
// with a file open (the controls enabled):
//   quillmark-screenshot FOLDER [PPI]
// PPI stands in for the screen's resolution, to see the design adapted to
// it; without it the screen's own is used. When FOLDER holds
// stereo-sample.wmv, the dialog of Video > Make Preview from Video is saved
// too, showing that video.
#include "support/QtPlatform.h"
#include "video/VideoLook.h"
#include "window/Application.h"
#include "window/FrameDialog.h"
#include "window/Main.h"

#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

class TScreenshotPlatform : public Quillmark::TQtPlatform {
public:
  explicit TScreenshotPlatform(std::optional<int> Ppi) : FPpi(Ppi) {}
  int ScreenPpi() const override { return FPpi ? *FPpi : TQtPlatform::ScreenPpi(); }

private:
  std::optional<int> FPpi;
};

class TScreenshotForm : public Quillmark::TMainForm {
public:
  using TMainForm::TMainForm;
  void ShowFileOpen(const QString& FileName)
  {
    FFileName = FileName;
    UpdateControls();
  }
};

bool SavePages(TScreenshotForm& Form, const QString& Folder, const QString& Suffix)
{
  auto* Pages = Form.findChild<QTabWidget*>(u"PageControl"_s);
  const QStringList Names = {u"stereo"_s, u"general"_s, u"disc"_s};
  for (int Index = 0; Index < Pages->count(); ++Index) {
    Pages->setCurrentIndex(Index);
    QApplication::processEvents();
    const QString Path = QDir(Folder).filePath(u"main-"_s + Names.value(Index) + Suffix + u".png"_s);
    if (!Form.grab().save(Path)) {
      std::fprintf(stderr, "Cannot write %s\n", qPrintable(Path));
      return false;
    }
  }
  Pages->setCurrentIndex(0);
  return true;
}

// The frame dialog as the Video menu opens it, on the sample video.
bool SaveFrameDialog(QWidget* Owner, const QString& Folder, const QString& Suffix)
{
  const QString Video = QDir(Folder).filePath(u"stereo-sample.wmv"_s);
  if (!QFileInfo::exists(Video)) {
    return true;
  }
  try {
    Quillmark::TFrameSource Source;
    Source.Video = std::make_unique<Quillmark::TVideoFile>(Video.toStdString());
    Source.Aspect = Source.Video->DisplayAspect();
    const Quillmark::TLayoutGuess Guess = Quillmark::DetectLayout(*Source.Video, 0);
    Source.Layout = {Guess.LayoutIndex, Guess.HalfWidth, Guess.HalfHeight};
    const Quillmark::TVideoFrame First = Quillmark::RepresentativeFrame(*Source.Video, 0);
    auto Picture = Quillmark::MakeFramePicture(Quillmark::TPictureKind::Preview, First.Image, Source.Aspect,
                                               Source.Layout);
    Quillmark::TFrameDialog Dialog(Owner, Quillmark::TPictureKind::Preview, std::move(Source), First,
                                   Picture);
    Dialog.show();
    QApplication::processEvents();
    const QString Path = QDir(Folder).filePath(u"frame-dialog"_s + Suffix + u".png"_s);
    if (!Dialog.grab().save(Path)) {
      std::fprintf(stderr, "Cannot write %s\n", qPrintable(Path));
      return false;
    }
  } catch (const Quillmark::EVideo& Error) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(Video), Error.what());
    return false;
  }
  return true;
}

} // namespace

int main(int argc, char** argv)
{
  std::optional<int> Ppi;
  if (argc == 3) {
    bool Ok = false;
    Ppi = QString::fromLocal8Bit(argv[2]).toInt(&Ok);
    if (!Ok || *Ppi < 48 || *Ppi > 480) {
      std::fprintf(stderr, "PPI must be a number from 48 to 480\n");
      return 2;
    }
  } else if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER [PPI]\n", argv[0]);
    return 2;
  }
  TScreenshotPlatform Platform(Ppi);
  Quillmark::TApplication Application(argc, argv, Platform);
  const QString Folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(Folder)) {
    std::fprintf(stderr, "Cannot create %s\n", argv[1]);
    return 1;
  }
  TScreenshotForm Form(Platform);
  Form.show();
  int Result = 1;
  QTimer::singleShot(200, [&] {
    const QString Suffix = Ppi ? u"-"_s + QString::number(*Ppi) : QString();
    if (SavePages(Form, Folder, Suffix)) {
      Form.ShowFileOpen(u"/home/user/Videos/Holiday in 3D.wmv"_s);
      if (SavePages(Form, Folder, Suffix + u"-open"_s) && SaveFrameDialog(&Form, Folder, Suffix)) {
        Result = 0;
      }
    }
    Quillmark::TApplication::quit();
  });
  Quillmark::TApplication::exec();
  return Result;
}
