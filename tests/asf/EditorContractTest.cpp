// The editor interface's contract, group by group.
#include "common/AsfBuilder.h"
#include "common/EditorProbe.h"
#include "common/FakeEditor.h"

#include <gtest/gtest.h>

namespace QuillmarkTest {
namespace {

using namespace Quillmark;

TBytes SampleFile()
{
  TAsfBuilder Builder;
  Builder.Add(
      ContentDescriptionObject({u"My Title", std::nullopt, std::nullopt, std::nullopt, std::nullopt}));
  Builder.Add(ExtendedContentObject({StringRecord(u"Genre", u"Jazz"), DwordRecord(u"Count", 5)}));
  Builder.AddToExtension(
      LibraryObject({StringRecord(u"Genre", u"Blues"), BinaryRecord(u"Big", TBytes(70000, 7)),
                     StringRecord(u"Genre", u"Soul")}));
  return Builder.File();
}

// The same contract holds for every editor the tests use: the real engine on
// a header built in memory, and the fake editor the catalogue tests drive.
enum class TEditorKind { Engine, Fake };

std::vector<TFakeAttribute> SampleAttributes()
{
  return {StringAttribute(u"Title", u"My Title"),
          StringAttribute(u"Genre", u"Jazz"),
          DwordAttribute(u"Count", 5),
          StringAttribute(u"Genre", u"Blues"),
          BinaryAttribute(u"Big", TBytes(70000, 7)),
          StringAttribute(u"Genre", u"Soul")};
}

class EditorContract : public ::testing::TestWithParam<TEditorKind> {
protected:
  // An editor with the sample open; the same object again after Reopen.
  IWMHeaderInfo3* Open()
  {
    if (GetParam() == TEditorKind::Engine) {
      FEngine = OpenBytes(SampleFile());
      return FEngine.get();
    }
    FFake = MakeOpenFakeEditor(SampleAttributes());
    return FFake.get();
  }
  HRESULT Reopen()
  {
    if (GetParam() == TEditorKind::Engine) {
      return FEngine->OpenMemory(SampleFile());
    }
    return FFake->Open(u"sample.wmv");
  }
  IWMMetadataEditor& Editor()
  {
    if (GetParam() == TEditorKind::Engine) {
      return *FEngine;
    }
    return *FFake;
  }

private:
  std::shared_ptr<Asf::TMetadataEditor> FEngine;
  TRef<TFakeEditor> FFake;
};

INSTANTIATE_TEST_SUITE_P(Editors, EditorContract, ::testing::Values(TEditorKind::Engine, TEditorKind::Fake),
                         [](const auto& Info) {
                           return std::string(Info.param == TEditorKind::Engine ? "Engine" : "Fake");
                         });

TEST(EngineEditor, OffersEveryInterfaceOfOneObject)
{
  TRef<IWMMetadataEditor> Editor;
  ASSERT_EQ(WMCreateEditor(Editor), S_OK);
  TRef<IWMMetadataEditor2> Editor2 = QueryInterface<IWMMetadataEditor2>(Editor);
  TRef<IWMHeaderInfo> Info = QueryInterface<IWMHeaderInfo>(Editor2);
  TRef<IWMHeaderInfo3> Info3 = QueryInterface<IWMHeaderInfo3>(Info);
  TRef<IQuillmarkSaveProgress> Progress = QueryInterface<IQuillmarkSaveProgress>(Info3);
  EXPECT_EQ(dynamic_cast<IInterface*>(Progress.get()), dynamic_cast<IInterface*>(Editor.get()));
  EXPECT_EQ(Editor.use_count(), 5);
}

TEST(EngineEditor, EveryCallWithoutAnOpenFileFailsWithInvalidState)
{
  Asf::TMetadataEditor Editor;
  WORD Count = 0;
  WORD Stream = 0;
  WORD Length = 0;
  DWORD Length32 = 0;
  WMT_ATTR_DATATYPE Type{};
  BYTE Value[4] = {};
  EXPECT_EQ(Editor.GetAttributeCount(0, &Count), E_INVALID_STATE);
  EXPECT_EQ(Editor.GetAttributeByName(&Stream, u"Title", &Type, nullptr, &Length), E_INVALID_STATE);
  EXPECT_EQ(Editor.GetAttributeIndices(0, u"Title", nullptr, nullptr, &Count), E_INVALID_STATE);
  EXPECT_EQ(Editor.GetAttributeByIndexEx(0, 0, nullptr, &Length, &Type, nullptr, nullptr, &Length32),
            E_INVALID_STATE);
  EXPECT_EQ(Editor.SetAttribute(0, u"Title", WMT_TYPE_DWORD, Value, 4), E_INVALID_STATE);
  EXPECT_EQ(Editor.AddAttribute(0, u"Title", nullptr, WMT_TYPE_DWORD, 0, Value, 4), E_INVALID_STATE);
  EXPECT_EQ(Editor.DeleteAttribute(0, 0), E_INVALID_STATE);
  EXPECT_EQ(Editor.ModifyAttribute(0, 0, WMT_TYPE_DWORD, 0, Value, 4), E_INVALID_STATE);
  EXPECT_EQ(Editor.Flush(), E_INVALID_STATE);
  EXPECT_EQ(Editor.Close(), S_OK);
}

TEST_P(EditorContract, ValueBuffersReportLengthOrFailWhenTooSmall)
{
  IWMHeaderInfo3* Editor = Open();
  WORD Stream = 0;
  WMT_ATTR_DATATYPE Type{};
  WORD Length = 0;
  ASSERT_EQ(Editor->GetAttributeByName(&Stream, u"Title", &Type, nullptr, &Length), S_OK);
  EXPECT_EQ(Type, WMT_TYPE_STRING);
  EXPECT_EQ(Length, StringValue(u"My Title").size());
  TBytes Small(4, 0xEE);
  Length = 4;
  EXPECT_EQ(Editor->GetAttributeByName(&Stream, u"Title", &Type, Small.data(), &Length), E_BUFFER_TOO_SMALL);
  EXPECT_EQ(Length, StringValue(u"My Title").size());
  EXPECT_EQ(Small, TBytes(4, 0xEE)); // nothing written
  TBytes Room(100, 0xEE);
  Length = 100;
  ASSERT_EQ(Editor->GetAttributeByName(&Stream, u"Title", &Type, Room.data(), &Length), S_OK);
  EXPECT_EQ(TBytes(Room.begin(), Room.begin() + Length), StringValue(u"My Title"));
  EXPECT_EQ(Editor->GetAttributeByName(&Stream, u"Missing", &Type, nullptr, &Length), E_NOT_FOUND);
  // By name: the first instance.
  ASSERT_EQ(Editor->GetAttributeByName(&Stream, u"Genre", &Type, Room.data(), &(Length = 100)), S_OK);
  EXPECT_EQ(TBytes(Room.begin(), Room.begin() + Length), StringValue(u"Jazz"));
}

TEST_P(EditorContract, NameBuffersCountCharactersWithTheTerminator)
{
  IWMHeaderInfo3* Editor = Open();
  WORD NameLen = 0;
  WMT_ATTR_DATATYPE Type{};
  WORD Lang = 9;
  DWORD Length = 0;
  ASSERT_EQ(Editor->GetAttributeByIndexEx(0, 0, nullptr, &NameLen, &Type, &Lang, nullptr, &Length), S_OK);
  EXPECT_EQ(NameLen, 6); // "Title" and its null
  EXPECT_EQ(Lang, 0);
  char16_t Name[6] = {};
  NameLen = 5;
  EXPECT_EQ(Editor->GetAttributeByIndexEx(0, 0, Name, &NameLen, &Type, &Lang, nullptr, &Length),
            E_BUFFER_TOO_SMALL);
  EXPECT_EQ(NameLen, 6);
  ASSERT_EQ(Editor->GetAttributeByIndexEx(0, 0, Name, &NameLen, &Type, &Lang, nullptr, &Length), S_OK);
  EXPECT_EQ(std::u16string(Name), u"Title");
  WORD Stream = 0;
  WORD Length16 = 0;
  ASSERT_EQ(Editor->GetAttributeByIndex(1, &Stream, Name, &NameLen, &Type, nullptr, &Length16), S_OK);
  EXPECT_EQ(std::u16string(Name), u"Genre");
  EXPECT_EQ(Editor->GetAttributeByIndex(40, &Stream, nullptr, &NameLen, &Type, nullptr, &Length16),
            E_NOT_FOUND);
  EXPECT_EQ(Editor->GetAttributeByIndexEx(0, 40, nullptr, &NameLen, &Type, &Lang, nullptr, &Length),
            E_INVALID_REQUEST);
}

TEST_P(EditorContract, SixteenBitCallsCannotCarryLargeValues)
{
  IWMHeaderInfo3* Editor = Open();
  WORD Stream = 0;
  WMT_ATTR_DATATYPE Type{};
  WORD Length = 0;
  EXPECT_NE(Editor->GetAttributeByName(&Stream, u"Big", &Type, nullptr, &Length), S_OK);
  WORD Index = 0;
  WORD Count = 1;
  ASSERT_EQ(Editor->GetAttributeIndices(0, u"Big", nullptr, &Index, &Count), S_OK);
  WORD NameLen = 0;
  DWORD Length32 = 0;
  ASSERT_EQ(Editor->GetAttributeByIndexEx(0, Index, nullptr, &NameLen, &Type, nullptr, nullptr, &Length32),
            S_OK);
  EXPECT_EQ(Length32, 70000U);
}

TEST_P(EditorContract, IndicesComeHighestFirstAndCountsAreReported)
{
  IWMHeaderInfo3* Editor = Open();
  WORD Count = 0;
  ASSERT_EQ(Editor->GetAttributeIndices(0, u"Genre", nullptr, nullptr, &Count), S_OK);
  ASSERT_EQ(Count, 3);
  WORD Indices[3] = {};
  Count = 2;
  EXPECT_EQ(Editor->GetAttributeIndices(0, u"Genre", nullptr, Indices, &Count), E_BUFFER_TOO_SMALL);
  EXPECT_EQ(Count, 3);
  ASSERT_EQ(Editor->GetAttributeIndices(0, u"Genre", nullptr, Indices, &Count), S_OK);
  EXPECT_EQ(std::vector<WORD>(Indices, Indices + 3), (std::vector<WORD>{5, 3, 1}));
  WORD Lang = 1;
  EXPECT_EQ(Editor->GetAttributeIndices(0, u"Genre", &Lang, nullptr, &Count), S_OK);
  EXPECT_EQ(Count, 0);
  EXPECT_EQ(Editor->GetAttributeIndices(0, u"None", nullptr, nullptr, &Count), S_OK);
  EXPECT_EQ(Count, 0);
}

TEST_P(EditorContract, DeletingInTheOrderReturnedDeletesExactlyThoseInstances)
{
  IWMHeaderInfo3* Editor = Open();
  WORD Indices[3] = {};
  WORD Count = 3;
  ASSERT_EQ(Editor->GetAttributeIndices(0, u"Genre", nullptr, Indices, &Count), S_OK);
  for (WORD Index : Indices) {
    ASSERT_EQ(Editor->DeleteAttribute(0, Index), S_OK);
  }
  EXPECT_EQ(Names(ListStream(*Editor, 0)), (std::vector<std::u16string>{u"Title", u"Count", u"Big"}));
  // Every higher index moves down by one.
  ASSERT_EQ(Editor->DeleteAttribute(0, 0), S_OK);
  EXPECT_EQ(Names(ListStream(*Editor, 0)), (std::vector<std::u16string>{u"Count", u"Big"}));
  EXPECT_EQ(Editor->DeleteAttribute(0, 2), E_INVALID_REQUEST);
}

TEST_P(EditorContract, AddAllowsDuplicatesAndSetReplacesEveryInstance)
{
  IWMHeaderInfo3* Editor = Open();
  TBytes Rock = StringValue(u"Rock");
  WORD Index = 0;
  ASSERT_EQ(Editor->AddAttribute(0, u"Genre", &Index, WMT_TYPE_STRING, 0, Rock.data(),
                                 static_cast<DWORD>(Rock.size())),
            S_OK);
  EXPECT_EQ(Index, 6);
  WORD Count = 0;
  ASSERT_EQ(Editor->GetAttributeIndices(0, u"Genre", nullptr, nullptr, &Count), S_OK);
  EXPECT_EQ(Count, 4);
  TBytes Pop = StringValue(u"Pop");
  ASSERT_EQ(Editor->SetAttribute(0, u"Genre", WMT_TYPE_STRING, Pop.data(), static_cast<WORD>(Pop.size())),
            S_OK);
  std::vector<TSeenAttribute> A = ListStream(*Editor, 0);
  ASSERT_EQ(Names(A), (std::vector<std::u16string>{u"Title", u"Genre", u"Count", u"Big"}));
  EXPECT_EQ(A[1].Value, Pop); // in the place of the first instance
  ASSERT_EQ(Editor->SetAttribute(0, u"New", WMT_TYPE_DWORD, DwordValue(3).data(), 4), S_OK);
  EXPECT_EQ(ListStream(*Editor, 0).back().Name, u"New");
}

TEST_P(EditorContract, StreamsHaveTheirOwnIndices)
{
  IWMHeaderInfo3* Editor = Open();
  TBytes One = DwordValue(1);
  WORD Index = 9;
  ASSERT_EQ(Editor->AddAttribute(1, u"Genre", &Index, WMT_TYPE_DWORD, 0, One.data(), 4), S_OK);
  EXPECT_EQ(Index, 0);
  WORD Count = 0;
  ASSERT_EQ(Editor->GetAttributeCount(1, &Count), S_OK);
  EXPECT_EQ(Count, 1);
  ASSERT_EQ(Editor->GetAttributeCount(0, &Count), S_OK);
  EXPECT_EQ(Count, 6);
  EXPECT_EQ(Editor->GetAttributeCount(128, &Count), E_INVALID_REQUEST);
  WORD Stream = 1;
  WMT_ATTR_DATATYPE Type{};
  WORD Length = 0;
  ASSERT_EQ(Editor->GetAttributeByName(&Stream, u"Genre", &Type, nullptr, &Length), S_OK);
  EXPECT_EQ(Type, WMT_TYPE_DWORD);
}

TEST_P(EditorContract, RefusesValuesThatDoNotSuitTheirType)
{
  IWMHeaderInfo3* Editor = Open();
  BYTE Two[2] = {1, 0};
  TBytes Unterminated = {u'A', 0};
  Unterminated.push_back('B');
  EXPECT_EQ(Editor->SetAttribute(0, u"X", WMT_TYPE_DWORD, Two, 2), E_INVALID_ARGUMENT);
  EXPECT_EQ(Editor->SetAttribute(0, u"X", WMT_TYPE_BOOL, Two, 2), E_INVALID_ARGUMENT);
  EXPECT_EQ(Editor->SetAttribute(0, u"X", WMT_TYPE_STRING, Unterminated.data(), 3), E_INVALID_ARGUMENT);
  EXPECT_EQ(Editor->SetAttribute(0, u"X", WMT_TYPE_STRING, Two, 2), E_INVALID_ARGUMENT);
  EXPECT_EQ(Editor->SetAttribute(0, u"X", static_cast<WMT_ATTR_DATATYPE>(7), Two, 2), E_INVALID_ARGUMENT);
  EXPECT_EQ(Editor->SetAttribute(0, u"", WMT_TYPE_BINARY, Two, 2), E_INVALID_ARGUMENT);
  EXPECT_EQ(Editor->SetAttribute(0, nullptr, WMT_TYPE_BINARY, Two, 2), E_INVALID_ARGUMENT);
  EXPECT_EQ(Editor->SetAttribute(0, u"X", WMT_TYPE_BINARY, nullptr, 2), E_INVALID_ARGUMENT);
  EXPECT_EQ(Editor->AddAttribute(0, u"X", nullptr, WMT_TYPE_BINARY, 1, Two, 2),
            E_INVALID_ARGUMENT); // no languages
  EXPECT_EQ(Editor->AddAttribute(200, u"X", nullptr, WMT_TYPE_BINARY, 0, Two, 2), E_INVALID_REQUEST);
  EXPECT_EQ(ListStream(*Editor, 0).size(), 6U);
}

TEST_P(EditorContract, BooleansAreFourBytesAndReadBackAsOne)
{
  IWMHeaderInfo3* Editor = Open();
  TBytes True = DwordValue(0xFFFFFFFF);
  ASSERT_EQ(Editor->SetAttribute(0, u"Stereoscopic", WMT_TYPE_BOOL, True.data(), 4), S_OK);
  std::vector<TSeenAttribute> A = ListStream(*Editor, 0);
  EXPECT_EQ(A.back().Type, WMT_TYPE_BOOL);
  EXPECT_EQ(A.back().Value, DwordValue(1));
}

TEST_P(EditorContract, ModifyChangesOneInstanceInPlace)
{
  IWMHeaderInfo3* Editor = Open();
  TBytes Seven = DwordValue(7);
  ASSERT_EQ(Editor->ModifyAttribute(0, 1, WMT_TYPE_DWORD, 0, Seven.data(), 4), S_OK);
  std::vector<TSeenAttribute> A = ListStream(*Editor, 0);
  EXPECT_EQ(A[1].Name, u"Genre");
  EXPECT_EQ(A[1].Type, WMT_TYPE_DWORD);
  EXPECT_EQ(A[1].Value, Seven);
  EXPECT_EQ(Editor->ModifyAttribute(0, 99, WMT_TYPE_DWORD, 0, Seven.data(), 4), E_INVALID_REQUEST);
}

TEST_P(EditorContract, CloseDiscardsChanges)
{
  IWMHeaderInfo3* Editor = Open();
  ASSERT_EQ(Editor->DeleteAttribute(0, 0), S_OK);
  ASSERT_EQ(this->Editor().Close(), S_OK);
  WORD Count = 0;
  EXPECT_EQ(Editor->GetAttributeCount(0, &Count), E_INVALID_STATE);
  ASSERT_EQ(Reopen(), S_OK);
  ASSERT_EQ(Editor->GetAttributeCount(0, &Count), S_OK);
  EXPECT_EQ(Count, 6);
  EXPECT_EQ(Reopen(), E_INVALID_STATE); // already open
}

} // namespace
} // namespace QuillmarkTest
