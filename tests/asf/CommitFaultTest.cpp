// Every call the save makes is failed, and separately made the instant of a
// crash; after recovery the file must be exactly the old one or exactly the
// new one, and no side file may be left.
#include "asf/CommitTestFiles.h"
#include "common/TestFiles.h"
#include "fs/CommitFaultFileSystem.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace QuillmarkTest {

namespace {

using namespace Quillmark;
using namespace Quillmark::Asf;

struct TPathCase {
  const char* Name;
  std::size_t Payload; // the sample's unknown object holds 2000 bytes
  bool AllowInsert;
  // A Padding Object at the end of the header whose payload the editor did
  // not read; its second half holds bytes other than zeros.
  std::size_t Padding = 0;
  // The file system shares blocks of this size (0: it cannot).
  std::uint64_t CloneBlock = 0;
  // A Header Extension holding a Padding Object of this size, in the file
  // and in the new header.
  std::size_t ExtensionPadding = 0;
};

enum class TFault { Io, DiskFull, Crash };

class CommitFaultTest : public ::testing::TestWithParam<TPathCase> {
protected:
  void SetUp() override
  {
    std::size_t Padding = GetParam().Padding;
    FSample = MakeSample(2000, Padding, 20000, GetParam().ExtensionPadding);
    if (Padding > 0) {
      FRead = FSample.HeaderSize - (Padding - 24);
      auto Tail = FSample.Bytes.begin() + static_cast<long>(FSample.HeaderSize - Padding / 2);
      std::fill(Tail, FSample.Bytes.begin() + static_cast<long>(FSample.HeaderSize), 0x5A);
    }
  }

  std::filesystem::path Video() const { return FDir.File("clip.wmv"); }

  void Restore()
  {
    for (const auto& Side : SideFiles(FDir.Path())) {
      std::filesystem::remove(Side);
    }
    WriteFileBytes(Video(), FSample.Bytes);
  }

  // Runs one save through Fs; Crashed tells whether it stopped dead.
  HRESULT Run(TFaultFileSystem& Fs, bool AllowInsert, bool& Crashed)
  {
    if (GetParam().CloneBlock != 0 && !FNoClone) {
      Fs.EmulateClone(GetParam().CloneBlock);
    }
    TOpenVideo Open(Video());
    TCommitRequest Request =
        Open.Request(MakeImage(GetParam().Payload, 7, GetParam().ExtensionPadding), FSample.HeaderSize);
    Request.AllowInsertRange = AllowInsert;
    Request.OldHeaderRead = FRead;
    return CommitThrough(Fs, Request, Crashed);
  }

  TBytes CleanSave(bool AllowInsert, int* Calls = nullptr)
  {
    Restore();
    TFaultFileSystem Fs;
    bool Crashed = false;
    EXPECT_EQ(Run(Fs, AllowInsert, Crashed), S_OK);
    if (Calls != nullptr) {
      *Calls = Fs.Calls();
    }
    return ReadFileBytes(Video());
  }

  void Inject(TFaultFileSystem& Fs, int Nth, TFault Fault)
  {
    if (Fault == TFault::Crash) {
      Fs.CrashAtNth(Nth);
    } else {
      Fs.FailNth(Nth, Fault == TFault::Io ? EIO : ENOSPC);
    }
  }

