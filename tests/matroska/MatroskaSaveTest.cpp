// Saves in place of files made by ffmpeg's Matroska and WebM writers and by
// mkvmerge: the peers read the values set and the same frames, mkvpropedit
// still edits the file; and every call of a save, failed or made the
// instant of a crash, leaves the old file or the new one and no side file;
// so does a batch of such saves, which shares its syncs.
#include "matroska/MatroskaSave.h"
#include "common/TestFiles.h"
#include "fs/CommitFaultFileSystem.h"
#include "fs/FileIo.h"
#include "matroska/EbmlBuilder.h"
#include "matroska/MatroskaBatch.h"
#include "matroska/MatroskaJournal.h"

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark::Matroska;
using TBytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

struct TMaker {
  const char* Name;
  const char* File;
  const char* Command; // %s: the file to make
};

const std::vector<TMaker>& Makers()
{
  static const std::vector<TMaker> List = {
      {"ffmpeg", "made.mkv",
       "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=320x180:rate=10 -t 1 -c:v mpeg4 '%s'"},
      {"mkvmerge", "made.mkv",
       "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=320x180:rate=10 -t 1 -c:v mpeg4 '%s.in.mkv' && "
       "mkvmerge -q -o '%s' '%s.in.mkv'; rm -f '%s.in.mkv'"},
      {"ffmpeg-webm", "made.webm",
       "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=320x180:rate=10 -t 1 -c:v libvpx '%s'"},
  };
  return List;
}

std::string Fill(const std::string& Pattern, const std::string& Path)
{
  std::string Out;
  for (std::size_t At = 0; At < Pattern.size(); ++At) {
    if (Pattern.compare(At, 2, "%s") == 0) {
      Out += Path;
      ++At;
    } else {
      Out += Pattern[At];
    }
  }
  return Out;
}

bool Made(const TMaker& Maker, const fs::path& Path)
{
  return RunCommand(Fill(Maker.Command, Path.string()) + " >/dev/null 2>&1") == 0 && fs::exists(Path);
}

std::string Output(const std::string& Command)
{
  std::string Text;
  RunCommand(Command, &Text);
  return Text;
}

// Opens, recovers, reads, plans and saves through Fs.
void Save(Quillmark::Fs::IFileSystem& Fs, const fs::path& Path, const TMatroskaChange& Change)
{
  int Fd = -1;
  if (Fs.Open(Path, O_RDWR | O_CLOEXEC, 0, Fd) != 0) {
    throw EMatroskaError("cannot be opened");
  }
  Quillmark::Fs::TScopedFd Closer(Fs, Fd);
  Quillmark::Fs::TSaveNames Names;
  Quillmark::TSideFileReport Report;
  RecoverMatroska(Fs, Fd, Path, true, Names, Report);
  const TMatroskaFile File = ReadMatroska(Fs, Fd);
  SaveInPlace(Fs, Fd, Names, File.FileSize, PlanSave(File, Change));
}

TMatroskaFile Reread(const fs::path& Path)
{
  const int Fd = open(Path.c_str(), O_RDONLY | O_CLOEXEC);
  TMatroskaFile File = ReadMatroska(Quillmark::Fs::PosixFileSystem(), Fd);
  close(Fd);
  return File;
}

TMatroskaChange Change(std::uint64_t Mode, const std::string& Title)
{
  TMatroskaChange Result;
  Result.StereoMode.emplace(Mode);
  Result.DisplaySize = std::make_pair(320, 180);
  Result.Title = Title;
  return Result;
}

TMatroskaChange LayoutOnly(std::uint64_t Mode)
{
  TMatroskaChange Result;
  Result.StereoMode.emplace(Mode);
  return Result;
}

bool HaveTools()
{
  return RunCommand(
             "command -v ffmpeg && command -v ffprobe && command -v mkvmerge && command -v mkvpropedit "
             ">/dev/null 2>&1") == 0;
}

bool HaveGstreamer()
{
  return RunCommand(
             "command -v gst-launch-1.0 >/dev/null && gst-inspect-1.0 matroskademux >/dev/null 2>&1") == 0;
}

