#include "support/Debug.h"

#include "common/TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace Quillmark;

namespace QuillmarkTest {
namespace {

class WriteLogTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    FFile = FDir.File("log.txt");
    FHandle = ::open(FFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_NE(FHandle, -1);
  }
  void TearDown() override
  {
    LogFileHandle = NoLogFile;
    ::close(FHandle);
  }
  std::string Written() const
  {
    const std::vector<std::uint8_t> Bytes = ReadFileBytes(FFile);
    return {Bytes.begin(), Bytes.end()};
  }

  TTempDir FDir;
  std::filesystem::path FFile;
  int FHandle = -1;
};

TEST_F(WriteLogTest, NothingWithoutAHandle)
{
  EXPECT_EQ(LogFileHandle, NoLogFile);
  WriteLog("lost");
  EXPECT_EQ(Written(), "");
}

TEST_F(WriteLogTest, EachWriteIsOneLineEndedByCrLf)
{
  LogFileHandle = FHandle;
  WriteLog("");
  EXPECT_EQ(Written(), "\r\n");
  WriteLog("ends in a break\r\n");
  WriteLog(std::string("nul\0inside", 10));
  EXPECT_EQ(Written(), std::string("\r\nends in a break\r\n\r\nnul\0inside\r\n", 33));
}

} // namespace
} // namespace QuillmarkTest
