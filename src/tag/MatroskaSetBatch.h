#pragma once
// The Matroska and WebM files of one set command, saved in groups whose
// saves share their syncs (matroska/MatroskaBatch.h), as the ASF files of
// the command are (SetBatch.h). Each file stays open and locked until its
// group is saved.
#include "fs/FileLock.h"
#include "matroska/MatroskaBatch.h"
#include "tag/SetReport.h"

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Quillmark {

struct TMatroskaOpened;

class TMatroskaSetBatch {
public:
  // GroupSize: the most files a group holds open.
  TMatroskaSetBatch(std::size_t GroupSize, TSetReport& Report, bool Verbose, std::ostream& Err);
  TMatroskaSetBatch(const TMatroskaSetBatch&) = delete;
  TMatroskaSetBatch& operator=(const TMatroskaSetBatch&) = delete;

  // Called before File is opened: saves the group waiting when it is full
  // or holds this very file (which it keeps locked). False when a save of
  // that group failed.
  bool MakeRoom(const std::string& File);
  // Takes Opened's file and names for the save of Plan. Throws
  // Matroska::EMatroskaError, leaving Opened as it was, when the save cannot
  // begin (see TMatroskaBatch::Add).
  void Add(std::size_t Position, const std::string& File, TMatroskaOpened& Opened,
           const Matroska::TSavePlan& Plan);
  // Saves the group waiting and lets go of its files; each failure is a
  // line "quillmark-tag: FILE: cause; left as it was". False when one failed.
  bool Save();

private:
  struct TPending {
    std::size_t Position = 0;
    std::string File;
    std::string Kind; // "Matroska" or "WebM"
    std::unique_ptr<Fs::TLockedFile> Held;
    std::string Way; // MatroskaSaveWay's; empty when the file holds these values
    dev_t Device = 0;
    ino_t Inode = 0;
  };

  void Tell(const TPending& Pending, const std::string& Failure);

  std::size_t FGroupSize;
  TSetReport& FReport;
  bool FVerbose;
  std::ostream& FErr;
  std::unique_ptr<Matroska::TMatroskaBatch> FBatch;
  std::vector<TPending> FPending;
};

// How a save of Plan writes the file, as set's lines and JSON name it.
std::string MatroskaSaveWay(const Matroska::TSavePlan& Plan);

} // namespace Quillmark
