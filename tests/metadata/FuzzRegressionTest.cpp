// Inputs the fuzzer found to break the engine, kept under tests/data/fuzz/
// with names that say what broke. Each must open or fail cleanly, and what
// opens must render back to the same attributes.
#include "common/EditorProbe.h"
#include "common/TestFiles.h"
#include "metadata/asf/HeaderVerify.h"
#include "metadata/asf/Renderer.h"

#include <gtest/gtest.h>

namespace QuillmarkTest {
namespace {

using namespace Quillmark;

TEST(FuzzRegression, FoundInputsOpenOrFailCleanly)
{
  std::filesystem::path Dir = std::filesystem::path(QUILLMARK_TEST_DATA_DIR) / "fuzz";
  std::error_code Error;
  if (!std::filesystem::is_directory(Dir, Error)) {
    GTEST_SKIP() << "no fuzz findings kept";
  }
  for (const auto& Entry : std::filesystem::directory_iterator(Dir)) {
    Asf::TMetadataEditor Editor;
    HRESULT Result = Editor.OpenMemory(ReadFileBytes(Entry.path()));
    ASSERT_TRUE(Result == S_OK || Result == E_CORRUPT_HEADER) << Entry.path() << ": " << ResultName(Result);
    if (Result == S_OK) {
      ListAll(Editor);
      EXPECT_EQ(Asf::VerifyWrittenHeader(Asf::RenderHeader(*Editor.Header()).Bytes, *Editor.Header()), S_OK)
          << Entry.path();
    }
  }
}

} // namespace
} // namespace QuillmarkTest
