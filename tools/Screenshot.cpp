// Saves pictures of the main window at the screen's own resolution, one per
// page, with no file open and with a file open and both pictures loaded,
// and of the About dialog on the default and on a dark palette:
//   quillmark-screenshot FOLDER
// Run it under X with Xft.dpi or QT_FONT_DPI set to see the window at other
// resolutions (tools/screenshot.sh does 96, 120 and 144). It says whether
// the preview reached the screen pixel for pixel. When FOLDER holds
// stereo-sample.wmv, the dialog of Video > Make Preview from Video is saved
// too, showing that video.
#include "catalogue/JpegImage.h"
#include "catalogue/PictureRules.h"
#include "support/AboutDlg.h"
#include "support/QtPlatform.h"
#include "video/VideoLook.h"
#include "window/Application.h"
#include "window/FrameDialog.h"
#include "window/JpegDrawing.h"
#include "window/Main.h"
#include "window/Product.h"
#include "window/Translations.h"
#include "window/Website.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <deque>

using namespace Qt::StringLiterals;

namespace {

// The real platform, with the file dialogs answered from a queue.
class TScreenshotPlatform : public Quillmark::TQtPlatform {
public:
  std::optional<QString> ChooseOpenFile(const Quillmark::TOpenDialogRequest& /*Request*/) override
  {
    if (FChosen.empty()) {
      return std::nullopt;
    }
    QString Chosen = FChosen.front();
    FChosen.pop_front();
    return Chosen;
  }
  Quillmark::TMessageAnswer ShowMessage(const Quillmark::TMessage& Message) override
  {
    std::fprintf(stderr, "message: %s\n", qPrintable(Message.Text));
    return Quillmark::TMessageAnswer::Ok;
  }
  std::deque<QString> FChosen;
};

class TScreenshotForm : public Quillmark::TMainForm {
public:
  using TMainForm::TMainForm;
  void ShowFileOpen(const QString& FileName)
  {
    FFileName = FileName;
    UpdateControls();
  }
  // The pictures decode on workers; the pages are taken once they are drawn.
  void WaitForPictures()
  {
    while (FPreviewView->Busy() || FPosterView->Busy()) {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
  }
};

// A picture whose finest detail is one pixel wide, so any resampling shows:
// single-pixel stripes on the left, a colour ramp on the right.
QImage TestPicture(int Width, int Height)
{
  QImage Picture(Width, Height, QImage::Format_RGB32);
  for (int Y = 0; Y < Height; ++Y) {
    for (int X = 0; X < Width; ++X) {
      const bool Stripe = X < Width / 2 && X % 2 == 0;
      Picture.setPixel(X, Y, Stripe ? qRgb(20, 20, 20) : qRgb(255 * X / Width, 255 * Y / Height, 160));
    }
  }
  QPainter Painter(&Picture);
  Painter.setPen(Qt::white);
  Painter.drawRect(0, 0, Width - 1, Height - 1);
  return Picture;
}

QString SaveJpeg(const QImage& Picture, const QString& Path, int Quality)
{
  return Picture.save(Path, "JPG", Quality) ? Path : QString();
}

bool Save(QWidget& Widget, const QString& Folder, const QString& Name)
{
  const QString Path = QDir(Folder).filePath(Name + u".png"_s);
  if (!Widget.grab().save(Path)) {
    std::fprintf(stderr, "Cannot write %s\n", qPrintable(Path));
    return false;
  }
  return true;
}

bool SavePages(TScreenshotForm& Form, const QString& Folder, const QString& Suffix)
{
  auto* Pages = Form.findChild<QTabWidget*>(u"PageControl"_s);
  const QStringList Names = {u"stereo"_s, u"general"_s, u"disc"_s};
  for (int Index = 0; Index < Pages->count(); ++Index) {
    Pages->setCurrentIndex(Index);
    QApplication::processEvents();
    if (!Save(Form, Folder, u"main-"_s + Names.value(Index) + Suffix)) {
      return false;
    }
  }
  Pages->setCurrentIndex(0);
  QApplication::processEvents();
  return true;
}

// Compares what reached the screen inside the preview's panel with the
// decoded picture, pixel for pixel.
void CheckPreview(TScreenshotForm& Form, const QString& PreviewFile)
{
  auto* Image = Form.findChild<QLabel*>(u"PreviewImage"_s);
  Quillmark::TJpegImage Jpeg;
  if (Jpeg.LoadFromFile(PreviewFile.toStdString(), Quillmark::MaxPreviewBytes) !=
      Quillmark::TJpegImage::TFileLoad::Ok) {
    std::printf("preview: not loaded\n");
    return;
  }
  const QImage Expected = Quillmark::JpegToPixmap(Jpeg).toImage().convertToFormat(QImage::Format_RGB32);
  const QImage Shown = Image->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QWidget* Panel = Image->parentWidget();
  const bool Same =
      Shown.size() == Expected.size() && Shown.copy(0, 0, Expected.width(), Expected.height()) == Expected;
  std::printf("preview: panel %dx%d, picture %dx%d device pixels (ratio %.2f), identical to the decoded "
              "picture: %s\n",
              Panel->width(), Panel->height(), Shown.width(), Shown.height(), Image->devicePixelRatioF(),
              Same ? "yes" : "no");
}

void ReportPoster(TScreenshotForm& Form)
{
  auto* Box = Form.findChild<QScrollArea*>(u"PosterScrollBox"_s);
  std::printf("poster: scroll bars %s and %s, %d and %d pixels thick\n",
              Box->horizontalScrollBar()->isVisible() ? "shown" : "hidden",
              Box->verticalScrollBar()->isVisible() ? "shown" : "hidden",
              Box->horizontalScrollBar()->height(), Box->verticalScrollBar()->width());
}

bool SaveAbout(Quillmark::IPlatform& Platform, TScreenshotForm& Form, const QString& Folder,
               const QString& Name)
{
  std::unique_ptr<Quillmark::TAboutForm> About = Quillmark::CreateAboutDialog(
      Platform, &Form, u"About "_s + Quillmark::ApplicationTitle(), Quillmark::ProductName(),
      Quillmark::VersionText(), Quillmark::CopyrightText(), QString::fromUtf16(Quillmark::WebsiteAddress),
      Quillmark::TIconResource{Form.ApplicationIconFile()});
  About->show();
  QApplication::processEvents();
  const QColor Link = About->URLLabel->palette().color(About->URLLabel->foregroundRole());
  const QColor Back = About->palette().color(About->backgroundRole());
  std::printf("%s: link %s on %s\n", qPrintable(Name), qPrintable(Link.name()), qPrintable(Back.name()));
  const bool Saved = Save(*About, Folder, Name);
  About->close();
  return Saved;
}

QPalette DarkPalette()
{
  QPalette Dark;
  Dark.setColor(QPalette::Window, QColor(45, 45, 48));
  Dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
  Dark.setColor(QPalette::Base, QColor(30, 30, 30));
  Dark.setColor(QPalette::Text, QColor(230, 230, 230));
  Dark.setColor(QPalette::Button, QColor(60, 60, 64));
  Dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
  Dark.setColor(QPalette::Link, QColor(120, 170, 255));
  return Dark;
}

// The frame dialog as the Video menu opens it, on the sample video that
// tools/screenshot.sh puts in the folder (nothing when it is not there).
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

bool Run(TScreenshotPlatform& Platform, TScreenshotForm& Form, const QString& Folder)
{
  const QString Suffix = u"-"_s + QString::number(Platform.ScreenPpi());
  std::printf("screen: %d pixels per inch, device pixel ratio %.2f, style %s\n", Platform.ScreenPpi(),
              Form.screen()->devicePixelRatio(), qPrintable(QApplication::style()->name()));
  QTemporaryDir Pictures;
  const QString Preview = SaveJpeg(TestPicture(160, 120), Pictures.filePath(u"preview.jpg"_s), 90);
  const QString Poster = SaveJpeg(TestPicture(640, 520), Pictures.filePath(u"poster.jpg"_s), 90);
  if (!SavePages(Form, Folder, Suffix)) {
    return false;
  }
  Form.ShowFileOpen(u"/home/user/Videos/Holiday in 3D.wmv"_s);
  Platform.FChosen = {Preview, Poster};
  Form.LoadButtonClick();
  Form.LoadPosterButtonClick();
  Form.WaitForPictures();
  QApplication::processEvents();
  if (!SavePages(Form, Folder, Suffix + u"-open"_s)) {
    return false;
  }
  CheckPreview(Form, Preview);
  Form.findChild<QTabWidget*>(u"PageControl"_s)->setCurrentIndex(2);
  QApplication::processEvents();
  ReportPoster(Form);
  if (!SaveFrameDialog(&Form, Folder, Suffix)) {
    return false;
  }
  if (!SaveAbout(Platform, Form, Folder, u"about"_s + Suffix)) {
    return false;
  }
  QApplication::setPalette(DarkPalette());
  return SaveAbout(Platform, Form, Folder, u"about"_s + Suffix + u"-dark"_s);
}

} // namespace

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  TScreenshotPlatform Platform;
  Quillmark::TApplication Application(argc, argv, Platform);
  // In the language LANG names, as the editor starts.
  const Quillmark::TTranslations Translations;
  const QString Folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(Folder)) {
    std::fprintf(stderr, "Cannot create %s\n", argv[1]);
    return 1;
  }
  TScreenshotForm Form(Platform);
  Form.show();
  // Leaves without the close query: the loaded pictures count as unsaved.
  QTimer::singleShot(200, [&] { Quillmark::TApplication::exit(Run(Platform, Form, Folder) ? 0 : 1); });
  return Quillmark::TApplication::exec();
}
