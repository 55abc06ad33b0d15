#include "window/VideoTask.h"

#include "video/VideoFile.h"
#include "window/Product.h"

#include <QCoreApplication>

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <exception>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

namespace {

TTaskOutcome OutcomeOf(const std::exception_ptr& Error, bool Cancelled)
{
  if (!Error) {
    return {Cancelled ? TTaskResult::Cancelled : TTaskResult::Done, {}};
  }
  try {
    std::rethrow_exception(Error);
  } catch (const EVideoCancelled&) {
    return {TTaskResult::Cancelled, {}};
  } catch (const std::exception& Failure) {
    return {TTaskResult::Failed, QString::fromUtf8(Failure.what())};
  } catch (...) {
    return {TTaskResult::Failed, QCoreApplication::translate("Quillmark::TVideoTask", "Unknown error")};
  }
}

} // namespace

TTaskOutcome RunVideoTask(QWidget* Owner, const QString& Label,
                          const std::function<void(const std::atomic<bool>& Cancel)>& Work,
                          std::atomic<bool>* Flag)
{
  std::atomic<bool> OwnFlag{false};
  std::atomic<bool>& Cancel = Flag != nullptr ? *Flag : OwnFlag;
  std::exception_ptr Error;
  QProgressDialog Progress(Label, QCoreApplication::translate("Quillmark::TVideoTask", "Cancel"), 0, 0,
                           Owner);
  Progress.setWindowTitle(ProductName());
  Progress.setWindowModality(Qt::WindowModal);
  Progress.setAutoClose(false);
  Progress.setAutoReset(false);
  // Shown at once: while the work runs the window must take no commands,
  // and the modal dialog is what keeps them away.
  Progress.setMinimumDuration(0);
  Progress.show();
  QObject::connect(&Progress, &QProgressDialog::canceled, [&Cancel, &Progress] {
    Cancel = true;
    Progress.setLabelText(QCoreApplication::translate("Quillmark::TVideoTask", "Cancelling..."));
  });
  QEventLoop Loop;
  std::unique_ptr<QThread> Thread(QThread::create([&Work, &Cancel, &Error] {
    try {
      Work(Cancel);
    } catch (...) {
      Error = std::current_exception();
    }
  }));
  QObject::connect(Thread.get(), &QThread::finished, &Loop, &QEventLoop::quit, Qt::QueuedConnection);
  Thread->start();
  Loop.exec();
  Thread->wait();
  return OutcomeOf(Error, Cancel);
}

} // namespace Quillmark
