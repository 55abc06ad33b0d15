#pragma once
// Saving the files of one set command in groups whose saves share their
// syncs, with a progress line "n of N  FILE" on a terminal.
#include "tag/CatalogueFile.h"
#include "tag/SetReport.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace Quillmark {

class TSetBatch {
public:
  // A group also ends once its pictures pass this many bytes: while a group
  // is saved each header is held several times over (parsed, rendered,
  // journaled), and a poster may be 64 MiB.
  static constexpr std::uint64_t DefaultPictureBudget = 16 * 1024 * 1024;

  // Total: the number of files of the command; progress is shown when
  // ShowProgress, "n of N" only when there is more than one file.
  // GroupFiles: the files of a group, 0 for as many as the descriptors the
  // process may open allow.
  TSetBatch(std::size_t Total, bool ShowProgress, std::ostream& Err,
            std::uint64_t PictureBudget = DefaultPictureBudget, std::size_t GroupFiles = 0);
  ~TSetBatch();
  TSetBatch(const TSetBatch&) = delete;
  TSetBatch& operator=(const TSetBatch&) = delete;

  // Called before File is opened: saves the group waiting when it is full
  // (in files or in picture bytes) or holds this very file (which it keeps
  // locked). A group full of files is saved by a second thread while the
  // next one is opened; the one before it is waited for first, so at most
  // two groups are held. False when a save of a group finished here failed.
  bool MakeRoom(const std::string& File);
  // Takes the file MakeRoom was last called for, with its new values in
  // its open editor; Position counts from 0 among the command's files. The
  // values themselves are let go: the editor holds them.
  void Add(std::size_t Position, const std::string& File, TOpenedCatalogue Opened);
  // Waits for the group saved by the second thread, then saves the group
  // waiting, and lets go of their files; each failure is a line
  // "quillmark-tag: FILE: cause; not saved", the cause as the editor gives
  // it (a side file's own name among them). False when one failed.
  bool Save();
  // Ends a progress line still open, so that a message starts on its own.
  void BreakLine();
  // The most files a group holds open.
  std::size_t MaxGroupFiles() const { return FGroupSize; }
  // Tells Report of each file saved or not; it must outlive the batch.
  void ReportTo(TSetReport& Report) { FReport = &Report; }
  // Verbose: a line for each file saved, how it was written and which
  // copies of its texts were kept in step.
  void SetVerbose(bool Verbose) { FVerbose = Verbose; }

private:
  struct TPending {
    std::size_t Position = 0;
    std::string File;
    TOpenedCatalogue Opened;
    dev_t Device = 0;
    ino_t Inode = 0;
  };

  struct TSaving;

  static bool Holds(const std::vector<TPending>& Group, dev_t Device, ino_t Inode);
  bool StartSaving();
  bool FinishSaving();
  bool SaveNow();
  bool Tell(const std::vector<TPending>& Group, const std::vector<HRESULT>& Results);
  void ShowSaving(std::size_t Position, const std::string& File);
  void ShowPercent(const std::string& Name, QWORD Done, QWORD Total);
  std::string ProgressName(const TPending& Pending) const;
  void ShowSecondThread(TSaving& Saving);
  void ShowLine(const std::string& Text);

  std::size_t FTotal;
  bool FShowProgress;
  std::ostream& FErr;
  bool FLineOpen = false;
  std::size_t FGroupSize;
  std::chrono::steady_clock::time_point FStarted = std::chrono::steady_clock::now();
  std::uint64_t FPictureBudget;
  std::uint64_t FPictureBytes = 0; // of the group waiting
  std::pair<dev_t, ino_t> FNext{}; // the file MakeRoom looked at last
  std::vector<TPending> FPending;
  std::unique_ptr<TSaving> FSaving; // the group the second thread saves
  TSetReport* FReport = nullptr;
  bool FVerbose = false;
};

} // namespace Quillmark
