#pragma once
// A file system for tests of the save code: the real one, except that a
// chosen call fails with a chosen errno, or stops dead as a crash would.
#include "fs/FileSystem.h"

#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <vector>

namespace QuillmarkTest {

// Thrown instead of making the call: the files stay as they are at that
// instant. Every later call but close then fails with EIO and does nothing,
// as nothing more happens after a crash.
class ESimulatedCrash : public std::runtime_error {
public:
  ESimulatedCrash() : std::runtime_error("simulated crash") {}
};

class TFaultFileSystem : public Quillmark::Fs::IFileSystem {
public:
  using TFsCall = Quillmark::Fs::TFsCall;
  ~TFaultFileSystem() override { CloseLeftovers(); }

  // Counting starts at 1; Kind empty means calls of any kind.
  void FailNth(int Nth, int Errno, std::optional<TFsCall> Kind = std::nullopt);
  void FailEvery(TFsCall Kind, int Errno);
  void CrashAtNth(int Nth, std::optional<TFsCall> Kind = std::nullopt);
  // Runs Event just before the Nth call of any kind is made: what another
  // program may do to names, links and mounts between two steps of a save.
  void BeforeNth(int Nth, std::function<void()> Event);
  // fstatfs reports this many blocks free (to the caller and to all).
  void ReportFreeBlocks(fsblkcnt_t Blocks) { FFreeBlocks = Blocks; }
  // Acts as a file system that clones ranges in blocks of Block bytes
  // (reported by fstatfs): clone copies the bytes after checking the
  // alignment a real one demands, and counts them apart from writes.
  void EmulateClone(std::uint64_t Block) { FCloneBlock = Block; }
  std::uint64_t BytesCloned() const { return FBytesCloned; }
  // Forgets faults, counts and the crash.
  void Reset();
  // Closes every descriptor opened through it and not closed (a crash leaves some).
  void CloseLeftovers();

  int Calls() const { return FCalls; }
  int CallsOf(TFsCall Kind) const { return FCallsOf[static_cast<int>(Kind)]; }
  bool Crashed() const { return FCrashed || FCrashPending; }
  const std::vector<TFsCall>& Log() const { return FLog; }
  std::uint64_t BytesWritten() const { return FBytesWritten; }
  std::uint64_t BytesRead() const { return FBytesRead; }

  int Open(const std::string& Path, int Flags, mode_t Mode, int& Fd) override;
  int Close(int Fd) override;
  int PRead(int Fd, void* Buffer, std::size_t Count, off_t Offset, std::size_t& Done) override;
  int PWrite(int Fd, const void* Buffer, std::size_t Count, off_t Offset, std::size_t& Done) override;
  int FSync(int Fd) override;
  int FDataSync(int Fd) override;
  int FAllocate(int Fd, int Mode, off_t Offset, off_t Length) override;
  int FTruncate(int Fd, off_t Length) override;
  int OpenAt(int Dir, const std::string& Name, int Flags, mode_t Mode, int& Fd) override;
  int Rename(int FromDir, const std::string& From, int ToDir, const std::string& To, unsigned Flags) override;
  int Unlink(int Dir, const std::string& Name) override;
  int StatAt(int Dir, const std::string& Name, struct stat& Info) override;
  int Stat(const std::string& Path, struct stat& Info) override;
  int LStat(const std::string& Path, struct stat& Info) override;
  int FStat(int Fd, struct stat& Info) override;
  int FStatFs(int Fd, struct statfs& Info) override;
  int CopyFileRange(int From, off_t& FromOffset, int To, off_t& ToOffset, std::size_t Count,
                    std::size_t& Done) override;
  int FChmod(int Fd, mode_t Mode) override;
  int FChown(int Fd, uid_t Owner, gid_t Group) override;
  int CopyXattrs(int From, int To) override;
  int RealPath(const std::string& Path, std::string& Resolved) override;
  int FilePath(int Fd, std::string& Path) override;
  int MakeFolder(const std::string& Path, mode_t Mode) override;
  int CloneRange(int From, off_t FromOffset, int To, off_t ToOffset, off_t Length) override;
  int SyncFs(int Fd) override;
  int LinkFile(int Fd, int Dir, const std::string& To) override;

private:
  struct TFault {
    std::optional<TFsCall> Kind;
    int Nth = 0; // 0: every call of Kind
    int Errno = 0;
    bool Crash = false;
  };

  // The errno the call must fail with, or 0 to make it; throws for a crash.
  int Enter(TFsCall Kind);
  bool Matches(const TFault& Fault, TFsCall Kind) const;
  int EmulatedClone(int From, off_t FromOffset, int To, off_t ToOffset, off_t Length);

  Quillmark::Fs::IFileSystem& FReal = Quillmark::Fs::PosixFileSystem();
  struct TEvent {
    int Nth = 0;
    std::function<void()> Run;
  };

  std::vector<TFault> FFaults;
  std::vector<TEvent> FEvents;
  std::vector<TFsCall> FLog;
  std::set<int> FOpen;
  int FCalls = 0;
  std::uint64_t FBytesWritten = 0;
  std::uint64_t FBytesRead = 0;
  int FCallsOf[Quillmark::Fs::FsCallKinds] = {};
  bool FCrashed = false;
  bool FCrashPending = false;
  std::optional<fsblkcnt_t> FFreeBlocks;
  std::uint64_t FCloneBlock = 0;
  std::uint64_t FBytesCloned = 0;
};

} // namespace QuillmarkTest
