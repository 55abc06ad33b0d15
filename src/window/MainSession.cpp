// The file session of the main window: open, read, write, save and close.
#include "metadata/CatalogueReading.h"
#include "metadata/CatalogueWriting.h"
#include "metadata/DecimalSeparator.h"
#include "metadata/PictureRules.h"
#include "metadata/SideFileMessage.h"
#include "metadata/TextConversion.h"
#include "window/Main.h"
#include "window/Product.h"
#include "window/SaveProgress.h"

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

namespace {

constexpr DWORD ReadWrite = GENERIC_READ | GENERIC_WRITE;

QString FromUtf16(const std::u16string& Text)
{
  return QString::fromStdU16String(Text);
}

// The file's name without its folder, for messages; a byte of the name that
// is no text shows as U+FFFD.
QString NameOf(const QString& Path)
{
  const QString Shown = FromUtf16(DisplayPath(Path.toStdU16String()));
  return Shown.mid(Shown.lastIndexOf(u'/') + 1);
}

// The system's reason for a failed open or save, for the message's details.
QString ReasonOf(const TRef<IWMMetadataEditor>& Editor, HRESULT Result)
{
  return QString::fromStdString(FailureReasonText(LastFailureOf(Editor, Result)));
}

QString OpenFailureMessage(const QString& Path)
{
  return u"Could not open file '"_s + NameOf(Path) +
         u"'!\r\rMake sure it is not opened by another application."_s;
}

QString SaveFailureMessage(const QString& Path)
{
  return u"Could not save file '"_s + NameOf(Path) +
         u"'!\r\rMake sure it is not opened by another application."_s;
}

// Refusals are warnings of the window; a failed deletion is the plain
// dialog of the application.
class TWindowReporter : public ICatalogueReporter {
public:
  TWindowReporter(TMainForm& Form, IPlatform& Platform) : FForm(Form), FPlatform(Platform) {}

  void Refuse(const std::u16string& Text) override
  {
    FPlatform.ShowMessage(
        {&FForm, ProductName(), FromUtf16(Text), TMessageIcon::Warning, TMessageButtons::Ok});
  }

