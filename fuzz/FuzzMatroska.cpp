// Fuzz target: arbitrary bytes as a Matroska file. It is read, listed, and
// a change of every value is planned and applied in memory; what the plan
// writes must read back with the values it set.
#include "fs/FileSystem.h"
#include "matroska/EbmlDump.h"
#include "matroska/MatroskaEdit.h"

#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

using namespace Quillmark;

namespace {

int MemoryFile(const std::uint8_t* Data, std::size_t Size)
{
  const int Fd = memfd_create("fuzz.mkv", MFD_CLOEXEC);
  if (Fd < 0 || write(Fd, Data, Size) != static_cast<ssize_t>(Size)) {
    std::abort();
  }
  return Fd;
}

Matroska::TMatroskaChange ChangeOf(std::uint8_t Choice)
{
  Matroska::TMatroskaChange Change;
  if ((Choice & 1) != 0) {
    Change.StereoMode.emplace(Choice % 4);
  }
  if ((Choice & 2) != 0) {
    Change.DisplaySize = std::make_pair(Choice, 2U * Choice);
  }
  if ((Choice & 4) != 0) {
    Change.Title = std::string(Choice % 40, 'T');
  }
  return Change;
}

void CheckPlan(const std::uint8_t* Data, std::size_t Size, const Matroska::TMatroskaFile& File)
{
  const Matroska::TMatroskaChange Change = ChangeOf(Size > 0 ? Data[Size - 1] : 0);
  Matroska::TSavePlan Plan;
  try {
    Plan = Matroska::PlanSave(File, Change);
  } catch (const Matroska::EMatroskaError&) {
    return;
  }
  std::vector<std::uint8_t> Bytes(Data, Data + Size);
  for (const Matroska::TPatch& Patch : Plan.Patches) {
    if (Patch.Offset > Size || Patch.Bytes.size() > Size - Patch.Offset) {
      std::abort(); // a plan must stay within the file
    }
    std::copy(Patch.Bytes.begin(), Patch.Bytes.end(), Bytes.begin() + static_cast<long>(Patch.Offset));
  }
  if (Plan.EndFrom) {
    if (*Plan.EndFrom > Size) {
      std::abort(); // a new end starts within the file
    }
    Bytes.resize(static_cast<std::size_t>(*Plan.EndFrom));
    Bytes.insert(Bytes.end(), Plan.End.begin(), Plan.End.end());
  }
  const int Fd = MemoryFile(Bytes.data(), Bytes.size());
  const Matroska::TMatroskaFile After = Matroska::ReadMatroska(Fs::PosixFileSystem(), Fd);
  close(Fd);
  if ((Change.Title && After.Title.value_or("") != *Change.Title) ||
      (Change.StereoMode && After.Video && After.Video->StereoMode != *Change.StereoMode)) {
    std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
  const int Fd = MemoryFile(Data, Size);
  try {
    const Matroska::TMatroskaFile File = Matroska::ReadMatroska(Fs::PosixFileSystem(), Fd);
    Matroska::DumpHeader(Fs::PosixFileSystem(), Fd);
    CheckPlan(Data, Size, File);
  } catch (const Matroska::EMatroskaError&) {
  }
  close(Fd);
  return 0;
}
