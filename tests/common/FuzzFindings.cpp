#include "common/FuzzFindings.h"

#include "common/TestFiles.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace QuillmarkTest {

std::vector<std::filesystem::path> FuzzFindings(const std::string& Target)
{
  const std::filesystem::path Dir =
      std::filesystem::path(QUILLMARK_SOURCE_DIR) / "fuzz" / "findings" / Target;
  std::vector<std::filesystem::path> Files;
  std::error_code Error;
  for (const auto& Entry : std::filesystem::directory_iterator(Dir, Error)) {
    if (Entry.is_regular_file()) {
      Files.push_back(Entry.path());
    }
  }
  std::sort(Files.begin(), Files.end());
  return Files;
}

void ReplayFuzzFindings(const std::string& Target, TFuzzEntry Entry)
{
  const std::vector<std::filesystem::path> Files = FuzzFindings(Target);
  ASSERT_FALSE(Files.empty()) << "no findings kept in fuzz/findings/" << Target;
  for (const std::filesystem::path& File : Files) {
    SCOPED_TRACE(File.string());
    const std::vector<std::uint8_t> Bytes = ReadFileBytes(File);
    EXPECT_EQ(Entry(Bytes.data(), Bytes.size()), 0);
  }
}

} // namespace QuillmarkTest
