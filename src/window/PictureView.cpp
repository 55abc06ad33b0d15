#include "window/PictureView.h"

#include "window/JpegDrawing.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPixmap>
#include <QThread>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

// Each job is owned jointly by its worker and the view: the worker touches
// nothing else, so a view that has gone leaves it nothing to spoil.
struct TPictureView::TJob {
  std::shared_ptr<const TJpegImage> Picture;
  TPictureDecode Decode;
  std::atomic<bool> Cancel{false};
  QImage Result;
};

QString DecodingText()
{
  return QCoreApplication::translate("Quillmark::TPictureView", "Decoding...");
}

bool TooLargeToShow(const TJpegImage& Picture)
{
  return std::uint64_t(Picture.Width()) * std::uint64_t(Picture.Height()) > MaxDecodedPixels;
}

QString TooLargeText(const TJpegImage& Picture)
{
  return QCoreApplication::translate("Quillmark::TPictureView",
                                     "This picture of %1 x %2 pixels is too large to show. "
                                     "It is stored as it is.")
      .arg(Picture.Width())
      .arg(Picture.Height());
}

QString PictureDescription(const TJpegImage* Picture)
{
  if (Picture == nullptr) {
    return QCoreApplication::translate("Quillmark::TMainForm", "No image available");
  }
  return QCoreApplication::translate("Quillmark::TPictureView", "Picture of %1 x %2 pixels")
      .arg(Picture->Width())
      .arg(Picture->Height());
}

TPictureView::TPictureView(QLabel* Control, TPictureDecode Decode)
    : QObject(Control), FControl(Control), FDecode(std::move(Decode))
{
  Control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Control->setScaledContents(false);
}

// Cancelled, every decode stops within a row of pixels, so the wait is short.
TPictureView::~TPictureView()
{
  CancelCurrent();
  for (QThread* Worker : FWorkers) {
    Worker->wait();
  }
}

void TPictureView::Show(std::shared_ptr<const TJpegImage> Picture)
{
  CancelCurrent();
  auto Job = std::make_shared<TJob>();
  Job->Picture = std::move(Picture);
  Job->Decode = FDecode;
  if (TooLargeToShow(*Job->Picture)) {
    if (FControl) {
      FControl->clear();
      FControl->setWordWrap(true);
      FControl->setText(TooLargeText(*Job->Picture));
    }
    return;
  }
  FCurrent = Job;
  if (FControl) {
    FControl->clear();
    FControl->setWordWrap(false);
    FControl->setText(DecodingText());
  }
  QThread* Worker = QThread::create([Job] {
    try {
      Job->Result = Job->Decode(*Job->Picture, Job->Cancel);
    } catch (...) {
      Job->Result = QImage();
    }
  });
  Worker->setParent(this);
  FWorkers.push_back(Worker);
  // Delivered on this view's thread, and never once the view is gone.
  connect(Worker, &QThread::finished, this, [this, Worker, Job] { Finished(Worker, Job); });
  Worker->start();
}

void TPictureView::Clear()
{
  CancelCurrent();
  if (FControl) {
    FControl->clear();
  }
}

void TPictureView::Finished(QThread* Worker, const std::shared_ptr<TJob>& Job)
{
  FWorkers.erase(std::remove(FWorkers.begin(), FWorkers.end(), Worker), FWorkers.end());
  Worker->deleteLater();
  if (Job != FCurrent) {
    return;
  }
  FCurrent.reset();
  QImage Image = std::move(Job->Result);
  if (FControl) {
    FControl->setPixmap(QPixmap::fromImage(std::move(Image)));
  }
}

void TPictureView::CancelCurrent()
{
  if (FCurrent) {
    FCurrent->Cancel = true;
    FCurrent.reset();
  }
}

} // namespace Quillmark
