// Inputs the fuzzers found, kept under fuzz/findings/TARGET with names that
// say what they found. Each passes its fuzz target's own checks again; the
// header's must also open or fail cleanly, and what opens must render back
// to the same attributes.
#include "asf/HeaderVerify.h"
#include "asf/Renderer.h"
#include "common/EditorProbe.h"
#include "common/FuzzFindings.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>

namespace QuillmarkTest {
namespace {

using namespace Quillmark;

TEST(FuzzRegression, FoundInputsOpenOrFailCleanly)
{
  const std::vector<std::filesystem::path> Files = FuzzFindings("header");
  ASSERT_FALSE(Files.empty()) << "no header findings kept";
  for (const std::filesystem::path& File : Files) {
    Asf::TMetadataEditor Editor;
    HRESULT Result = Editor.OpenMemory(ReadFileBytes(File));
    ASSERT_TRUE(Result == S_OK || Result == E_CORRUPT_HEADER) << File << ": " << ResultName(Result);
    if (Result == S_OK) {
      ListAll(Editor);
      EXPECT_EQ(Asf::VerifyWrittenHeader(Asf::RenderHeader(*Editor.Header()).Bytes, *Editor.Header()), S_OK)
          << File;
    }
  }
}

struct TEngineTarget {
  const char* Name;
  TFuzzEntry Entry;
};

class FuzzRegressionTarget : public ::testing::TestWithParam<TEngineTarget> {};

TEST_P(FuzzRegressionTarget, FindingsPassTheTargetsChecks)
{
  ReplayFuzzFindings(GetParam().Name, GetParam().Entry);
}

INSTANTIATE_TEST_SUITE_P(Engine, FuzzRegressionTarget,
                         ::testing::Values(TEngineTarget{"header", FuzzHeaderInput},
                                           TEngineTarget{"journal", FuzzJournalInput},
                                           TEngineTarget{"jpeg", FuzzJpegInput}),
                         [](const ::testing::TestParamInfo<TEngineTarget>& Info) {
                           return std::string(Info.param.Name);
                         });

} // namespace
} // namespace QuillmarkTest
