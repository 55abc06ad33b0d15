#pragma once
// A picture control whose JPEG is decoded on a thread of its own, so that a
// large poster never stalls the window. While the picture decodes the
// control says so; only the picture it was given last is ever drawn.
#include "catalogue/JpegImage.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QThread;

namespace Quillmark {

// Turns a picture into an image to draw; a null image when its pixels do not
// decode or once Cancel turns true. Runs on a worker thread.
using TPictureDecode = std::function<QImage(const TJpegImage& Picture, const std::atomic<bool>& Cancel)>;

// What the control shows while its picture decodes.
QString DecodingText();

// A picture of more pixels than are ever decoded for drawing; it is kept
// and saved as it is, but not shown.
bool TooLargeToShow(const TJpegImage& Picture);
// What the control shows in place of such a picture: its size, and that it
// is stored unchanged.
QString TooLargeText(const TJpegImage& Picture);
// What a picture control tells a screen reader: the picture's size, or
// that there is none.
QString PictureDescription(const TJpegImage* Picture);

class TPictureView : public QObject {
  Q_OBJECT

public:
  // The view lives as long as Control, whose child it becomes.
  TPictureView(QLabel* Control, TPictureDecode Decode);
  ~TPictureView() override;
  TPictureView(const TPictureView&) = delete;
  TPictureView& operator=(const TPictureView&) = delete;

  // Empties the control, shows DecodingText() and starts decoding Picture,
  // whose pixels take the text's place when ready; an empty control when
  // they do not decode. A picture too large to show shows TooLargeText()
  // at once and is never decoded. The decode of an earlier picture is cancelled and
  // its result dropped.
  void Show(std::shared_ptr<const TJpegImage> Picture);
  // Empties the control; the decode of its picture is cancelled and its
  // result dropped.
  void Clear();
  // The picture last shown is still decoding.
  bool Pending() const { return FCurrent != nullptr; }
  // A worker still runs, or its result waits to be taken or dropped.
  bool Busy() const { return !FWorkers.empty(); }
  void SetDecode(TPictureDecode Decode) { FDecode = std::move(Decode); }

private:
  struct TJob;
  void Finished(QThread* Worker, const std::shared_ptr<TJob>& Job);
  void CancelCurrent();

  QPointer<QLabel> FControl;
  TPictureDecode FDecode;
  std::shared_ptr<TJob> FCurrent;
  std::vector<QThread*> FWorkers;
};

} // namespace Quillmark
