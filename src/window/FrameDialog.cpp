#include "window/FrameDialog.h"

#include "window/JpegDrawing.h"
#include "window/Main.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QThread>
#include <QTimer>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

namespace {

// The slider moves in tenths of a second.
constexpr double SliderSteps = 10.0;
constexpr int FrameBoxWidth = 400;
constexpr int FrameBoxHeight = 300;
constexpr int PictureBox = 240;
// Reading starts once the slider has rested this long.
constexpr int SliderRestMs = 150;

QPixmap FramePixmap(const TRgbImage& Image, double Aspect)
{
  if (Image.Empty()) {
    return {};
  }
  const QImage Frame(Image.Pixels.data(), Image.Width, Image.Height, Image.Width * 3, QImage::Format_RGB888);
  // Shown at its display shape, fitted into the box.
  double Width = FrameBoxWidth;
  double Height = Width / Aspect;
  if (Height > FrameBoxHeight) {
    Height = FrameBoxHeight;
    Width = Height * Aspect;
  }
  return QPixmap::fromImage(Frame.scaled(std::max(1, static_cast<int>(Width)),
                                         std::max(1, static_cast<int>(Height)), Qt::IgnoreAspectRatio,
                                         Qt::SmoothTransformation));
}

QString PictureText(const TJpegImage& Picture)
{
  return TFrameDialog::tr("%1 x %2 pixels, %3 bytes")
      .arg(Picture.Width())
      .arg(Picture.Height())
      .arg(QLocale().toString(static_cast<qulonglong>(Picture.Bytes().size())));
}

} // namespace

bool ExecFrameDialog(TFrameDialog& Dialog)
{
  return Dialog.exec() == QDialog::Accepted;
}

QString TimeText(double Seconds)
{
  const auto Tenths = static_cast<long long>(std::llround(std::max(0.0, Seconds) * 10));
  const long long Hours = Tenths / 36000;
  const long long Minutes = Tenths / 600 % 60;
  // The tenths follow the user's decimal separator.
  const QString Rest =
      u"%1%2%3"_s.arg(Tenths / 10 % 60, 2, 10, QChar(u'0')).arg(QLocale().decimalPoint()).arg(Tenths % 10);
  if (Hours > 0) {
    return u"%1:%2:%3"_s.arg(Hours).arg(Minutes, 2, 10, QChar(u'0')).arg(Rest);
  }
  return u"%1:%2"_s.arg(Minutes).arg(Rest);
}

TFrameDialog::TFrameDialog(QWidget* Owner, TPictureKind Kind, TFrameSource Source, const TVideoFrame& First,
                           std::shared_ptr<const TJpegImage> Picture)
    : QDialog(Owner), FKind(Kind), FSource(std::move(Source))
{
  CreateControls(Kind);
  const double Duration = FSource.Video->Duration();
  TimeSlider->setRange(0, static_cast<int>(std::floor(std::max(0.0, Duration) * SliderSteps)));
  TimeSlider->blockSignals(true);
  TimeSlider->setValue(static_cast<int>(std::lround(First.Seconds * SliderSteps)));
  TimeSlider->blockSignals(false);
  Show(First, std::move(Picture));
}

TFrameDialog::~TFrameDialog()
{
  if (FJob != nullptr) {
    *FSource.Cancel = true;
    FJob->wait();
    delete FJob;
  }
}