// The multiview mode of the video caps GStreamer's demuxer gives, with
// "+right" when it flags the right view first; empty when it gives none.
std::string GstreamerLayout(const fs::path& Path)
{
  const std::string Caps =
      Output("gst-launch-1.0 -v filesrc location='" + Path.string() +
             "' ! matroskademux ! fakesink 2>&1 | grep -m1 'fakesink0.GstPad:sink: caps'");
  const std::size_t Mode = Caps.find("multiview-mode=(string)");
  if (Mode == std::string::npos) {
    return "";
  }
  const std::size_t From = Mode + std::string("multiview-mode=(string)").size();
  std::string Layout = Caps.substr(From, Caps.find_first_of(",\n", From) - From);
  return Caps.find("+right-view-first") != std::string::npos ? Layout + " +right" : Layout;
}

// GStreamer reads each layout set; it maps no view order to side by side
// with the right view first (stereo mode 11), as it does for mkvpropedit's.
TEST(MatroskaSave, GstreamerReadsEachLayoutSet)
{
  if (!HaveTools() || !HaveGstreamer()) {
    GTEST_SKIP() << "ffmpeg, mkvtoolnix or GStreamer's Matroska demuxer missing";
  }
  const std::pair<std::uint64_t, const char*> Modes[] = {
      {1, "side-by-side"}, {11, ""}, {3, "top-bottom"}, {2, "top-bottom +right"}, {0, ""}};
  for (const TMaker& Maker : Makers()) {
    TTempDir Dir;
    const fs::path Path = Dir.File(Maker.File);
    ASSERT_TRUE(Made(Maker, Path));
    for (const auto& [Mode, Layout] : Modes) {
      SCOPED_TRACE(std::string(Maker.Name) + " stereo mode " + std::to_string(Mode));
      ASSERT_NO_THROW(Save(Quillmark::Fs::PosixFileSystem(), Path, Change(Mode, "")));
      EXPECT_EQ(GstreamerLayout(Path), Layout);
    }
  }
}

TEST(MatroskaSave, PeersReadTheLayoutSetAndTheSameFrames)
{
  if (!HaveTools()) {
    GTEST_SKIP() << "ffmpeg, ffprobe or mkvtoolnix missing";
  }
  for (const TMaker& Maker : Makers()) {
    SCOPED_TRACE(Maker.Name);
    TTempDir Dir;
    const fs::path Path = Dir.File(Maker.File);
    ASSERT_TRUE(Made(Maker, Path));
    const std::string Frames =
        "ffmpeg -nostdin -v error -i '" + Path.string() + "' -map 0:v -f framemd5 - | grep -v '^#sar'";
    // The display size changes the sample aspect ratio the decoder reports; the pixels stay.
    const std::string Before = Output(Frames);
    const std::uint64_t Size = fs::file_size(Path);
    // A title long enough to take the room of more than one Void.
    ASSERT_NO_THROW(Save(Quillmark::Fs::PosixFileSystem(), Path, Change(3, std::string(60, 'T'))));
    EXPECT_EQ(fs::file_size(Path), Size);
    const TMatroskaFile File = Reread(Path);
    EXPECT_EQ(File.Video->StereoMode, 3U);
    EXPECT_EQ(File.Title, std::string(60, 'T'));
    const std::string Probe = Output("ffprobe -v error -show_streams -show_format '" + Path.string() + "'");
    EXPECT_NE(Probe.find("type=top and bottom"), std::string::npos) << Probe;
    EXPECT_NE(Probe.find("TAG:title=" + std::string(60, 'T')), std::string::npos);
    if (RunCommand("command -v mediainfo >/dev/null") == 0) {
      const std::string Info = Output("mediainfo '" + Path.string() + "'");
      EXPECT_NE(Info.find("Top-Bottom (left eye first)"), std::string::npos) << Info;
    }
    if (HaveGstreamer()) {
      EXPECT_EQ(GstreamerLayout(Path), "top-bottom");
    }
    EXPECT_EQ(Output(Frames), Before);
    EXPECT_EQ(Output("mkvinfo '" + Path.string() + "' 2>&1 | grep -ci 'error' || true"), "0\n");
    ASSERT_EQ(RunCommand("mkvpropedit -q '" + Path.string() + "' --edit info --set title=Again"), 0);
    EXPECT_EQ(Reread(Path).Title, "Again");
    EXPECT_EQ(Reread(Path).Video->StereoMode, 3U);
  }
}

