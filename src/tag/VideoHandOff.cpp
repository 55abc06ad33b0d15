#include "tag/VideoHandOff.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace Quillmark {

namespace {

constexpr const char* VideoProgram = "quillmark-tag-video";

// The folder of the running executable, with its trailing slash.
std::string OwnFolder()
{
  std::array<char, PATH_MAX> Path{};
  const ssize_t Length = readlink("/proc/self/exe", Path.data(), Path.size() - 1);
  if (Length <= 0) {
    return {};
  }
  std::string Own(Path.data(), static_cast<std::size_t>(Length));
  return Own.substr(0, Own.rfind('/') + 1);
}

// Where the video program may be: where the package installs it, then
// beside this program, as in the build tree.
std::array<std::string, 2> Candidates(const std::string& Folder)
{
  return {Folder + QUILLMARK_VIDEO_PROGRAM_FROM_BIN, Folder + VideoProgram};
}

// Opens the candidate when it is a program nobody but its owner could have
// changed, owned by the owner of this program or by root. On failure, Why
// says why.
int OpenTrusted(const std::string& Path, uid_t Owner, std::string& Why)
{
  const int Fd = open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (Fd < 0) {
    Why = std::strerror(errno);
    return -1;
  }
  struct stat Status {};
  if (fstat(Fd, &Status) == 0 && S_ISREG(Status.st_mode) && (Status.st_mode & S_IXUSR) != 0 &&
      (Status.st_mode & (S_IWGRP | S_IWOTH)) == 0 && (Status.st_uid == Owner || Status.st_uid == 0)) {
    return Fd;
  }
  close(Fd);
  errno = EACCES;
  Why = "it is not a program that only its owner (this program's owner or root) may change";
  return -1;
}

} // namespace

int HandOffToVideoProgram(const char* const* Arguments, std::ostream& Out, std::ostream& Err)
{
  Out.flush();
  Err.flush();
  const std::string Folder = OwnFolder();
  struct stat Own {};
  if (Folder.empty() || stat("/proc/self/exe", &Own) != 0) {
    Err << "quillmark-tag: the video program cannot be found: " << std::strerror(errno) << '\n';
    return 1;
  }
  std::string Tried = VideoProgram;
  std::string Why = std::strerror(ENOENT);
  for (const std::string& Path : Candidates(Folder)) {
    std::string Refusal;
    const int Fd = OpenTrusted(Path, Own.st_uid, Refusal);
    const bool Missing = Fd < 0 && errno == ENOENT;
    if (Fd >= 0) {
      // execve leaves the arguments as they are; its prototype only predates const.
      fexecve(Fd, const_cast<char* const*>(Arguments),
              environ); // NOLINT(cppcoreguidelines-pro-type-const-cast)
      Refusal = std::strerror(errno);
      close(Fd);
    }
    if (!Missing) {
      Tried = Path;
      Why = Refusal;
    }
  }
  Err << "quillmark-tag: the video program " << Tried << " could not be started: " << Why << '\n';
  return 1;
}

} // namespace Quillmark