void TFrameDialog::CreateControls(TPictureKind Kind)
{
  setObjectName(u"FrameDialog"_s);
  setWindowTitle(Kind == TPictureKind::Preview ? tr("Make Preview from Video")
                                               : tr("Make Title Poster from Video"));
  TimeSlider = new QSlider(Qt::Horizontal, this);
  TimeSlider->setObjectName(u"TimeSlider"_s);
  TimeLabel = new QLabel(this);
  TimeLabel->setObjectName(u"TimeLabel"_s);
  TimeLabel->setMinimumWidth(80);
  FrameImage = new QLabel(this);
  FrameImage->setObjectName(u"FrameImage"_s);
  FrameImage->setFixedSize(FrameBoxWidth, FrameBoxHeight);
  FrameImage->setAlignment(Qt::AlignCenter);
  FrameImage->setStyleSheet(u"background: black"_s);
  PictureImage = new QLabel(this);
  PictureImage->setObjectName(u"PictureImage"_s);
  PictureImage->setFixedSize(PictureBox, PictureBox);
  PictureImage->setAlignment(Qt::AlignCenter);
  PictureLabel = new QLabel(this);
  PictureLabel->setObjectName(u"PictureLabel"_s);
  ButtonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ButtonBox->setObjectName(u"ButtonBox"_s);
  SliderTimer = new QTimer(this);
  SliderTimer->setSingleShot(true);
  SliderTimer->setInterval(SliderRestMs);

  auto* Layout = new QGridLayout(this);
  auto* FrameLabel = new QLabel(tr("Frame:"), this);
  FrameLabel->setBuddy(FrameImage);
  auto* MadeLabel = new QLabel(Kind == TPictureKind::Preview ? tr("Preview:") : tr("Title poster:"), this);
  MadeLabel->setBuddy(PictureImage);
  TimeSlider->setAccessibleName(tr("Time in the video"));
  FrameImage->setAccessibleName(tr("Frame"));
  PictureImage->setAccessibleName(Kind == TPictureKind::Preview ? tr("Preview image")
                                                                : tr("Title poster image"));
  Layout->addWidget(FrameLabel, 0, 0);
  Layout->addWidget(MadeLabel, 0, 2);
  Layout->addWidget(FrameImage, 1, 0, 1, 2);
  Layout->addWidget(PictureImage, 1, 2);
  Layout->addWidget(TimeSlider, 2, 0);
  Layout->addWidget(TimeLabel, 2, 1);
  Layout->addWidget(PictureLabel, 2, 2);
  Layout->addWidget(ButtonBox, 3, 0, 1, 3);
  Layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(ButtonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(ButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(TimeSlider, &QSlider::valueChanged, this, &TFrameDialog::TimeSliderChange);
  connect(SliderTimer, &QTimer::timeout, this, &TFrameDialog::ReadChosenFrame);
}

void TFrameDialog::ChooseTime(double Seconds)
{
  TimeSlider->blockSignals(true);
  TimeSlider->setValue(static_cast<int>(std::lround(Seconds * SliderSteps)));
  TimeSlider->blockSignals(false);
  TimeSliderChange();
  SliderTimer->stop();
  ReadChosenFrame();
}

void TFrameDialog::TimeSliderChange()
{
  TimeLabel->setText(TimeText(TimeSlider->value() / SliderSteps));
  ButtonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
  SliderTimer->start();
}

void TFrameDialog::ReadChosenFrame()
{
  const double Seconds = TimeSlider->value() / SliderSteps;
  if (FJob != nullptr) {
    FPending = Seconds;
    return;
  }
  StartJob(Seconds);
}

void TFrameDialog::StartJob(double Seconds)
{
  FPicture.reset();
  PictureLabel->setText(tr("Reading the frame..."));
  FJobError.clear();
  FJobPicture.reset();
  // Each frame the user picks is a look of its own, with a budget of its own.
  FSource.Video->RenewBudget();
  FJob = QThread::create([this, Seconds] {
    try {
      FJobFrame = FSource.Video->FrameAt(Seconds, true);
      FJobPicture = MakeFramePicture(FKind, FJobFrame.Image, FSource.Aspect, FSource.Layout);
    } catch (const std::exception& Error) {
      FJobError = QString::fromUtf8(Error.what());
    }
  });
  connect(FJob, &QThread::finished, this, &TFrameDialog::JobDone, Qt::QueuedConnection);
  FJob->start();
}

void TFrameDialog::JobDone()
{
  FJob->wait();
  delete FJob;
  FJob = nullptr;
  if (FPending) {
    const double Next = *FPending;
    FPending.reset();
    StartJob(Next);
    return;
  }
  if (!FJobError.isEmpty()) {
    PictureImage->clear();
    PictureLabel->setText(FJobError);
    return;
  }
  Show(FJobFrame, FJobPicture);
}

void TFrameDialog::Show(const TVideoFrame& Frame, std::shared_ptr<const TJpegImage> Picture)
{
  FSeconds = Frame.Seconds;
  FPicture = std::move(Picture);
  TimeLabel->setText(TimeText(Frame.Seconds));
  FrameImage->setPixmap(FramePixmap(Frame.Image, FSource.Aspect));
  const QPixmap Pixels = FPicture ? JpegToPixmap(*FPicture) : QPixmap();
  // A poster is larger than its box: shown shrunk, at its own shape.
  PictureImage->setPixmap(
      Pixels.isNull() ? Pixels
      : Pixels.width() > PictureBox || Pixels.height() > PictureBox
          ? Pixels.scaled(PictureBox, PictureBox, Qt::KeepAspectRatio, Qt::SmoothTransformation)
          : Pixels);
  PictureLabel->setText(FPicture ? PictureText(*FPicture) : QString());
  ButtonBox->button(QDialogButtonBox::Ok)->setEnabled(FPicture != nullptr);
}

} // namespace Quillmark
