// The file session of the main window: open, read, write, save and close.
#include "catalogue/CatalogueReading.h"
#include "catalogue/CatalogueWriting.h"
#include "catalogue/DecimalSeparator.h"
#include "catalogue/PictureRules.h"
#include "catalogue/SideFileMessage.h"
#include "metadata/TextConversion.h"
#include "window/Main.h"
#include "window/Product.h"
#include "window/WindowTask.h"
#include "window/WindowTexts.h"

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

namespace {

constexpr DWORD ReadWrite = GENERIC_READ | GENERIC_WRITE;

QString FromUtf16(const std::u16string& Text)
{
  return QString::fromStdU16String(Text);
}

// The system's reason for a failed open or save, for the message's details.
QString ReasonOf(const TRef<IWMMetadataEditor>& Editor, HRESULT Result)
{
  return QString::fromStdString(FailureReasonText(LastFailureOf(Editor, Result)));
}

// The labels of the progress dialog of a long open or save.
QString OpeningText()
{
  return TMainForm::tr("Opening the file...");
}

QString SavingText()
{
  return TMainForm::tr("Saving the file...");
}

// The open-failure message, with the cause below it when one is known.
QString OpenFailureMessage(const QString& Path, const TFailureReason& Reason)
{
  const QString Message =
      TMainForm::tr("Could not open file '%1'!\r\rMake sure it is not opened by another application.")
          .arg(NameOf(Path));
  const QString Cause = CauseText(Reason);
  if (Cause.isEmpty()) {
    return Message;
  }
  return Message + u"\r\r"_s + TMainForm::tr("Cause: %1.").arg(Cause);
}

QString SaveFailureMessage(const QString& Path)
{
  return TMainForm::tr("Could not save file '%1'!\r\rMake sure it is not opened by another application.")
      .arg(NameOf(Path));
}

// Refusals are warnings of the window; a failed deletion is the plain
// dialog of the application.
class TWindowReporter : public ICatalogueReporter {
public:
  TWindowReporter(TMainForm& Form, IPlatform& Platform) : FForm(Form), FPlatform(Platform) {}

  void Refuse(const std::u16string& Text) override { Show(FromUtf16(Text)); }

  // The field of the refused value is shown behind the message, in the
  // user's words, and keeps the focus once the message has gone.
  void RefuseAttribute(TAttribute Attribute, const std::u16string& Text) override
  {
    static_cast<void>(Text);
    FForm.ShowField(Attribute);
    Show(RefusalText(Attribute, FForm.FieldOf(Attribute)));
    FForm.ShowField(Attribute);
  }

  void DeleteFailed(const std::u16string& Name) override
  {
    FPlatform.ShowMessage({nullptr, ApplicationTitle(), DeleteFailedText(FromUtf16(Name)), TMessageIcon::None,
                           TMessageButtons::Ok});
  }

private:
  void Show(const QString& Text)
  {
    FPlatform.ShowMessage({&FForm, ProductName(), Text, TMessageIcon::Warning, TMessageButtons::Ok});
  }

  TMainForm& FForm;
  IPlatform& FPlatform;
};

} // namespace

void TMainForm::Warn(const QString& Text, TMessageIcon Icon, const QString& Details)
{
  FPlatform.ShowMessage({this, ProductName(), Text, Icon, TMessageButtons::Ok, Details});
}

void TMainForm::OpenFile(const QString& Path)
{
  CloseFile();
  FFileName = Path;
  TRef<IWMMetadataEditor> Created;
  if (FCreateEditor(Created) != S_OK || !Created) {
    Warn(tr("Failed to create metadata editor!"), TMessageIcon::Error);
    CloseFile();
    UpdateControls();
    return;
  }
  TSideFileReport SideFile;
  try {
    FEditor = QueryInterface<IWMMetadataEditor2>(Created);
    // The header, a large poster in it too, is read off the window's thread.
    const TRef<IWMMetadataEditor2> Editor = FEditor;
    const std::u16string Wide = Path.toStdU16String();
    const char16_t Separator = DecimalSeparator();
    HRESULT Opened = S_OK;
    TCatalogueValues Values;
    bool Read = false;
    RunWindowTask(this, OpeningText(), [&](const TTaskProgress&) {
      Opened = Editor->OpenEx(Wide.c_str(), ReadWrite, 0);
      SideFile = SideFileReportOf(Editor);
      if (Opened == S_OK) {
        Read = ReadCatalogue(Editor, Values, Separator);
      }
    });
    if (Opened != S_OK) {
      const TFailureReason Reason = LastFailureOf(FEditor, Opened);
      Warn(OpenFailureMessage(Path, Reason), TMessageIcon::Warning,
           QString::fromStdString(FailureReasonText(Reason)));
      CloseFile();
    } else if (!FillControls(Values, Read)) {
      // Cleared first, so the window behind the message shows no half-read
      // file.
      CloseFile();
      Warn(tr("Failed to read metadata!"), TMessageIcon::Warning);
    }
  } catch (...) {
    // An editor without an interface the session needs: the general error
    // display reports it, and no file stays open or half shown.
    CloseFile();
    UpdateControls();
    throw;
  }
  UpdateControls();
  if (SideFile.State != TSideFileState::None) {
    Warn(SideFileText(SideFile, Path),
         SideFileLeft(SideFile) ? TMessageIcon::Warning : TMessageIcon::Information);
  }
}