// Files with no SeekHead, as x264 and HandBrake write them: an ffmpeg file
// whose SeekHead and the Void after it are made one Void.
void DropSeekHead(const fs::path& Path)
{
  const TMatroskaFile File = Reread(Path);
  ASSERT_TRUE(File.SeekHead.has_value());
  const THead& Head = File.SeekHead->Head;
  const std::uint64_t End = File.SeekHead->VoidAfter ? File.SeekHead->VoidAfter->End() : Head.End();
  TBytes Bytes = ReadFileBytes(Path);
  TBytes Void;
  PutVoid(Void, End - Head.Offset);
  std::copy(Void.begin(), Void.end(), Bytes.begin() + static_cast<long>(Head.Offset));
  WriteFileBytes(Path, Bytes);
}

// Peers read what was saved and the same frames; mkvpropedit still edits.
void ExpectPeersRead(const fs::path& Path, const std::string& Title, const std::string& Frames,
                     const std::string& Before)
{
  const std::string Probe = Output("ffprobe -v error -show_streams -show_format '" + Path.string() + "'");
  EXPECT_NE(Probe.find("type=side by side"), std::string::npos) << Probe;
  EXPECT_NE(Probe.find("TAG:title=" + Title), std::string::npos);
  EXPECT_EQ(Output(Frames), Before);
  EXPECT_EQ(Output("mkvinfo '" + Path.string() + "' 2>&1 | grep -ci 'error' || true"), "0\n");
}

// Info and Tracks outgrow their rooms: they move to the end, the Clusters
// stay, the SeekHead (or one made for a file without) leads to them; saved
// again at the end, they are written again there.
TEST(MatroskaSave, WhatOutgrowsItsRoomMovesToTheEndAndPeersFollowIt)
{
  if (!HaveTools()) {
    GTEST_SKIP() << "ffmpeg, ffprobe or mkvtoolnix missing";
  }
  for (const bool WithSeekHead : {true, false}) {
    for (const TMaker& Maker : Makers()) {
      SCOPED_TRACE(std::string(Maker.Name) + (WithSeekHead ? "" : " without SeekHead"));
      TTempDir Dir;
      const fs::path Path = Dir.File(Maker.File);
      ASSERT_TRUE(Made(Maker, Path));
      if (!WithSeekHead) {
        DropSeekHead(Path);
      }
      const std::string Frames =
          "ffmpeg -nostdin -v error -i '" + Path.string() + "' -map 0:v -f framemd5 - | grep -v '^#sar'";
      const std::string Before = Output(Frames);
      const std::uint64_t Size = fs::file_size(Path);
      const std::uint64_t FirstCluster = Reread(Path).FirstCluster;
      for (const std::size_t Length : {10000, 12000, 20}) {
        const std::string Title(Length, 'L');
        ASSERT_NO_THROW(Save(Quillmark::Fs::PosixFileSystem(), Path, Change(1, Title)));
        const TMatroskaFile File = Reread(Path);
        EXPECT_EQ(File.Title, Title);
        EXPECT_EQ(File.Video->StereoMode, 1U);
        EXPECT_EQ(File.FirstCluster, FirstCluster);
        EXPECT_EQ(File.SeekHead.has_value(), true);
        EXPECT_GT(fs::file_size(Path), Size);
        ExpectPeersRead(Path, Title, Frames, Before);
      }
      ASSERT_EQ(RunCommand("mkvpropedit -q '" + Path.string() + "' --edit info --set title=Again"), 0);
      EXPECT_EQ(Reread(Path).Title, "Again");
      EXPECT_EQ(Reread(Path).Video->StereoMode, 1U);
    }
  }
}

TEST(MatroskaSave, RefusesToGrowASegmentFollowedByMoreAndLeavesTheFile)
{
  if (!HaveTools()) {
    GTEST_SKIP() << "ffmpeg or mkvtoolnix missing";
  }
  TTempDir Dir;
  const fs::path Path = Dir.File("made.mkv");
  ASSERT_TRUE(Made(Makers().front(), Path));
  TBytes Old = ReadFileBytes(Path);
  PutVoid(Old, 2);
  WriteFileBytes(Path, Old);
  TMatroskaChange Long;
  Long.Title = std::string(5000, 'x');
  EXPECT_THROW(Save(Quillmark::Fs::PosixFileSystem(), Path, Long), EMatroskaError);
  EXPECT_EQ(ReadFileBytes(Path), Old);
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir.Path()), fs::directory_iterator()), 1);
}

