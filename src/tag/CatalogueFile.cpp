#include "tag/CatalogueFile.h"

#include "asf/MetadataEditorImpl.h"
#include "catalogue/CatalogueReading.h"
#include "catalogue/CatalogueWriting.h"
#include "catalogue/PictureRules.h"
#include "catalogue/SideFileMessage.h"
#include "metadata/TextConversion.h"
#include "tag/ToolLines.h"
#include "tag/ValueOptions.h"

#include <vector>

namespace Quillmark {

namespace {

// The command line reads numbers with a fixed separator, whatever the locale.
constexpr char16_t Separator = u'.';
constexpr const char* UnreadableText = "the header could not be read";

class TCollectingReporter : public ICatalogueReporter {
public:
  TCollectingReporter(const TCatalogueValues& Values, std::vector<std::string>& Messages,
                      std::vector<std::string>& Kept)
      : FValues(Values), FMessages(Messages), FKept(Kept)
  {
  }
  void Refuse(const std::u16string& Text) override { FMessages.push_back(RefusalText(Text, FValues)); }
  void DeleteFailed(const std::u16string& Name) override
  {
    FMessages.push_back("could not delete " + Utf16ToUtf8(Name));
  }
  void CopyKeptInStep(const std::u16string& Name, bool Removed) override
  {
    FKept.push_back(Utf16ToUtf8(Name) + (Removed ? " removed" : ""));
  }

private:
  const TCatalogueValues& FValues;
  std::vector<std::string>& FMessages;
  std::vector<std::string>& FKept;
};

} // namespace

std::string SideFileLine(const TSideFileReport& Report, const std::string& Path)
{
  // The window's paragraph break becomes a space on the tool's one line.
  const std::string Text = Utf16ToUtf8(SideFileMessage(Report, Path));
  std::string Line;
  Line.reserve(Text.size());
  std::size_t From = 0;
  for (std::size_t At = Text.find("\r\r"); At != std::string::npos; At = Text.find("\r\r", From)) {
    Line.append(Text, From, At - From).push_back(' ');
    From = At + 2;
  }
  return Line.append(Text, From);
}

std::string OpenCatalogue(const std::string& Path, TOpenAccess Access, TOpenedCatalogue& Opened,
                          bool FollowLinks)
{
  TRef<IWMMetadataEditor> Created;
  if (WMCreateEditor(Created) != S_OK) {
    return "Failed to create metadata editor!";
  }
  Opened.Editor = QueryInterface<IWMMetadataEditor2>(Created);
  const DWORD Rights = Access == TOpenAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  const DWORD Share = Access == TOpenAccess::ReadWrite ? 0 : FILE_SHARE_READ;
  if (auto Holding = std::dynamic_pointer_cast<IQuillmarkOpenFile>(Opened.Editor)) {
    Holding->SetFollowLinks(FollowLinks);
  }
  const HRESULT Result = Opened.Editor->OpenEx(PathToUtf16(Path).c_str(), Rights, Share);
  Opened.SideFileReport = SideFileReportOf(Opened.Editor);
  Opened.SideFile = SideFileLine(Opened.SideFileReport, Path);
  if (Result != S_OK) {
    Opened.Failure = LastFailureOf(Opened.Editor, Result);
    Opened.Editor.reset();
    return CauseText(Opened.Failure, "could not be opened");
  }
  if (!ReadCatalogue(Opened.Editor, Opened.Values, Separator)) {
    Opened.Editor->Close();
    Opened.Editor.reset();
    return UnreadableText;
  }
  return {};
}

std::string DetachFromFile(TOpenedCatalogue& Opened)
{
  const auto* Reader = dynamic_cast<const Asf::TMetadataEditor*>(Opened.Editor.get());
  auto Copy = std::make_shared<Asf::TMetadataEditor>();
  const HRESULT Result = Reader != nullptr ? Copy->OpenCopyOf(*Reader) : E_INVALID_REQUEST;
  Opened.Editor->Close();
  Opened.Editor.reset();
  if (Result != S_OK) {
    return UnreadableText;
  }
  Opened.Editor = std::move(Copy);
  return {};
}

bool WriteValues(TOpenedCatalogue& Opened, std::vector<std::string>& Messages)
{
  TCollectingReporter Reporter(Opened.Values, Messages, Opened.KeptInStep);
  bool Reported = false;
  const bool Written = WriteCatalogue(Opened.Editor, Opened.Values, Reporter, Reported, Separator);
  if (!Written && !Reported) {
    Messages.emplace_back("the new values could not be put into the header");
  }
  return Written;
}

bool ReadValues(const TOpenedCatalogue& Opened, TCatalogueValues& Values)
{
  return ReadCatalogue(Opened.Editor, Values, Separator);
}

} // namespace Quillmark
