// The preview image and the title poster: loading from JPEG files, deleting.
#include "catalogue/PictureRules.h"
#include "metadata/TextConversion.h"
#include "window/Main.h"
#include "window/OpenDialog.h"
#include "window/Product.h"
#include "window/WindowTask.h"
#include "window/WindowTexts.h"

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

// Runs the picture's dialog and the acceptance rules; the accepted picture,
// or none after a message or a cancelled dialog.
std::shared_ptr<const TJpegImage> TMainForm::ChoosePicture(TOpenDialog* Dialog, TPictureKind Kind)
{
  if (!Dialog->Execute()) {
    return nullptr;
  }
  // A poster file may be large: it is read off the window's thread.
  const std::string Path = Utf16ToPath(Dialog->FileName().toStdU16String());
  TPictureLoadResult Result;
  RunWindowTask(this, tr("Reading the picture..."),
                [&](const TTaskProgress&) { Result = LoadPictureFile(Kind, Path); });
  if (Result.Status == TPictureLoad::Accepted) {
    return Result.Image;
  }
  const bool Rejected = Result.Status == TPictureLoad::Rejected;
  FPlatform.ShowMessage({this, ProductName(), PictureLoadText(Kind, Result.Status, Dialog->FileName()),
                         Rejected ? TMessageIcon::Information : TMessageIcon::Warning, TMessageButtons::Ok});
  return nullptr;
}

void TMainForm::LoadButtonClick()
{
  TakePreview(ChoosePicture(PreviewOpenDialog, TPictureKind::Preview));
}

void TMainForm::LoadPosterButtonClick()
{
  TakePoster(ChoosePicture(PosterOpenDialog, TPictureKind::Poster));
}

void TMainForm::TakePreview(std::shared_ptr<const TJpegImage> Picture)
{
  if (!Picture) {
    return;
  }
  MarkChanged(TAttribute::StereoscopicPreview);
  FPreviewImage = std::move(Picture);
  PreviewImage->show();
  FPreviewView->Show(FPreviewImage);
  DeleteButton->setEnabled(true);
  DescribePictures();
}

void TMainForm::TakePoster(std::shared_ptr<const TJpegImage> Picture)
{
  if (!Picture) {
    return;
  }
  MarkChanged(TAttribute::StereoDiscTitlePoster);
  FPosterImage = std::move(Picture);
  ShowPoster();
  DeletePosterButton->setEnabled(true);
  DescribePictures();
}

void TMainForm::DeleteButtonClick()
{
  MarkChanged(TAttribute::StereoscopicPreview);
  PreviewImage->hide();
  FPreviewView->Clear();
  FPreviewImage.reset();
  DeleteButton->setEnabled(false);
  DescribePictures();
}

void TMainForm::DeletePosterButtonClick()
{
  MarkChanged(TAttribute::StereoDiscTitlePoster);
  PosterImage->hide();
  PosterScrollBox->hide();
  FPosterView->Clear();
  FPosterImage.reset();
  DeletePosterButton->setEnabled(false);
  DescribePictures();
}

void TMainForm::DescribePictures()
{
  PreviewPanel->setAccessibleDescription(PictureDescription(FPreviewImage.get()));
  PosterScrollBox->setAccessibleDescription(PictureDescription(FPosterImage.get()));
  PosterPanel->setAccessibleDescription(PictureDescription(FPosterImage.get()));
}

} // namespace Quillmark
