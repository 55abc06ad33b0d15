// The Video menu: detecting the stereo layout from the open file's frames,
// and making the preview or the title poster from one of them. The video is
// read on a thread of its own; the window's values change only as the
// controls do, and nothing is saved until File > Save.
#include "catalogue/Catalogue.h"
#include "catalogue/DecimalSeparator.h"
#include "support/ErrorDisplay.h"
#include "video/VideoLook.h"
#include "window/FrameDialog.h"
#include "window/Main.h"
#include "window/Product.h"
#include "window/VideoTask.h"
#include "window/WindowTexts.h"

#include <QLocale>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

namespace {

// The layout's item as the list shows it, with its halves.
QString GuessText(const TLayoutGuess& Guess, const QString& Item)
{
  if (Guess.HalfWidth) {
    return TMainForm::tr("%1, half width").arg(Item);
  }
  if (Guess.HalfHeight) {
    return TMainForm::tr("%1, half height").arg(Item);
  }
  return Guess.LayoutIndex == LayoutIndex(TLayout::Mono) ? Item
                                                         : TMainForm::tr("%1, full resolution").arg(Item);
}

QString PercentText(double Confidence)
{
  return TMainForm::tr("%1%").arg(QLocale().toString(static_cast<qlonglong>(std::lround(Confidence * 100))));
}

} // namespace

void TMainForm::ConnectVideoCommands()
{
  auto Guard = [this](void (TMainForm::*Handler)()) { return GuardedCommand(Handler); };
  connect(DetectLayoutMenuItem, &QAction::triggered, this, Guard(&TMainForm::DetectLayoutMenuItemClick));
  connect(MakePreviewMenuItem, &QAction::triggered, this, Guard(&TMainForm::MakePreviewMenuItemClick));
  connect(MakePosterMenuItem, &QAction::triggered, this, Guard(&TMainForm::MakePosterMenuItemClick));
}

void TMainForm::UpdateVideoMenu()
{
  const bool Open = !FFileName.isEmpty();
  Video1->setEnabled(Open);
  for (QAction* Item : {DetectLayoutMenuItem, MakePreviewMenuItem, MakePosterMenuItem}) {
    Item->setEnabled(Open);
  }
}

TCatalogueValues TMainForm::StereoValues() const
{
  TCatalogueValues Values;
  Values.Stereo = StereoCheckBox->isChecked();
  Values.LayoutIndex = LayoutComboBox->currentIndex();
  Values.HalfWidth = HalfWidthCheckBox->isChecked();
  Values.HalfHeight = HalfHeightCheckBox->isChecked();
  Values.Duration = DurationEdit->text().toStdU16String();
  return Values;
}

// The layout list's item, in the user's language; Monoscopic for an index
// out of the list.
QString TMainForm::LayoutItemText(int Index) const
{
  if (Index < 0 || Index >= LayoutComboBox->count()) {
    Index = LayoutIndex(TLayout::Mono);
  }
  return LayoutComboBox->itemText(Index);
}

void TMainForm::ReportVideoFailure(const QString& Why)
{
  Warn(tr("Could not read the video of '%1'!\r\r%2").arg(NameOf(FFileName), Why), TMessageIcon::Warning);
}

bool TMainForm::TakeEditorVideo(TVideoDescriptor& Descriptor)
{
  try {
    Descriptor = EditorVideoDescriptor(FEditor);
  } catch (const EVideo& Error) {
    ReportVideoFailure(QString::fromUtf8(Error.what()));
    return false;
  }
  return true;
}

void TMainForm::DetectLayoutMenuItemClick()
{
  if (FFileName.isEmpty()) {
    return;
  }
  const double Intro = StatedIntroSeconds(StereoValues(), DecimalSeparator());
  TLayoutGuess Guess;
  // The frames come from the file the editor holds, whatever its name
  // leads to by now.
  TVideoDescriptor Descriptor;
  if (!TakeEditorVideo(Descriptor)) {
    return;
  }
  const TTaskOutcome Outcome =
      RunVideoTask(this, tr("Detecting the stereo layout..."), [&](const std::atomic<bool>& Cancel) {
        TVideoFile Video(std::move(Descriptor), &Cancel);
        Guess = DetectLayout(Video, Intro);
      });
  if (Outcome.Result == TTaskResult::Cancelled) {
    return;
  }
  if (Outcome.Result == TTaskResult::Failed) {
    ReportVideoFailure(Outcome.Message);
    return;
  }
  if (Guess.Sure()) {
    SetDetectedLayout(Guess);
    Warn(tr("Detected stereo layout: %1.\r\rConfidence: %2. Check the Stereo page; nothing is saved until "
            "File > Save.")
             .arg(GuessText(Guess, LayoutItemText(Guess.LayoutIndex)), PercentText(Guess.Confidence)),
         TMessageIcon::Information);
    return;
  }
  if (Guess.LayoutSure() && Guess.LayoutIndex != LayoutIndex(TLayout::Mono)) {
    // The family and halves are known; which eye comes first is the user's
    // to say.
    const std::optional<int> Chosen = AskEyeOrder(Guess);
    if (Chosen) {
      Guess.LayoutIndex = *Chosen;
      SetDetectedLayout(Guess);
    }
    return;
  }
  Warn(tr("The stereo layout could not be detected with confidence.\r\rBest guess: %1 (confidence %2). "
          "Nothing was changed.")
           .arg(GuessText(Guess, LayoutItemText(Guess.LayoutIndex)), PercentText(Guess.Confidence)),
       TMessageIcon::Information);
}

