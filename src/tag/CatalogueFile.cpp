#include "tag/CatalogueFile.h"

#include "metadata/CatalogueReading.h"
#include "metadata/CatalogueWriting.h"
#include "metadata/PictureRules.h"
#include "metadata/SideFileMessage.h"
#include "metadata/TextConversion.h"
#include "metadata/asf/MetadataEditorImpl.h"

#include <vector>

namespace Quillmark {

namespace {

// The command line reads numbers with a fixed separator, whatever the locale.
constexpr char16_t Separator = u'.';
constexpr const char* Advice = " Make sure it is not opened by another application.";

class TCollectingReporter : public ICatalogueReporter {
public:
  explicit TCollectingReporter(std::vector<std::string>& Messages) : FMessages(Messages) {}
  void Refuse(const std::u16string& Text) override { FMessages.push_back(Utf16ToUtf8(Text)); }
  void DeleteFailed(const std::u16string& Name) override
  {
    FMessages.push_back("Could not delete " + Utf16ToUtf8(Name));
  }

private:
  std::vector<std::string>& FMessages;
};

void SetProgress(const TRef<IWMMetadataEditor2>& Editor, const TProgressCallback& Progress)
{
  if (auto Reporting = std::dynamic_pointer_cast<IQuillmarkSaveProgress>(Editor)) {
    Reporting->SetProgressCallback(Progress);
  }
}

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

std::string OpenFailureMessage(const std::string& Path)
{
  return Utf16ToUtf8(CouldNotOpenMessage(Path)) + Advice;
}

std::string SaveFailureMessage(const std::string& Path)
{
  return "Could not save file '" + std::string(FileNameWithoutFolder(Path)) + "'!" + Advice;
}

std::string WithReason(const std::string& Message, const TFailureReason& Reason)
{
  const std::string Text = FailureReasonText(Reason);
  return Text.empty() ? Message : Message + " (" + Text + ")";
}

std::string OpenCatalogue(const std::string& Path, TOpenAccess Access, TOpenedCatalogue& Opened)
{
  TRef<IWMMetadataEditor> Created;
  if (WMCreateEditor(Created) != S_OK) {
    return "Failed to create metadata editor!";
  }
  Opened.Editor = QueryInterface<IWMMetadataEditor2>(Created);
  const DWORD Rights = Access == TOpenAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  const DWORD Share = Access == TOpenAccess::ReadWrite ? 0 : FILE_SHARE_READ;
  const HRESULT Result = Opened.Editor->OpenEx(PathToUtf16(Path).c_str(), Rights, Share);
  Opened.SideFileReport = SideFileReportOf(Opened.Editor);
  Opened.SideFile = SideFileLine(Opened.SideFileReport, Path);
  if (Result != S_OK) {
    Opened.Failure = LastFailureOf(Opened.Editor, Result);
    Opened.Editor.reset();
    return WithReason(OpenFailureMessage(Path), Opened.Failure);
  }
  if (!ReadCatalogue(Opened.Editor, Opened.Values, Separator)) {
    Opened.Editor->Close();
    Opened.Editor.reset();
    return "Failed to read metadata!";
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
    return "Failed to read metadata!";
  }
  Opened.Editor = std::move(Copy);
  return {};
}

bool WriteValues(TOpenedCatalogue& Opened, std::vector<std::string>& Messages)
{
  TCollectingReporter Reporter(Messages);
  bool Reported = false;
  const bool Written = WriteCatalogue(Opened.Editor, Opened.Values, Reporter, Reported, Separator);
  if (!Written && !Reported) {
    Messages.emplace_back("Could not save metadata!");
  }
  return Written;
}

bool ReadValues(const TOpenedCatalogue& Opened, TCatalogueValues& Values)
{
  return ReadCatalogue(Opened.Editor, Values, Separator);
}

bool SaveCatalogue(TOpenedCatalogue& Opened, const std::string& Path, bool DryRun,
                   const TProgressCallback& Progress, std::vector<std::string>& Messages)
{
  bool Saved = WriteValues(Opened, Messages);
  if (Saved && !DryRun) {
    if (Progress) {
      SetProgress(Opened.Editor, Progress);
    }
    const HRESULT Result = Opened.Editor->Flush();
    Saved = Result == S_OK;
    if (!Saved) {
      Messages.push_back(WithReason(SaveFailureMessage(Path), LastFailureOf(Opened.Editor, Result)));
    }
  }
  // After a failure or a dry run the changes are still in the editor: they
  // are discarded and the file stays as it was.
  Opened.Editor->Close();
  Opened.Editor.reset();
  return Saved;
}

} // namespace Quillmark
