// The preview image and the title poster: loading from JPEG files, deleting.
#include "metadata/PictureRules.h"
#include "metadata/TextConversion.h"
#include "window/Main.h"
#include "window/OpenDialog.h"
#include "window/Product.h"

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

// Runs the picture's dialog and the acceptance rules; the accepted picture,
// or none after a message or a cancelled dialog.
std::shared_ptr<const TJpegImage> TMainForm::ChoosePicture(TOpenDialog* Dialog, TPictureKind Kind)
{
  if (!Dialog->Execute()) {
    return nullptr;
  }
  TPictureLoadResult Result = LoadPictureFile(Kind, Utf16ToPath(Dialog->FileName().toStdU16String()));
  if (Result.Status == TPictureLoad::Accepted) {
    return Result.Image;
  }
  const bool Rejected = Result.Status == TPictureLoad::Rejected;
  FPlatform.ShowMessage({this, ProductName(), QString::fromStdU16String(Result.Message),
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
}

void TMainForm::DeleteButtonClick()
{
  MarkChanged(TAttribute::StereoscopicPreview);
  PreviewImage->hide();
  FPreviewView->Clear();
  FPreviewImage.reset();
  DeleteButton->setEnabled(false);
}

void TMainForm::DeletePosterButtonClick()
{
  MarkChanged(TAttribute::StereoDiscTitlePoster);
  PosterImage->hide();
  PosterScrollBox->hide();
  FPosterView->Clear();
  FPosterImage.reset();
  DeletePosterButton->setEnabled(false);
}

} // namespace Quillmark
