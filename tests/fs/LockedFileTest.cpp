// A locked open says what failed in the file-system layer's own terms: the
// cause and the errno, and the words for a person.
#include "common/TestFiles.h"
#include "fs/FileLock.h"
#include "fs/FsError.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {

using Quillmark::Fs::EFsError;
using Quillmark::Fs::TFsFailure;
using Quillmark::Fs::TLockedFile;
namespace fs = std::filesystem;

struct TFailedOpen {
  const char* Name;
  // Makes what is at Path; may hold a file open (and locked) meanwhile.
  std::function<std::unique_ptr<TLockedFile>(const fs::path& Path)> Make;
  bool FollowLinks;
  TFsFailure Failure;
  int Errno; // 0: any
  const char* Words;
};

void WriteFile(const fs::path& Path)
{
  std::ofstream(Path) << "bytes";
}

TEST(LockedFileTest, EachFailedOpenSaysItsCauseAndErrno)
{
  const std::vector<TFailedOpen> Cases = {
      {"missing", [](const fs::path&) { return nullptr; }, true, TFsFailure::Open, ENOENT,
       "cannot open the file: "},
      {"fifo",
       [](const fs::path& Path) {
         EXPECT_EQ(mkfifo(Path.c_str(), 0600), 0);
         return nullptr;
       },
       true, TFsFailure::NotRegular, 0, "not a regular file"},
      {"link not followed",
       [](const fs::path& Path) {
         WriteFile(Path.string() + ".target");
         fs::create_symlink(Path.filename().string() + ".target", Path);
         return nullptr;
       },
       false, TFsFailure::NotRegular, ELOOP, "not a regular file"},
      {"held by another open",
       [](const fs::path& Path) {
         WriteFile(Path);
         return std::make_unique<TLockedFile>(Path.string(), true);
       },
       true, TFsFailure::Locked, 0, "the file is in use by another program"},
  };
  for (const TFailedOpen& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    QuillmarkTest::TTempDir Temp;
    const fs::path Path = Temp.Path() / "a.wmv";
    const std::unique_ptr<TLockedFile> Holder = Case.Make(Path);
    try {
      TLockedFile File(Path.string(), true, Case.FollowLinks);
      ADD_FAILURE() << "opened";
    } catch (const EFsError& Error) {
      EXPECT_EQ(Error.Failure(), Case.Failure);
      if (Case.Errno != 0) {
        EXPECT_EQ(Error.Errno(), Case.Errno);
      }
      EXPECT_EQ(std::string(Error.what()).rfind(Case.Words, 0), 0U) << Error.what();
    }
  }
}

TEST(LockedFileTest, ReadersShareAFileAndKeepItsIdentity)
{
  QuillmarkTest::TTempDir Temp;
  const fs::path Path = Temp.Path() / "a.wmv";
  WriteFile(Path);
  TLockedFile First(Path.string(), false);
  TLockedFile Second(Path.string(), false);
  EXPECT_EQ(First.Identity(), Second.Identity());
  EXPECT_EQ(First.Identity().Size, 5U);
  EXPECT_THROW(TLockedFile(Path.string(), true), EFsError);
}

} // namespace