// A save of bytes far into a large file (Info and Tracks moved to its end
// before) and one that lengthens it: recovery knows each journal as this
// file's, rolls it back before the write and keeps it after, and a
// rollback gives the old bytes and length back.
TEST(MatroskaSave, JournalsOfFarChangesAndOfANewEndAreKnownToRecovery)
{
  constexpr std::uint64_t Size = 20 << 20;
  TSavePlan Far;
  Far.Patches.push_back({18 << 20, TBytes(100, 0x5A)});
  TSavePlan Longer;
  Longer.Patches.push_back({5, TBytes(3, 0x42)});
  Longer.EndFrom = Size - 10;
  Longer.End = TBytes(700, 0x77);
  auto& Fs = Quillmark::Fs::PosixFileSystem();
  for (const TSavePlan* Plan : {&Far, &Longer}) {
    TTempDir Dir;
    const fs::path Path = Dir.File("far.mkv");
    WriteFileBytes(Path, {0x1A, 0x45, 0xDF, 0xA3, 0x80, 1, 2, 3});
    fs::resize_file(Path, Size);
    const TBytes Old = ReadFileBytes(Path);
    const int Fd = open(Path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(Fd, 0);
    const Quillmark::Fs::TJournal Journal = MakeJournal(Fs, Fd, Size, *Plan);
    EXPECT_EQ(Journal.Kind, Quillmark::Fs::TJournalKind::Relocate);
    EXPECT_EQ(CheckJournal(Fs, Fd, Journal, Quillmark::Fs::TJournalWhere::Beside), TVerdict::RollBack);
    ASSERT_EQ(WriteNewBytes(Fs, Fd, Journal), 0);
    EXPECT_EQ(CheckJournal(Fs, Fd, Journal, Quillmark::Fs::TJournalWhere::Beside), TVerdict::Completed);
    ASSERT_EQ(Quillmark::Fs::RollBack(Fs, Fd, Journal), 0);
    close(Fd);
    EXPECT_TRUE(ReadFileBytes(Path) == Old);
  }
}

enum class TFault { Io, Crash };

// Every call of the save, in place and moving elements to the end, fails,
// then is where it stops dead; after the next open the file is the old one
// or the new one, nothing beside it.
TEST(MatroskaSave, EveryCallFailedOrCrashedLeavesTheOldFileOrTheNew)
{
  if (!HaveTools()) {
    GTEST_SKIP() << "ffmpeg or mkvtoolnix missing";
  }
  // In place, moved to the end, and within one sector of a file saved once.
  for (const std::string& Title : {std::string("New title"), std::string(10000, 'N'), std::string()}) {
    const TMatroskaChange Changing = Title.empty() ? LayoutOnly(2) : Change(1, Title);
    for (const TMaker& Maker : Makers()) {
      TTempDir Dir;
      const fs::path Made1 = Dir.File(std::string("orig.") + Maker.File);
      ASSERT_TRUE(Made(Maker, Made1));
      if (Title.empty()) {
        Save(Quillmark::Fs::PosixFileSystem(), Made1, Change(1, "New title"));
      }
      const TBytes Old = ReadFileBytes(Made1);
      const fs::path Path = Dir.File(Maker.File);
      WriteFileBytes(Path, Old);
      Save(Quillmark::Fs::PosixFileSystem(), Path, Changing);
      const TBytes New = ReadFileBytes(Path);
      ASSERT_NE(New, Old);
      for (const TFault Fault : {TFault::Io, TFault::Crash}) {
        for (int Nth = 1;; ++Nth) {
          SCOPED_TRACE(std::string(Maker.Name) +
                       (Fault == TFault::Io ? " failing call " : " crash at call ") + std::to_string(Nth));
          WriteFileBytes(Path, Old);
          TFaultFileSystem Faulty;
          Fault == TFault::Io ? Faulty.FailNth(Nth, EIO) : Faulty.CrashAtNth(Nth);
          bool Threw = false;
          try {
            Save(Faulty, Path, Changing);
          } catch (const std::exception&) {
            Threw = true;
          }
          Faulty.CloseLeftovers();
          const bool Reached = Faulty.Calls() >= Nth;
          // The next open, for writing, finishes or undoes the save.
          ASSERT_NO_THROW(Reread(Path));
          {
            const int Fd = open(Path.c_str(), O_RDWR | O_CLOEXEC);
            Quillmark::Fs::TSaveNames Names;
            Quillmark::TSideFileReport Report;
            RecoverMatroska(Quillmark::Fs::PosixFileSystem(), Fd, Path, true, Names, Report);
            close(Fd);
          }
          const TBytes Now = ReadFileBytes(Path);
          EXPECT_TRUE(Now == Old || Now == New);
          if (!Threw && !Faulty.Crashed()) {
            EXPECT_EQ(Now, New);
          }
          std::vector<std::string> Left;
          for (const auto& Entry : fs::directory_iterator(Dir.Path())) {
            Left.push_back(Entry.path().filename());
          }
          EXPECT_EQ(Left.size(), 2U) << testing::PrintToString(Left);
          if (!Reached) {
            break;
          }
        }
      }
    }
  }
}

// Files of every maker in one folder, each saved in place, moved to the
// end, and (once saved) given another layout, a change within one sector,
// as one batch: its old bytes, and its new ones as a save alone leaves them.
struct TBatchFiles {
  TTempDir Dir;
  std::vector<fs::path> Paths;
  std::vector<TBytes> Old;
  std::vector<TBytes> New;
  std::vector<TMatroskaChange> Changes;
};

bool MakeBatchFiles(TBatchFiles& Files)
{
  TTempDir Alone;
  for (const TMaker& Maker : Makers()) {
    const fs::path Made1 = Alone.File(std::string("orig.") + Maker.File);
    if (!Made(Maker, Made1)) {
      return false;
    }
    for (const std::string& Title : {std::string("New title"), std::string(10000, 'N'), std::string()}) {
      const std::string Name = std::string(Maker.Name) + std::to_string(Title.size()) + "." + Maker.File;
      Files.Paths.push_back(Files.Dir.File(Name));
      if (Title.empty()) {
        Files.Old.push_back(Files.New[Files.New.size() - 2]);
        Files.Changes.push_back(LayoutOnly(2));
      } else {
        Files.Old.push_back(ReadFileBytes(Made1));
        Files.Changes.push_back(Change(1, Title));
      }
      WriteFileBytes(Alone.File(Name), Files.Old.back());
      Save(Quillmark::Fs::PosixFileSystem(), Alone.File(Name), Files.Changes.back());
      Files.New.push_back(ReadFileBytes(Alone.File(Name)));
    }
  }
  return true;
}

// Opens, recovers and reads each file through Fs and saves them as one
// batch; Counted hears Fs just before the batch commits.
void SaveBatch(TFaultFileSystem& Fs, const TBatchFiles& Files, TMatroskaBatch& Batch,
               const std::function<void()>& Counted = {})
{
  std::vector<std::unique_ptr<Quillmark::Fs::TScopedFd>> Open;
  for (std::size_t At = 0; At < Files.Paths.size(); ++At) {
    int Fd = -1;
    if (Fs.Open(Files.Paths[At], O_RDWR | O_CLOEXEC, 0, Fd) != 0) {
      throw EMatroskaError("cannot be opened");
    }
    Open.push_back(std::make_unique<Quillmark::Fs::TScopedFd>(Fs, Fd));
    Quillmark::Fs::TSaveNames Names;
    Quillmark::TSideFileReport Report;
    RecoverMatroska(Fs, Fd, Files.Paths[At], true, Names, Report);
    const TMatroskaFile File = ReadMatroska(Fs, Fd);
    Batch.Add(Fd, Names, File.FileSize, PlanSave(File, Files.Changes[At]));
  }
  if (Counted) {
    Counted();
  }
  Batch.Commit();
}

int Syncs(const TFaultFileSystem& Fs)
{
  using Quillmark::Fs::TFsCall;
  return Fs.CallsOf(TFsCall::SyncFs) + Fs.CallsOf(TFsCall::FSync) + Fs.CallsOf(TFsCall::FDataSync);
}

// Nine saves, three that move elements to the end and three within one
// sector, pay three syncs in all where alone they pay twenty-one, and leave
// what saves alone leave; one within a sector, alone, pays one.
TEST(MatroskaBatch, SavesOfAFolderShareThreeSyncs)
{
  if (!HaveTools()) {
    GTEST_SKIP() << "ffmpeg or mkvtoolnix missing";
  }
  TBatchFiles Files;
  ASSERT_TRUE(MakeBatchFiles(Files));
  for (std::size_t At = 0; At < Files.Paths.size(); ++At) {
    WriteFileBytes(Files.Paths[At], Files.Old[At]);
  }
  TFaultFileSystem Counting;
  TMatroskaBatch Batch(Counting);
  int Before = 0;
  SaveBatch(Counting, Files, Batch, [&] { Before = Syncs(Counting); });
  EXPECT_EQ(Before, 0);
  EXPECT_LE(Syncs(Counting), 3);
  for (std::size_t At = 0; At < Files.Paths.size(); ++At) {
    EXPECT_EQ(Batch.Failure(At), "");
    EXPECT_TRUE(ReadFileBytes(Files.Paths[At]) == Files.New[At]) << Files.Paths[At];
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(Files.Dir.Path()), fs::directory_iterator()),
            static_cast<long>(Files.Paths.size()));
  TFaultFileSystem Alone;
  Save(Alone, Files.Paths[2], LayoutOnly(11));
  EXPECT_EQ(Syncs(Alone), 1);
  EXPECT_EQ(Reread(Files.Paths[2]).Video->StereoMode, 11U);
}

