#include "support/Debug.h"

#include <unistd.h>

namespace Quillmark {

int LogFileHandle = NoLogFile;

void WriteLog(const std::string& Text)
{
  if (LogFileHandle == NoLogFile) {
    return;
  }
  const std::string Line = Text + "\r\n";
  [[maybe_unused]] const ssize_t Written = ::write(LogFileHandle, Line.data(), Line.size());
}

} // namespace Quillmark
