// Real files written by Windows tools: they open, render back unchanged, and
// take an edit in place that another reader sees.
#include "asf/ByteSource.h"
#include "asf/HeaderParser.h"
#include "asf/Renderer.h"
#include "common/EditorProbe.h"
#include "common/TestFiles.h"
#include "metadata/TextConversion.h"

#include <gtest/gtest.h>

namespace QuillmarkTest {
namespace {

using namespace Quillmark;

std::vector<std::filesystem::path> CorpusFiles()
{
  std::vector<std::filesystem::path> Files;
  if (CorpusDir().empty()) {
    return Files;
  }
  for (const auto& Entry : std::filesystem::directory_iterator(CorpusDir())) {
    std::string Extension = Entry.path().extension().string();
    if (Extension == ".wma" || Extension == ".wmv" || Extension == ".asf") {
      Files.push_back(Entry.path());
    }
  }
  std::sort(Files.begin(), Files.end());
  return Files;
}

TEST(Corpus, RealFilesRenderBackObjectForObject)
{
  std::vector<std::filesystem::path> Files = CorpusFiles();
  if (Files.empty()) {
    GTEST_SKIP() << "needs the real files written by Windows tools (../shared/corpus/asf beside the "
                    "checkout), not found at "
                 << QUILLMARK_CORPUS_DIR;
  }
  for (const std::filesystem::path& File : Files) {
    TBytes Bytes = ReadFileBytes(File);
    Asf::TAsfHeader Header = Asf::ParseHeader(Asf::TMemorySource(Bytes));
    Asf::TAsfHeader Rendered = Asf::ParseHeaderBytes(Asf::RenderHeader(Header).Bytes);
    std::erase_if(Header.Objects,
                  [](const auto& Object) { return Object.Kind == Asf::TObjectKind::Padding; });
    ASSERT_EQ(Rendered.Objects.size(), Header.Objects.size()) << File;
    for (std::size_t I = 0; I < Header.Objects.size(); ++I) {
      EXPECT_EQ(Rendered.Objects[I].Bytes, Header.Objects[I].Bytes) << File << " object " << I;
    }
  }
}

TEST(Corpus, InPlaceEditIsSeenByMutagen)
{
  std::vector<std::filesystem::path> Files = CorpusFiles();
  if (Files.empty()) {
    GTEST_SKIP() << "needs the real files written by Windows tools (../shared/corpus/asf beside the "
                    "checkout), not found at "
                 << QUILLMARK_CORPUS_DIR;
  }
  bool HaveMutagen = RunCommand("/usr/bin/python3 -c 'import mutagen.asf' 2>/dev/null") == 0;
  TTempDir Dir;
  for (const std::filesystem::path& File : Files) {
    std::filesystem::path Copy = Dir.File(File.filename().string());
    std::filesystem::copy_file(File, Copy);
    Asf::TMetadataEditor Editor;
    std::u16string Path = Utf8ToUtf16(Copy.string());
    ASSERT_EQ(Editor.Open(Path.c_str()), S_OK) << File;
    WORD Indices[16];
    WORD Count = 16;
    ASSERT_EQ(Editor.GetAttributeIndices(0, u"WMFSDKNeeded", nullptr, Indices, &Count), S_OK);
    for (WORD I = 0; I < Count; ++I) {
      ASSERT_EQ(Editor.DeleteAttribute(0, Indices[I]), S_OK);
    }
    TBytes Title = StringValue(u"Q");
    ASSERT_EQ(Editor.SetAttribute(0, u"Title", WMT_TYPE_STRING, Title.data(), 4), S_OK);
    HRESULT Result = Editor.Flush();
    if (Result == E_INVALID_REQUEST) {
      continue; // does not fit this file's old header space
    }
    ASSERT_EQ(Result, S_OK) << File;
    ASSERT_EQ(Editor.Open(Path.c_str()), S_OK) << File;
    EXPECT_EQ(ListStream(Editor, 0)[0].Value, Title);
    if (HaveMutagen) {
      std::string Out;
      RunCommand("/usr/bin/python3 -c 'import sys,mutagen.asf; t=mutagen.asf.ASF(sys.argv[1]).tags; "
                 "print(t[\"Title\"][0], \"WMFSDKNeeded\" in t)' '" +
                     Copy.string() + "'",
                 &Out);
      EXPECT_EQ(Out, "Q False\n") << File;
    }
  }
}

} // namespace
} // namespace QuillmarkTest
