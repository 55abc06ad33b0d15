#pragma once
// Work on a video runs on a thread of its own, so the window keeps
// repainting; meanwhile a modal progress dialog offers to cancel it.
#include <QString>
#include <atomic>
#include <functional>

class QWidget;

namespace Quillmark {

enum class TTaskResult { Done, Cancelled, Failed };

struct TTaskOutcome {
  TTaskResult Result = TTaskResult::Done;
  QString Message; // why it failed
};

// Runs Work and waits for it, handling the window's events meanwhile. Work
// should stop soon after Cancel turns true; an EVideoCancelled it throws
// counts as cancelled, any other exception as a failure with its message.
// Flag, when given, is the cancel flag to use: one a video file already
// watches.
TTaskOutcome RunVideoTask(QWidget* Owner, const QString& Label,
                          const std::function<void(const std::atomic<bool>& Cancel)>& Work,
                          std::atomic<bool>* Flag = nullptr);

} // namespace Quillmark