// Every call of the batch fails, then is where it stops dead; after the
// next open each file is its old one or its new one, nothing beside it,
// and a file whose save was not told failed is its new one.
TEST(MatroskaBatch, EveryCallFailedOrCrashedLeavesEachFileOldOrNew)
{
  if (!HaveTools()) {
    GTEST_SKIP() << "ffmpeg or mkvtoolnix missing";
  }
  TBatchFiles Files;
  ASSERT_TRUE(MakeBatchFiles(Files));
  for (const TFault Fault : {TFault::Io, TFault::Crash}) {
    for (int Nth = 1;; ++Nth) {
      SCOPED_TRACE((Fault == TFault::Io ? "failing call " : "crash at call ") + std::to_string(Nth));
      for (std::size_t At = 0; At < Files.Paths.size(); ++At) {
        WriteFileBytes(Files.Paths[At], Files.Old[At]);
      }
      TFaultFileSystem Faulty;
      Fault == TFault::Io ? Faulty.FailNth(Nth, EIO) : Faulty.CrashAtNth(Nth);
      TMatroskaBatch Batch(Faulty);
      bool Threw = false;
      try {
        SaveBatch(Faulty, Files, Batch);
      } catch (const std::exception&) {
        Threw = true;
      }
      Faulty.CloseLeftovers();
      for (std::size_t At = 0; At < Files.Paths.size(); ++At) {
        const fs::path& Path = Files.Paths[At];
        ASSERT_NO_THROW(Reread(Path)) << Path;
        const int Fd = open(Path.c_str(), O_RDWR | O_CLOEXEC);
        Quillmark::Fs::TSaveNames Names;
        Quillmark::TSideFileReport Report;
        RecoverMatroska(Quillmark::Fs::PosixFileSystem(), Fd, Path, true, Names, Report);
        close(Fd);
        const TBytes Now = ReadFileBytes(Path);
        EXPECT_TRUE(Now == Files.Old[At] || Now == Files.New[At]) << Path;
        if (!Threw && !Faulty.Crashed() && Batch.Failure(At).empty()) {
          EXPECT_TRUE(Now == Files.New[At]) << Path;
        }
      }
      EXPECT_EQ(std::distance(fs::directory_iterator(Files.Dir.Path()), fs::directory_iterator()),
                static_cast<long>(Files.Paths.size()));
      if (Faulty.Calls() < Nth) {
        break;
      }
    }
  }
}