  TTempDir FDir;
  TSampleFile FSample;
  std::uint64_t FRead = 0;
  bool FNoClone = false;
};

TEST_P(CommitFaultTest, AnyFailureOrCrashLeavesTheOldOrTheNewFile)
{
  int Calls = 0;
  TBytes New = CleanSave(GetParam().AllowInsert, &Calls);
  // An insert that fails cleanly falls back to cloning or copying, whose padding differs.
  TBytes Copied = CleanSave(false);
  // A clone that fails cleanly (the block size unknown) copies too.
  FNoClone = true;
  TBytes PlainCopy = CleanSave(false);
  FNoClone = false;
  ASSERT_GT(Calls, 5);
  for (int Nth = 1; Nth <= Calls; ++Nth) {
    for (TFault Fault : {TFault::Io, TFault::DiskFull, TFault::Crash}) {
      Restore();
      TFaultFileSystem Fs;
      Inject(Fs, Nth, Fault);
      bool Crashed = false;
      HRESULT Result = Run(Fs, GetParam().AllowInsert, Crashed);
      std::string Where = std::string("call ") + std::to_string(Nth) + " (" +
                          FsCallName(Fs.Log().at(static_cast<std::size_t>(Nth - 1))) + ") fault " +
                          std::to_string(static_cast<int>(Fault));
      ASSERT_EQ(Recover(Video()), S_OK) << Where;
      TBytes File = ReadFileBytes(Video());
      bool IsOld = File == FSample.Bytes;
      bool IsNew = File == New || File == Copied || File == PlainCopy;
      if (Crashed) {
        EXPECT_TRUE(IsOld || IsNew) << Where;
      } else if (Result == S_OK) {
        EXPECT_TRUE(IsNew) << Where;
      } else {
        EXPECT_TRUE(IsOld) << Where << " result " << ResultName(Result);
      }
      EXPECT_TRUE(SideFiles(FDir.Path()).empty()) << Where;
    }
  }
}

// A change inside one sector is written without a journal: the disk writes
// the sector whole or not at all. Failed or stopped at any call, the file
// is the old one or the new one, and no side file is ever made.
TEST(CommitOneSectorTest, WritesNoSideFileAndAnyFaultLeavesTheOldOrTheNewFile)
{
  TTempDir Dir;
  const std::filesystem::path Video = Dir.File("clip.wmv");
  const TOneSectorEdit Edit = MakeOneSectorEdit();
  const TSampleFile& Sample = Edit.Sample;
  const TBytes& New = Edit.New;
  auto Save = [&](TFaultFileSystem& Fs, bool& Crashed) {
    WriteFileBytes(Video, Sample.Bytes);
    TOpenVideo Open(Video);
    return CommitThrough(Fs, Open.Request(Edit.Image, Sample.HeaderSize), Crashed);
  };
  TFaultFileSystem Clean;
  bool Crashed = false;
  ASSERT_EQ(Save(Clean, Crashed), S_OK);
  ASSERT_EQ(ReadFileBytes(Video), New);
  EXPECT_EQ(Clean.CallsOf(TFsCall::FSync), 0);
  EXPECT_EQ(Clean.CallsOf(TFsCall::Unlink), 0);
  EXPECT_EQ(Clean.CallsOf(TFsCall::FDataSync), 1);
  for (int Nth = 1; Nth <= Clean.Calls(); ++Nth) {
    for (TFault Fault : {TFault::Io, TFault::Crash}) {
      TFaultFileSystem Fs;
      if (Fault == TFault::Crash) {
        Fs.CrashAtNth(Nth);
      } else {
        Fs.FailNth(Nth, EIO);
      }
      const HRESULT Result = Save(Fs, Crashed);
      const std::string Where =
          "call " + std::to_string(Nth) + " fault " + std::to_string(static_cast<int>(Fault));
      ASSERT_EQ(Recover(Video), S_OK) << Where;
      const TBytes File = ReadFileBytes(Video);
      if (Crashed) {
        EXPECT_TRUE(File == Sample.Bytes || File == New) << Where;
      } else {
        EXPECT_EQ(File, Result == S_OK ? New : Sample.Bytes) << Where;
      }
      EXPECT_TRUE(SideFiles(Dir.Path()).empty()) << Where;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryPath, CommitFaultTest,
                         ::testing::Values(TPathCase{"InPlace", 1000, true}, TPathCase{"Insert", 9000, true},
                                           TPathCase{"Copy", 9000, false},
                                           TPathCase{"InPlaceIntoUnreadPadding", 40000, true, 100000},
                                           TPathCase{"InsertPastUnreadPadding", 200000, true, 100000},
                                           TPathCase{"Clone", 9000, false, 0, 4096},
                                           TPathCase{"ClonePastUnreadPadding", 200000, false, 100000, 512},
                                           TPathCase{"InPlaceIntoExtensionPadding", 3000, true, 0, 0, 3500}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace

} // namespace QuillmarkTest