  void DeleteFailed(const std::u16string& Name) override
  {
    FPlatform.ShowMessage({nullptr, ApplicationTitle(), u"Could not delete "_s + FromUtf16(Name),
                           TMessageIcon::None, TMessageButtons::Ok});
  }

private:
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
    Warn(u"Failed to create metadata editor!"_s, TMessageIcon::Error);
    CloseFile();
    UpdateControls();
    return;
  }
  TSideFileReport SideFile;
  try {
    FEditor = QueryInterface<IWMMetadataEditor2>(Created);
    const HRESULT Opened = FEditor->OpenEx(reinterpret_cast<const char16_t*>(Path.utf16()), ReadWrite, 0);
    // What the open found of an interrupted save is told once the file is shown.
    SideFile = SideFileReportOf(FEditor);
    if (Opened != S_OK) {
      Warn(OpenFailureMessage(Path), TMessageIcon::Warning, ReasonOf(FEditor, Opened));
      CloseFile();
    } else if (!ReadMetadata()) {
      // Cleared first, so the window behind the message shows no half-read
      // file.
      CloseFile();
      Warn(u"Failed to read metadata!"_s, TMessageIcon::Warning);
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
    Warn(FromUtf16(SideFileMessage(SideFile, Path.toStdString())),
         SideFileLeft(SideFile) ? TMessageIcon::Warning : TMessageIcon::Information);
  }
}

void TMainForm::SaveFile()
{
  bool Reported = false;
  if (!WriteMetadata(Reported)) {
    if (!Reported) {
      Warn(u"Could not save metadata!"_s, TMessageIcon::Warning);
    }
    return;
  }
  HRESULT Flushed = S_OK;
  {
    TSaveProgress Progress(this);
    Progress.Attach(FEditor);
    Flushed = FEditor->Flush();
  }
  if (Flushed != S_OK) {
    Warn(SaveFailureMessage(FFileName), TMessageIcon::Warning, ReasonOf(FEditor, Flushed));
    return;
  }
  const HRESULT Reopened =
      FEditor->OpenEx(reinterpret_cast<const char16_t*>(FFileName.utf16()), ReadWrite, 0);
  if (Reopened != S_OK) {
    Warn(u"Failed to reload metadata!"_s, TMessageIcon::Warning, ReasonOf(FEditor, Reopened));
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
  StereoCheckBox->setChecked(false);
  HalfWidthCheckBox->setChecked(false);
  HalfHeightCheckBox->setChecked(false);
  LayoutComboBox->setCurrentIndex(-1);
  for (QLineEdit* Edit : {DurationEdit, ParallaxEdit, SourceEdit, TitleEdit, AuthorEdit, CopyrightEdit,
                          DiscNameEdit, TitleNameEdit, TitleIndexEdit}) {
    Edit->clear();
  }
  DescriptionMemo->clear();
  FModified = false;
  FChanged = TChangedAttributes();
}

bool TMainForm::ReadMetadata()
{
  TCatalogueValues Values;
  bool Read = ReadCatalogue(FEditor, Values, DecimalSeparator());
  // The controls are filled in the order the attributes are read, so their
  // change handlers fire as they would for a reading that stops part way.
  StereoCheckBox->setChecked(Values.Stereo);
  LayoutComboBox->setCurrentIndex(Values.LayoutIndex);
  DurationEdit->setText(FromUtf16(Values.Duration));
  ParallaxEdit->setText(FromUtf16(Values.Parallax));
  if (Values.Preview) {
    FPreviewImage = Values.Preview;
    FPreviewView->Show(FPreviewImage);
    PreviewImage->show();
  }
  SourceEdit->setText(FromUtf16(Values.Source));
  TitleEdit->setText(FromUtf16(Values.Title));
  AuthorEdit->setText(FromUtf16(Values.Author));
  CopyrightEdit->setText(FromUtf16(Values.Copyright));
  DescriptionMemo->setPlainText(FromUtf16(Values.Description).replace(u"\r\n"_s, u"\n"_s));
  DiscNameEdit->setText(FromUtf16(Values.DiscName));
  TitleNameEdit->setText(FromUtf16(Values.TitleName));
  HalfWidthCheckBox->setChecked(Values.HalfWidth);
  HalfHeightCheckBox->setChecked(Values.HalfHeight);
  TitleIndexEdit->setText(FromUtf16(Values.TitleIndex));
  if (Values.Poster) {
    FPosterImage = Values.Poster;
    ShowPoster();
  }
  return Read;
}

bool TMainForm::WriteMetadata(bool& Reported)
{
  TCatalogueValues Values;
  Values.Stereo = StereoCheckBox->isChecked();
  Values.HalfWidth = HalfWidthCheckBox->isChecked();
  Values.HalfHeight = HalfHeightCheckBox->isChecked();
  Values.LayoutIndex = LayoutComboBox->currentIndex();
  Values.Duration = DurationEdit->text().toStdU16String();
  Values.Parallax = ParallaxEdit->text().toStdU16String();
  Values.TitleIndex = TitleIndexEdit->text().toStdU16String();
  Values.Source = SourceEdit->text().toStdU16String();
  Values.Title = TitleEdit->text().toStdU16String();
  Values.Author = AuthorEdit->text().toStdU16String();
  Values.Copyright = CopyrightEdit->text().toStdU16String();
  // The memo's line breaks are stored as carriage return and line feed.
  Values.Description = DescriptionMemo->toPlainText().replace(u'\n', u"\r\n"_s).toStdU16String();
  Values.DiscName = DiscNameEdit->text().toStdU16String();
  Values.TitleName = TitleNameEdit->text().toStdU16String();
  Values.Preview = FPreviewImage;
  Values.Poster = FPosterImage;
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
  PosterImage->resize(FPosterImage->Width(), FPosterImage->Height());
  FPosterView->Show(FPosterImage);
  PosterImage->show();
  PosterScrollBox->show();
}

} // namespace Quillmark
