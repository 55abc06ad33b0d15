#pragma once
// Reading ahead of a command that opens many files one after another. On a
// cold disk each open waits for the file's inode and then its header's
// blocks, one file at a time. A second thread looks up the next few files
// and asks the kernel to read their first blocks, so that the disk works
// on them while the command works on the file at hand. It only warms the
// page cache: the command opens, checks and reads each file itself.
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Quillmark {

class TReadAhead {
public:
  // Files must outlive the object.
  explicit TReadAhead(const std::vector<std::string>& Files);
  ~TReadAhead();
  TReadAhead(const TReadAhead&) = delete;
  TReadAhead& operator=(const TReadAhead&) = delete;

  // The command is at Files[Position]: the thread keeps a few files ahead.
  void Reached(std::size_t Position);

private:
  void Run();
  bool WaitForRoom(std::size_t& Next);

  const std::vector<std::string>& FFiles;
  std::mutex FMutex;
  std::condition_variable FMoved;
  std::size_t FReached = 0;
  std::size_t FWaitingFor = 0; // the position that wakes the thread; 0 while it works
  bool FStop = false;
  std::thread FThread;
};

} // namespace Quillmark