// A Seek entry whose position takes Width bytes.
TBytes SeekTo(std::uint32_t Target, std::uint64_t Position, unsigned Width)
{
  TBytes Id;
  PutId(Id, Target);
  TBytes Where(Width);
  for (unsigned At = 0; At < Width; ++At) {
    Where[Width - 1 - At] = static_cast<std::uint8_t>(Position >> (8 * At));
  }
  return Element(Id::Seek, Join({Element(Id::SeekId, Id), Element(Id::SeekPosition, Where)}));
}

// A file whose first SeekHead leads only to a second one after the
// Clusters, which leads to Info and Tracks (positions Width bytes wide),
// with a Cluster of FarBytes after it.
TBytes SecondSeekHeadFile(unsigned Width, std::size_t FarBytes)
{
  const TBytes Info = Element(Id::Info, Text(Id::Title, "old"));
  const TBytes Tracks = VideoTracks();
  const TBytes Cluster = SomeCluster();
  const std::size_t FirstRoom = Element(Id::SeekHead, SeekTo(Id::SeekHead, 0, 8)).size() + 80;
  const std::uint64_t InfoAt = FirstRoom;
  const std::uint64_t TracksAt = InfoAt + Info.size();
  const std::uint64_t SecondAt = TracksAt + Tracks.size() + Cluster.size();
  const TBytes First = Element(Id::SeekHead, SeekTo(Id::SeekHead, SecondAt, 8));
  const TBytes Second =
      Element(Id::SeekHead, Join({SeekTo(Id::Info, InfoAt, Width), SeekTo(Id::Tracks, TracksAt, Width)}));
  const TBytes Far = FarBytes == 0 ? TBytes{} : Element(Id::Cluster, TBytes(FarBytes), 8);
  return File(Join({First, VoidOf(FirstRoom - First.size()), Info, Tracks, Cluster, Second, Far}));
}

