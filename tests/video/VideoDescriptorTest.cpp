// The video is read through the one descriptor it was opened and checked
// with, and within its read budget.
#include "catalogue/Catalogue.h"
#include "common/SyntheticVideo.h"
#include "common/TestFiles.h"
#include "video/VideoLook.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <sys/stat.h>

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

// The message an EVideo of the look carries; empty when none was thrown.
template <class TLook> std::string FailureOf(TLook Look)
{
  try {
    Look();
  } catch (const EVideo& Error) {
    return Error.what();
  }
  return {};
}

TEST(VideoDescriptor, WhatIsNotARegularFileIsRefusedBeforeItIsRead)
{
  TTempDir Folder;
  const std::string Fifo = Folder.File("pipe.wmv").string();
  ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
  // Nobody writes to the FIFO nor reads /dev/zero's endless zeros: a read
  // of either would never end.
  const struct {
    std::string Path;
    const char* Message;
  } Cases[] = {
      {Fifo, "The file is a FIFO (named pipe), not a video file"},
      {"/dev/zero", "The file is a device, not a video file"},
      {Folder.Path().string(), "The file is a folder, not a video file"},
      {Folder.File("missing.wmv").string(), "The file cannot be opened: No such file or directory"},
  };
  for (const auto& Case : Cases) {
    EXPECT_EQ(FailureOf([&] { TVideoFile Video(Case.Path); }), Case.Message) << Case.Path;
  }
}

TEST(VideoDescriptor, FramesComeFromTheFileTheEditorOpened)
{
  TTempDir Folder;
  TScene Stereo;
  Stereo.Layout = TSceneLayout::OverUnderLT;
  Stereo.Seconds = 3;
  TScene Mono;
  Mono.Seconds = 3;
  const auto Path = Folder.File("video.wmv");
  const auto Other = Folder.File("other.wmv");
  ASSERT_TRUE(MakeSceneVideo(Stereo, Path));
  ASSERT_TRUE(MakeSceneVideo(Mono, Other));

  TRef<IWMMetadataEditor> Editor;
  ASSERT_EQ(WMCreateEditor(Editor), S_OK);
  ASSERT_EQ(Editor->Open(Path.u16string().c_str()), S_OK);
  // Another video put in its place after the open is not what is read, by
  // the first reader or by the second one detection starts.
  std::filesystem::rename(Other, Path);
  TVideoFile Video(EditorVideoDescriptor(Editor));
  const TLayoutGuess Guess = DetectLayout(Video, 0);
  EXPECT_EQ(Guess.LayoutIndex, LayoutIndexOfKey(u"OverUnderLT")) << DescribeLayout(Guess);
  EXPECT_EQ(Video.Height(), 2 * Stereo.ViewHeight);
  EXPECT_EQ(Editor->Close(), S_OK);

  // An editor with no file open has none to give.
  EXPECT_THROW(EditorVideoDescriptor(Editor), EVideo);
}

TEST(VideoDescriptor, ASparseHoleEndsWithTheBudget)
{
  TTempDir Folder;
  TScene Scene;
  Scene.Seconds = 1;
  ASSERT_TRUE(MakeSceneVideo(Scene, Folder.File("video.wmv")));
  // Far more than a test could read: only the budget ends the look.
  const auto Hole = Folder.File("hole.wmv");
  ASSERT_TRUE(MakeHoleVideo(Folder.File("video.wmv"), Hole, 64ULL << 30));
  TReadBudget Budget;
  Budget.Bytes = 2ULL << 20;
  const std::string Message = FailureOf([&] {
    TVideoFile Video(Hole.string(), nullptr, Budget);
    DetectLayout(Video, 0);
  });
  EXPECT_EQ(Message, "no picture found in the first 2 MB");

  // The video before the hole is read well within the same budget.
  TVideoFile Video(Folder.File("video.wmv").string(), nullptr, Budget);
  EXPECT_NO_THROW(DetectLayout(Video, 0));
}

TEST(VideoDescriptor, TimeIsCountedInProcessorTimeWithTheWallClockAsBackstop)
{
  TTempDir Folder;
  TScene Scene;
  Scene.Seconds = 1;
  const std::string Path = Folder.File("video.wmv").string();
  ASSERT_TRUE(MakeSceneVideo(Scene, Path));
  using std::chrono::milliseconds;
  const struct {
    milliseconds Time;
    milliseconds WallTime;
    const char* Message;
  } Cases[] = {
      {milliseconds(0), VideoReadBudgetWallTime, "no picture found in 0 seconds of processor time"},
      {VideoReadBudgetTime, milliseconds(0), "no picture found in 0 seconds of reading"},
  };
  for (const auto& Case : Cases) {
    TReadBudget Budget;
    Budget.Time = Case.Time;
    Budget.WallTime = Case.WallTime;
    EXPECT_EQ(FailureOf([&] { TVideoFile Video(Path, nullptr, Budget); }), Case.Message);
  }

  // A look that waits (on a busy machine, or for the user) spends no
  // processor time: only the work of reading counts.
  TReadBudget Budget;
  Budget.Time = milliseconds(1500);
  TVideoFile Video(Path, nullptr, Budget);
  std::this_thread::sleep_for(Budget.Time + milliseconds(100));
  EXPECT_NO_THROW(Video.FrameAt(0.5, true));
}

} // namespace