void TMainForm::SaveFile()
{
  bool Reported = false;
  if (!WriteMetadata(Reported)) {
    if (!Reported) {
      Warn(tr("Could not save metadata!"), TMessageIcon::Warning);
    }
    return;
  }
  // The flush and the re-open run on a thread of their own, the only one
  // to use the editor meanwhile; the window takes no command until they end.
  const TRef<IWMMetadataEditor2> Editor = FEditor;
  const std::u16string Wide = FFileName.toStdU16String();
  HRESULT Flushed = S_OK;
  HRESULT Reopened = S_OK;
  RunWindowTask(this, SavingText(), [&](const TTaskProgress& Report) {
    const auto Source = std::dynamic_pointer_cast<IQuillmarkSaveProgress>(Editor);
    if (Source) {
      Source->SetProgressCallback([&Report](QWORD Done, QWORD Total) { Report(Done, Total); });
    }
    Flushed = Editor->Flush();
    if (Source) {
      Source->SetProgressCallback({});
    }
    if (Flushed == S_OK) {
      Reopened = Editor->OpenEx(Wide.c_str(), ReadWrite, 0);
    }
  });
  if (Flushed != S_OK) {
    Warn(SaveFailureMessage(FFileName), TMessageIcon::Warning, ReasonOf(FEditor, Flushed));
    return;
  }
  if (Reopened != S_OK) {
    Warn(tr("Failed to reload metadata!"), TMessageIcon::Warning, ReasonOf(FEditor, Reopened));
    FEditor.reset();
  }
  FModified = false;
  FChanged = TChangedAttributes();
}

void TMainForm::CloseFile()
{
  // A picture still decoding is dropped with its file.
  FPreviewImage.reset();
  PreviewImage->hide();
  FPreviewView->Clear();
  FPosterImage.reset();
  PosterImage->hide();
  FPosterView->Clear();
  PosterScrollBox->hide();
  if (FEditor) {
    FEditor->Close();
    FEditor.reset();
  }
  FFileName.clear();
  UpdateControls();
  for (const TCatalogueEntry& Row : Catalogue) {
    ClearValue(Row);
  }
  FModified = false;
  FChanged = TChangedAttributes();
}

bool TMainForm::ReadMetadata()
{
  TCatalogueValues Values;
  const bool Read = ReadCatalogue(FEditor, Values, DecimalSeparator());
  return FillControls(Values, Read);
}

bool TMainForm::FillControls(const TCatalogueValues& Values, bool Read)
{
  // The controls are filled in the order the attributes are read, so their
  // change handlers fire as they would for a reading that stops part way.
  for (const TAttribute Attribute : ReadOrder) {
    PutValue(Entry(Attribute), Values);
  }
  return Read;
}

bool TMainForm::WriteMetadata(bool& Reported)
{
  TCatalogueValues Values;
  for (const TCatalogueEntry& Row : Catalogue) {
    TakeValue(Row, Values);
  }
  Values.Changed = FChanged;
  TWindowReporter Reporter(*this, FPlatform);
  bool Written = WriteCatalogue(FEditor, Values, Reporter, Reported, DecimalSeparator());
  // Both half-resolution boxes ticked are both unticked, whatever follows.
  HalfWidthCheckBox->setChecked(Values.HalfWidth);
  HalfHeightCheckBox->setChecked(Values.HalfHeight);
  return Written;
}

void TMainForm::ShowPoster()
{
  // A poster too large to show says so within the visible area, not on a
  // blank canvas of its own size.
  if (TooLargeToShow(*FPosterImage)) {
    PosterImage->resize(PosterScrollBox->size());
  } else {
    PosterImage->resize(FPosterImage->Width(), FPosterImage->Height());
  }
  FPosterView->Show(FPosterImage);
  PosterImage->show();
  PosterScrollBox->show();
}

} // namespace Quillmark
