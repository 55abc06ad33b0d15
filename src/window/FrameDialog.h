#pragma once
// The dialog of Video > Make Preview / Make Title Poster: a slider chooses
// the time, and the dialog shows the frame there and the picture that will
// be made from it. Each new frame is read on a thread of its own, so the
// dialog keeps answering while the video is searched.
#include "catalogue/PictureRules.h"
#include "video/FramePictures.h"
#include "video/VideoFile.h"

#include <QDialog>
#include <atomic>
#include <memory>
#include <optional>

class QDialogButtonBox;
class QLabel;
class QSlider;
class QThread;
class QTimer;

namespace Quillmark {

// An open video and how its pictures are made. Cancel outlives Video,
// which watches it.
struct TFrameSource {
  std::unique_ptr<std::atomic<bool>> Cancel = std::make_unique<std::atomic<bool>>(false);
  std::unique_ptr<TVideoFile> Video;
  TFrameLayout Layout;
  double Aspect = 1; // the whole frame's display shape
};

class TFrameDialog : public QDialog {
  Q_OBJECT

public:
  // First is the frame shown at the start and Picture the one made from it.
  TFrameDialog(QWidget* Owner, TPictureKind Kind, TFrameSource Source, const TVideoFrame& First,
               std::shared_ptr<const TJpegImage> Picture);
  ~TFrameDialog() override;

  // The picture made from the frame shown; none while a frame is read.
  std::shared_ptr<const TJpegImage> Picture() const { return FPicture; }
  double Seconds() const { return FSeconds; }
  bool Busy() const { return FJob != nullptr; }

  // Moves the slider to Seconds and reads the frame there.
  void ChooseTime(double Seconds);

private:
  void TimeSliderChange();
  void ReadChosenFrame();
  void StartJob(double Seconds);
  void JobDone();
  void Show(const TVideoFrame& Frame, std::shared_ptr<const TJpegImage> Picture);
  void CreateControls(TPictureKind Kind);

  TPictureKind FKind;
  TFrameSource FSource;
  std::shared_ptr<const TJpegImage> FPicture;
  double FSeconds = 0;
  QThread* FJob = nullptr;
  std::optional<double> FPending;
  // Written by the job's thread, read once it has finished.
  TVideoFrame FJobFrame;
  std::shared_ptr<const TJpegImage> FJobPicture;
  QString FJobError;

  // NOLINTBEGIN(readability-identifier-naming)
  QSlider* TimeSlider = nullptr;
  QLabel* TimeLabel = nullptr;
  QLabel* FrameImage = nullptr;
  QLabel* PictureImage = nullptr;
  QLabel* PictureLabel = nullptr;
  QDialogButtonBox* ButtonBox = nullptr;
  QTimer* SliderTimer = nullptr;
  // NOLINTEND(readability-identifier-naming)
};

// "1:02:03.4", "2:03.4" or "3.4 s" style time of the slider.
QString TimeText(double Seconds);

} // namespace Quillmark
