#include "window/WindowTask.h"

#include "window/Product.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <exception>
#include <memory>

namespace Quillmark {

namespace {

int RunningTasks = 0;

// Holds back the user's input to one window while its task runs. Painting,
// timers and the window system's other events go on.
class TInputGate : public QObject {
public:
  explicit TInputGate(QWidget* Window) : FWindow(Window) { qApp->installEventFilter(this); }
  ~TInputGate() override { qApp->removeEventFilter(this); }
  TInputGate(const TInputGate&) = delete;
  TInputGate& operator=(const TInputGate&) = delete;

  bool eventFilter(QObject* Watched, QEvent* Event) override
  {
    if (!IsInput(Event->type()) || !Watched->isWidgetType()) {
      return false;
    }
    const QWidget* Target = static_cast<QWidget*>(Watched)->window();
    return Target == FWindow;
  }

private:
  static bool IsInput(QEvent::Type Type)
  {
    switch (Type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::InputMethod:
      return true;
    default:
      return false;
    }
  }

  QPointer<QWidget> FWindow;
};

// What the worker tells the window's thread; read there on a timer.
struct TShared {
  std::atomic<std::uint64_t> Done{0};
  std::atomic<std::uint64_t> Total{0};
  std::exception_ptr Error;
};

constexpr int Steps = 1000;
constexpr int PollMs = 50;

void ShowProgress(std::unique_ptr<QProgressDialog>& Dialog, QWidget* Window, const QString& Label,
                  const TShared& Shared)
{
  if (!Dialog) {
    Dialog = std::make_unique<QProgressDialog>(Label, QString(), 0, 0, Window);
    Dialog->setObjectName(QStringLiteral("TaskProgressDialog"));
    Dialog->setWindowTitle(ProductName());
    Dialog->setWindowModality(Qt::WindowModal);
    Dialog->setCancelButton(nullptr);
    Dialog->setAutoClose(false);
    Dialog->setAutoReset(false);
    Dialog->setMinimumDuration(0);
    Dialog->show();
  }
  const std::uint64_t Total = Shared.Total;
  if (Total == 0) {
    return; // no report yet: the busy indicator
  }
  const std::uint64_t Done = std::min<std::uint64_t>(Shared.Done, Total);
  Dialog->setMaximum(Steps);
  Dialog->setValue(static_cast<int>(static_cast<double>(Done) / static_cast<double>(Total) * Steps));
}

} // namespace

bool WindowTaskRunning()
{
  return RunningTasks > 0;
}

void RunWindowTask(QWidget* Window, const QString& Label,
                   const std::function<void(const TTaskProgress&)>& Work)
{
  auto Shared = std::make_shared<TShared>();
  const TTaskProgress Report = [Shared](std::uint64_t Done, std::uint64_t Total) {
    Shared->Total = Total;
    Shared->Done = Done;
  };
  ++RunningTasks;
  struct TCount {
    ~TCount() { --RunningTasks; }
  } Count;
  TInputGate Gate(Window);
  std::unique_ptr<QProgressDialog> Dialog;
  QEventLoop Loop;
  QTimer Poll;
  Poll.setInterval(PollMs);
  int Waited = 0;
  QObject::connect(&Poll, &QTimer::timeout, &Loop, [&] {
    Waited += PollMs;
    if (Waited >= ProgressDelayMs) {
      ShowProgress(Dialog, Window, Label, *Shared);
    }
  });
  std::unique_ptr<QThread> Thread(QThread::create([&Work, &Report, Shared] {
    try {
      Work(Report);
    } catch (...) {
      Shared->Error = std::current_exception();
    }
  }));
  QObject::connect(Thread.get(), &QThread::finished, &Loop, &QEventLoop::quit, Qt::QueuedConnection);
  Thread->start();
  Poll.start();
  Loop.exec();
  Thread->wait();
  Poll.stop();
  Dialog.reset();
  if (Shared->Error) {
    std::rethrow_exception(Shared->Error);
  }
}

} // namespace Quillmark
