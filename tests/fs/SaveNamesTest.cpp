// Where a save puts its side files: beside the file itself, as the kernel
// names it, however the caller named it, and without asking the kernel
// again for each file of a folder.
#include "fs/SaveNames.h"
#include "CommitFaultFileSystem.h"
#include "common/TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using Quillmark::Fs::TFsCall;
using Quillmark::Fs::TSaveNames;
namespace fs = std::filesystem;

struct TStep {
  const char* Opened;   // the name the file is opened by, in the test's folder
  const char* RenameTo; // moved to this name once open; empty for none
  const char* Target;   // the name the save must use
  int KernelAsked;      // calls of FilePath it may make
};

TEST(SaveNamesTest, NamesComeFromTheFileItselfInFolderAfterFolder)
{
  QuillmarkTest::TTempDir Temp;
  const fs::path Real = fs::canonical(Temp.Path());
  fs::create_directory(Real / "films");
  for (const char* Name : {"a.wmv", "b.wmv", "c.wmv"}) {
    QuillmarkTest::WriteFileBytes(Real / "films" / Name, {1, 2, 3});
  }
  fs::create_symlink("b.wmv", Real / "films" / "link.wmv");
  fs::create_directory_symlink("films", Real / "alias");
  const TStep Steps[] = {
      {"films/a.wmv", "", "films/a.wmv", 1},
      {"films/b.wmv", "", "films/b.wmv", 0},
      // A link in the folder is not the file: the name is the one it leads to.
      {"films/link.wmv", "", "films/b.wmv", 1},
      {"films/a.wmv", "", "films/a.wmv", 0},
      {"films/c.wmv", "films/moved.wmv", "films/moved.wmv", 1},
      // Another name for the folder is another folder to ask about once.
      {"alias/a.wmv", "", "films/a.wmv", 1},
      {"alias/b.wmv", "", "films/b.wmv", 0},
  };
  for (const TStep& Step : Steps) {
    SCOPED_TRACE(Step.Opened);
    const std::string Opened = (Real / Step.Opened).string();
    const int Fd = open(Opened.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(Fd, 0);
    if (*Step.RenameTo != 0) {
      fs::rename(Opened, Real / Step.RenameTo);
    }
    struct stat Info {};
    ASSERT_EQ(fstat(Fd, &Info), 0);
    QuillmarkTest::TFaultFileSystem Fs;
    TSaveNames Names;
    EXPECT_EQ(Quillmark::Fs::ResolveOpenSaveNames(Fs, Fd, Info, Opened, Names), 0);
    EXPECT_EQ(Names.Target, (Real / Step.Target).string());
    EXPECT_EQ(Names.Folder->Path(), (Real / Step.Target).parent_path().string());
    EXPECT_EQ(Fs.CallsOf(TFsCall::FilePath), Step.KernelAsked);
    close(Fd);
  }
}

} // namespace
