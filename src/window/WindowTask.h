#pragma once
// Work on the open file (a save, its re-open) or on a large file the user
// chose runs on a thread of its own, so the window keeps repainting and
// answering. Meanwhile the window takes no input: no command can touch the
// file before the work has ended. Work that lasts longer than half a second
// shows a window-modal progress dialog: a bar when the work reports how far
// it is, a busy indicator when it does not. There is no cancel: a save
// either completes or leaves the file as it was.
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

class QWidget;

namespace Quillmark {

// How far the work is, told from its own thread: Done of Total units.
using TTaskProgress = std::function<void(std::uint64_t Done, std::uint64_t Total)>;

// How long work runs before its progress dialog appears.
inline constexpr int ProgressDelayMs = 500;

// Runs Work on a worker thread and returns when it has ended, handling the
// window's events meanwhile. Input to Window and its children is held back
// throughout. What Work throws is thrown again here, on the window's thread.
void RunWindowTask(QWidget* Window, const QString& Label,
                   const std::function<void(const TTaskProgress&)>& Work);

// True while a task of the window runs; commands and close requests wait
// for it.
bool WindowTaskRunning();

} // namespace Quillmark
