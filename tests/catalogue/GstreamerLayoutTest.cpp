// GStreamer's ASF demuxer applies the stereo layout of the Extended Content
// Description only to streams declared after it. A file that had no such
// object gets one from its first save, and GStreamer then reports the
// layout: the new object stands before the first Stream Properties Object.
#include "catalogue/CatalogueReading.h"
#include "catalogue/CatalogueWriting.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>

namespace QuillmarkTest {
namespace {

using namespace Quillmark;

class TQuietReporter : public ICatalogueReporter {
public:
  void Refuse(const std::u16string& Text) override { ADD_FAILURE() << "refused, " << Text.size(); }
  void DeleteFailed(const std::u16string&) override { ADD_FAILURE() << "a deletion failed"; }
};

std::string Discovered(const std::filesystem::path& Video)
{
  std::string Output;
  EXPECT_EQ(RunCommand("gst-discoverer-1.0 -v '" + Video.string() + "' 2>&1", &Output), 0) << Output;
  return Output;
}

TEST(GstreamerLayout, FirstSaveMakesTheLayoutSeen)
{
  if (RunCommand("command -v gst-discoverer-1.0 >/dev/null && command -v ffmpeg >/dev/null") != 0) {
    GTEST_SKIP() << "gst-discoverer-1.0 or ffmpeg is not installed (tools/deps.sh installs them)";
  }
  const struct {
    int LayoutIndex;
    const char* Mode;
  } Cases[] = {{0, "side-by-side"}, {3, "top-bottom"}};
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Mode);
    TTempDir Dir;
    const std::filesystem::path Video = Dir.File("x.wmv");
    // FFmpeg writes no Extended Content Description for a file without tags.
    ASSERT_EQ(RunCommand("ffmpeg -v error -y -f lavfi -i testsrc=duration=1:size=320x120:rate=10 -c:v wmv2 "
                         "-map_metadata -1 -fflags +bitexact -flags +bitexact '" +
                         Video.string() + "' 2>/dev/null"),
              0);
    ASSERT_EQ(Discovered(Video).find("multiview-mode"), std::string::npos);

    TRef<IWMMetadataEditor> Created;
    ASSERT_EQ(WMCreateEditor(Created), S_OK);
    const TRef<IWMMetadataEditor2> Editor = QueryInterface<IWMMetadataEditor2>(Created);
    ASSERT_EQ(Editor->OpenEx(Video.u16string().c_str(), GENERIC_READ | GENERIC_WRITE, 0), S_OK);
    TCatalogueValues Values;
    ASSERT_TRUE(ReadCatalogue(Editor, Values, u'.'));
    Values.Stereo = true;
    Values.LayoutIndex = Case.LayoutIndex;
    Values.Changed.Mark(TAttribute::Stereoscopic);
    TQuietReporter Reporter;
    bool Reported = false;
    ASSERT_TRUE(WriteCatalogue(Editor, Values, Reporter, Reported, u'.'));
    ASSERT_EQ(Editor->Flush(), S_OK);

    EXPECT_NE(Discovered(Video).find(std::string("multiview-mode=(string)") + Case.Mode), std::string::npos);
  }
}

} // namespace
} // namespace QuillmarkTest