// Whether every entry of every SeekHead leads to an element of its ID.
bool SeekHeadsLeadRight(const fs::path& Path)
{
  const TMatroskaFile Read = Reread(Path);
  const TBytes Bytes = ReadFileBytes(Path);
  std::vector<TTopElement> Heads = Read.OtherSeekHeads;
  Heads.push_back(*Read.SeekHead);
  for (const TTopElement& Head : Heads) {
    for (const TSeekEntry& Entry : SeekEntries(Head)) {
      const std::uint64_t At = Read.Segment.DataOffset + Entry.Position;
      if (At >= Bytes.size() || ReadHead(Bytes.data(), Bytes.size(), At, 0).Id != Entry.Target) {
        return false;
      }
    }
  }
  return true;
}

// Info and Tracks that move to the end are led to by every SeekHead, the
// second one written again in its room, or where the new positions do not
// fit there, without its entries for them; one far among the Clusters is
// refused and the file left as it was.
TEST(MatroskaSave, ASecondSeekHeadNeverLeadsToTheVoidsLeft)
{
  struct TCase {
    const char* Name;
    unsigned Width;
    std::size_t FarBytes;
    bool Refused;
    std::size_t SecondEntries; // after the save
  };
  // A Cluster of 400 bytes puts the end past where one byte can lead; the
  // title moves Info alone, so Tracks keeps its entry.
  const TCase Cases[] = {
      {"wide positions", 8, 400, false, 2},
      {"narrow positions", 1, 400, false, 1},
      {"far among the Clusters", 8, MaxMasterBytes + 1000, true, 0},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TTempDir Dir;
    const fs::path Path = Dir.File("two.mkv");
    const TBytes Old = SecondSeekHeadFile(Case.Width, Case.FarBytes);
    WriteFileBytes(Path, Old);
    ASSERT_TRUE(SeekHeadsLeadRight(Path));
    ASSERT_EQ(Reread(Path).OtherSeekHeads.size(), 1U);
    TMatroskaChange Longer;
    Longer.Title = std::string(300, 'T');
    if (Case.Refused) {
      EXPECT_THROW(Save(Quillmark::Fs::PosixFileSystem(), Path, Longer), EMatroskaError);
      EXPECT_TRUE(ReadFileBytes(Path) == Old);
      continue;
    }
    Save(Quillmark::Fs::PosixFileSystem(), Path, Longer);
    EXPECT_TRUE(SeekHeadsLeadRight(Path));
    const TMatroskaFile Saved = Reread(Path);
    EXPECT_EQ(Saved.Title, Longer.Title);
    EXPECT_GT(Saved.Info->Head.Offset, Saved.FirstCluster);
    ASSERT_EQ(Saved.OtherSeekHeads.size(), 1U);
    EXPECT_EQ(SeekEntries(Saved.OtherSeekHeads.front()).size(), Case.SecondEntries);
  }
}

} // namespace

} // namespace QuillmarkTest
