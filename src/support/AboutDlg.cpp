#include "support/AboutDlg.h"

#include "support/DesignAdaptation.h"

#include "support/Localization.h"
#include "support/Platform.h"
#include "ui_AboutDlg.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace Quillmark {

namespace {

// The design was made at 96 PPI with an 11-pixel font whose line is 13
// pixels high.
constexpr int DesignFontPixels = 11;
constexpr int DesignIconSize = 48;

// Labels size themselves to their text; a word-wrapped one keeps its width
// and takes the height of its lines.
void FitLabel(QLabel* Label)
{
  if (Label->wordWrap()) {
    Label->resize(Label->width(), Label->heightForWidth(Label->width()));
  } else {
    Label->resize(Label->sizeHint());
  }
}

void SetFixedLabelWidth(QLabel* Label, int Width)
{
  Label->setMinimumWidth(Width);
  Label->setMaximumWidth(Width);
  Label->resize(Width, Label->height());
  FitLabel(Label);
}

void SetCaption(QLabel* Label, const QString& Caption)
{
  Label->setText(Caption);
  FitLabel(Label);
}

// The relative luminance of a colour, and the contrast of two colours as
// accessibility guidelines measure them: 1 (none) to 21.
double Luminance(const QColor& Colour)
{
  auto Linear = [](double Channel) {
    return Channel <= 0.03928 ? Channel / 12.92 : std::pow((Channel + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * Linear(Colour.redF()) + 0.7152 * Linear(Colour.greenF()) + 0.0722 * Linear(Colour.blueF());
}

} // namespace

double Contrast(const QColor& First, const QColor& Second)
{
  const double A = Luminance(First);
  const double B = Luminance(Second);
  return (std::max(A, B) + 0.05) / (std::min(A, B) + 0.05);
}

QColor LinkColour(const QPalette& Palette)
{
  // Readable text contrasts at least 4.5 to 1 with its background.
  constexpr double Readable = 4.5;
  const QColor Background = Palette.color(QPalette::Window);
  for (const QColor& Candidate : {QColor(0, 0, 128), Palette.color(QPalette::Link)}) {
    if (Contrast(Candidate, Background) >= Readable) {
      return Candidate;
    }
  }
  return Palette.color(QPalette::WindowText);
}

namespace {

void CentreOnScreen(QWidget* Dialog, QWidget* Owner)
{
  QScreen* Screen = Owner != nullptr ? Owner->screen() : QGuiApplication::primaryScreen();
  if (Screen == nullptr) {
    return;
  }
  const QRect Available = Screen->availableGeometry();
  Dialog->move(Available.x() + (Available.width() - Dialog->width()) / 2,
               Available.y() + (Available.height() - Dialog->height()) / 2);
}

void LayOut(TAboutForm& Dialog, int Ppi, const QString& Title, const QString& Version,
            const QString& Copyright, const QString& Link)
{
  auto S = [Ppi](int Pixels) { return static_cast<int>(ScaleByPpi(Pixels, Ppi)); };
  const int ColumnLeft = S(10);
  const int ColumnWidth = S(289);
  const int ClientWidth = S(10) + ColumnLeft + ColumnWidth;

  Dialog.WarningLabel->move(ColumnLeft, Dialog.WarningLabel->y());
  SetFixedLabelWidth(Dialog.WarningLabel, ColumnWidth);

  SetCaption(Dialog.TitleLabel, Title);
  SetCaption(Dialog.VersionLabel, Version);
  Dialog.VersionLabel->move(Dialog.VersionLabel->x(), Bottom(Dialog.TitleLabel) + S(2));

  SetFixedLabelWidth(Dialog.CopyrightLabel, ClientWidth - Dialog.CopyrightLabel->x() - S(10));
  SetCaption(Dialog.CopyrightLabel, Copyright);
  Dialog.CopyrightLabel->move(Dialog.CopyrightLabel->x(), Bottom(Dialog.VersionLabel) + S(12));

  Dialog.ReservedLabel->move(Dialog.ReservedLabel->x(), Bottom(Dialog.CopyrightLabel) + S(2));
  Dialog.WarningLabel->move(Dialog.WarningLabel->x(), Bottom(Dialog.ReservedLabel) + S(12));
  Dialog.CloseButton->move(Dialog.CloseButton->x(), Bottom(Dialog.WarningLabel) + S(16));
  const int ClientHeight = Bottom(Dialog.CloseButton) + S(9);

  SetCaption(Dialog.URLLabel, Link);
  Dialog.URLLabel->move(Dialog.WarningLabel->x(),
                        Dialog.CloseButton->y() +
                            (Dialog.CloseButton->height() - Dialog.URLLabel->height()) / 2);
  Dialog.setFixedSize(ClientWidth, ClientHeight);
}

} // namespace

TAboutForm::TAboutForm(IPlatform& Platform, QWidget* Owner)
    : QDialog(Owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FUi(std::make_unique<Ui::TAboutForm>()), FPlatform(Platform)
{
  FUi->setupUi(this);
  IconImage = FUi->IconImage;
  TitleLabel = FUi->TitleLabel;
  VersionLabel = FUi->VersionLabel;
  CopyrightLabel = FUi->CopyrightLabel;
  ReservedLabel = FUi->ReservedLabel;
  WarningLabel = FUi->WarningLabel;
  CloseButton = FUi->CloseButton;
  URLLabel = FUi->URLLabel;
  connect(CloseButton, &QPushButton::clicked, this, &TAboutForm::CloseButtonClick);
  URLLabel->installEventFilter(this);
  QPalette LinkPalette = URLLabel->palette();
  LinkPalette.setColor(QPalette::WindowText, LinkColour(palette()));
  URLLabel->setPalette(LinkPalette);
  AdaptDesign(Platform.ScreenPpi());
}

TAboutForm::~TAboutForm() = default;

void TAboutForm::AdaptDesign(int Ppi)
{
  FTextHeight = Quillmark::AdaptDesign(*this, font().family(), DesignFontPixels, Ppi);
  if (FTextHeight != DesignDigitHeight) {
    resize(ScaleDesigned(rect(), FTextHeight, DesignDigitHeight).size());
  }
}

void TAboutForm::CloseButtonClick()
{
  close();
}

void TAboutForm::URLLabelClick()
{
  FPlatform.OpenUrl(URLLabel->text());
}

bool TAboutForm::eventFilter(QObject* Watched, QEvent* Event)
{
  if (Watched == URLLabel && Event->type() == QEvent::MouseButtonRelease) {
    const auto* Mouse = static_cast<QMouseEvent*>(Event);
    if (Mouse->button() == Qt::LeftButton && URLLabel->rect().contains(Mouse->position().toPoint())) {
      URLLabelClick();
    }
  }
  return QDialog::eventFilter(Watched, Event);
}

// Esc presses the close button, which is the dialog's cancel button too.
void TAboutForm::keyPressEvent(QKeyEvent* Event)
{
  if (Event->key() == Qt::Key_Escape && Event->modifiers() == Qt::NoModifier) {
    CloseButton->click();
    return;
  }
  QDialog::keyPressEvent(Event);
}

std::unique_ptr<TAboutForm> CreateAboutDialog(IPlatform& Platform, QWidget* Owner, const QString& Caption,
                                              const QString& Title, const QString& Version,
                                              const QString& Copyright, const QString& Link,
                                              const TIconResource& Icon)
{
  auto Dialog = std::make_unique<TAboutForm>(Platform, Owner);
  const int Ppi = Platform.ScreenPpi();
  LocalizeForm(Dialog.get(), Ppi);
  // Tables may have changed captions; the labels fit their new texts.
  for (QLabel* Label : {Dialog->TitleLabel, Dialog->VersionLabel, Dialog->CopyrightLabel,
                        Dialog->ReservedLabel, Dialog->WarningLabel, Dialog->URLLabel}) {
    FitLabel(Label);
  }
  Dialog->setWindowTitle(Caption);
  if (!Icon.IsEmpty()) {
    const TDisplayIcon Shown = CreateDisplayIcon(Icon, ScaledIconSize(DesignIconSize, Ppi), Platform);
    Dialog->IconImage->setPixmap(QPixmap::fromImage(Shown.Image));
  }
  LayOut(*Dialog, Ppi, Title, Version, Copyright, Link);
  CentreOnScreen(Dialog.get(), Owner);
  return Dialog;
}

void ShowAboutDialog(IPlatform& Platform, QWidget* Owner, const QString& Caption, const QString& Title,
                     const QString& Version, const QString& Copyright, const QString& Link,
                     const TIconResource& Icon)
{
  std::unique_ptr<TAboutForm> Dialog =
      CreateAboutDialog(Platform, Owner, Caption, Title, Version, Copyright, Link, Icon);
  Dialog->exec();
}

} // namespace Quillmark