std::optional<int> TMainForm::AskEyeOrder(const TLayoutGuess& Guess)
{
  const std::optional<TLayout> Layout = LayoutAt(Guess.LayoutIndex);
  const TLayoutFamily Family = Layout ? LayoutEntry(*Layout).Family : TLayoutFamily::Flat;
  const bool SideBySide = Family == TLayoutFamily::SideBySide;
  const QString Question =
      SideBySide
          ? tr("The video holds two views side by side, but which eye comes first cannot be told from its "
               "frames.\r\rIs the left half the left eye's view? Yes sets Side by Side, Left Image First; "
               "No sets Side by Side, Right Image First.")
          : tr("The video holds two views over/under, but which eye comes first cannot be told from its "
               "frames.\r\rIs the top half the left eye's view? Yes sets Over/Under, Left Image Top; No "
               "sets Over/Under, Right Image Top.");
  const TMessageAnswer Answer = FPlatform.ShowMessage(
      {this, ProductName(), Question, TMessageIcon::Question, TMessageButtons::YesNoCancel});
  if (Answer == TMessageAnswer::Cancel) {
    return std::nullopt;
  }
  const bool LeftFirst = Answer == TMessageAnswer::Yes;
  return LayoutIndex(
      SplitLayout(SideBySide ? TLayoutFamily::SideBySide : TLayoutFamily::OverUnder, LeftFirst));
}

void TMainForm::SetDetectedLayout(const TLayoutGuess& Guess)
{
  StereoCheckBox->setChecked(true);
  LayoutComboBox->setCurrentIndex(Guess.LayoutIndex);
  HalfWidthCheckBox->setChecked(Guess.HalfWidth);
  HalfHeightCheckBox->setChecked(Guess.HalfHeight);
  FModified = true;
}

void TMainForm::MakePreviewMenuItemClick()
{
  TakePreview(PictureFromVideo(TPictureKind::Preview));
}

void TMainForm::MakePosterMenuItemClick()
{
  TakePoster(PictureFromVideo(TPictureKind::Poster));
}

std::shared_ptr<const TJpegImage> TMainForm::PictureFromVideo(TPictureKind Kind)
{
  if (FFileName.isEmpty()) {
    return nullptr;
  }
  const TCatalogueValues Values = StereoValues();
  TFrameSource Source;
  TVideoFrame First;
  std::shared_ptr<const TJpegImage> Picture;
  TVideoDescriptor Descriptor;
  if (!TakeEditorVideo(Descriptor)) {
    return nullptr;
  }
  const auto Look = [&](const std::atomic<bool>& Cancel) {
    Source.Video = std::make_unique<TVideoFile>(std::move(Descriptor), &Cancel);
    Source.Aspect = Source.Video->DisplayAspect();
    const double Intro = StatedIntroSeconds(Values, DecimalSeparator());
    Source.Layout = PictureLayout(*Source.Video, Values, Intro);
    First = RepresentativeFrame(*Source.Video, Intro);
    Picture = MakeFramePicture(Kind, First.Image, Source.Aspect, Source.Layout);
  };
  // The video watches the source's flag, which the dialog uses later on.
  const TTaskOutcome Outcome = RunVideoTask(this, tr("Reading the video..."), Look, Source.Cancel.get());
  if (Outcome.Result == TTaskResult::Cancelled) {
    return nullptr;
  }
  if (Outcome.Result == TTaskResult::Failed) {
    ReportVideoFailure(Outcome.Message);
    return nullptr;
  }
  TFrameDialog Dialog(this, Kind, std::move(Source), First, std::move(Picture));
  if (!FExecFrameDialog(Dialog)) {
    return nullptr;
  }
  return Dialog.Picture();
}

} // namespace Quillmark
