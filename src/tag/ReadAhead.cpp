#include "tag/ReadAhead.h"

#include <algorithm>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace Quillmark {

namespace {

// Files looked up ahead of the command: enough to keep a disk's queue busy,
// few enough that their blocks are still cached when the command comes.
constexpr std::size_t Ahead = 32;
// A header's first blocks: what an open reads first.
constexpr off_t HeadBytes = 64 * 1024;

// The name is looked up without opening what it leads to (O_PATH opens no
// device, blocks on no FIFO); only a regular file is then opened, through
// that very descriptor, and read ahead.
void ReadHeadOf(const std::string& File)
{
  const int Path = open(File.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (Path < 0) {
    return;
  }
  struct stat Info {};
  if (fstat(Path, &Info) == 0 && S_ISREG(Info.st_mode)) {
    const std::string Self = "/proc/self/fd/" + std::to_string(Path);
    const int Fd = open(Self.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Fd >= 0) {
      posix_fadvise(Fd, 0, HeadBytes, POSIX_FADV_WILLNEED);
      close(Fd);
    }
  }
  close(Path);
}

} // namespace

TReadAhead::TReadAhead(const std::vector<std::string>& Files) : FFiles(Files)
{
  // Only a collection is worth a thread.
  if (FFiles.size() > 1) {
    FThread = std::thread([this] { Run(); });
  }
}

TReadAhead::~TReadAhead()
{
  {
    std::lock_guard<std::mutex> Lock(FMutex);
    FStop = true;
  }
  FMoved.notify_one();
  if (FThread.joinable()) {
    FThread.join();
  }
}

// The thread, once Ahead files ahead, sleeps until the command has come
// halfway to them: waking it for every file the command opens would cost
// as much as the looking up ahead.
void TReadAhead::Reached(std::size_t Position)
{
  bool Wake = false;
  {
    std::lock_guard<std::mutex> Lock(FMutex);
    FReached = Position;
    Wake = FWaitingFor != 0 && FReached >= FWaitingFor;
  }
  if (Wake) {
    FMoved.notify_one();
  }
}

// Waits until Next is few enough files ahead, and moves it past the files
// the command has already come to. False once the command is done.
bool TReadAhead::WaitForRoom(std::size_t& Next)
{
  std::unique_lock<std::mutex> Lock(FMutex);
  if (!FStop && Next >= FReached + Ahead) {
    FWaitingFor = Next - Ahead / 2;
    FMoved.wait(Lock, [&] { return FStop || FReached >= FWaitingFor; });
    FWaitingFor = 0;
  }
  Next = std::max(Next, FReached + 1);
  return !FStop;
}

void TReadAhead::Run()
{
  // The command reads the first file itself at once.
  // WaitForRoom may move Next past the last file.
  for (std::size_t Next = 1; WaitForRoom(Next) && Next < FFiles.size(); ++Next) {
    ReadHeadOf(FFiles[Next]);
  }
}

} // namespace Quillmark
