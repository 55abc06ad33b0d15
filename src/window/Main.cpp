#include "window/Main.h"

#include "support/DesignAdaptation.h"
#include "support/ErrorDisplay.h"
#include "window/JpegDrawing.h"
#include "window/OpenDialog.h"
#include "window/PathLabel.h"
#include "window/Product.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <initializer_list>

// Resources of a static library register only when asked to, and the
// request has to come from the global namespace.
static void InitialiseResources()
{
  Q_INIT_RESOURCE(resources);
}

using namespace Qt::StringLiterals;

namespace Quillmark {

namespace {

// The design: "Tahoma" 11 pixels high at 96 pixels per inch, where the
// digit 0 is 13 pixels high.
constexpr int DesignFontHeight = 11;
constexpr int DesignStatusBarHeight = 19;
// Debian has no Tahoma. DejaVu Sans Condensed has Tahoma's line height at
// every size and is narrow enough that no label reaches its control, where
// DejaVu Sans runs "Stereoscopic layout:" into the layout list.
const QString DesignFontFamily = u"Tahoma"_s;
const QString FallbackFontFamily = u"DejaVu Sans Condensed"_s;

const QString IconResource = u":/quillmark.ico"_s;
constexpr int IconImageSize = 48;

// The bit count of each image of an icon file, in directory order; empty
// when the directory does not fit in the file.
std::vector<int> IconBitCounts(const QByteArray& File)
{
  auto Word = [&File](qsizetype Offset) {
    return static_cast<unsigned char>(File[Offset]) | static_cast<unsigned char>(File[Offset + 1]) << 8;
  };
  constexpr qsizetype HeaderSize = 6;
  constexpr qsizetype EntrySize = 16;
  if (File.size() < HeaderSize) {
    return {};
  }
  const int Count = Word(4);
  if (File.size() < HeaderSize + Count * EntrySize) {
    return {};
  }
  std::vector<int> BitCounts;
  for (int Index = 0; Index < Count; ++Index) {
    BitCounts.push_back(Word(HeaderSize + Index * EntrySize + 6));
  }
  return BitCounts;
}

void SetLeft(QWidget* Widget, int Left)
{
  Widget->move(Left, Widget->y());
}

void SetTop(QWidget* Widget, int Top)
{
  Widget->move(Widget->x(), Top);
}

void SetWidth(QWidget* Widget, int Width)
{
  Widget->resize(Width, Widget->height());
}

void SetHeight(QWidget* Widget, int Height)
{
  Widget->resize(Widget->width(), Height);
}

} // namespace

TMainForm::TMainForm(IPlatform& Platform, QWidget* Parent) : QMainWindow(Parent), FPlatform(Platform)
{
  InitialiseResources();
  setupUi(this);
  // A single fixed border: minimize, but no maximize.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  CreateComponents();
  ConnectCommands();
  ConnectFieldChanges();
  LoadApplicationIcon();
  AdaptDesign();
  FormCreate();
}

TMainForm::~TMainForm()
{
  FormDestroy();
}

// One more close request as the window goes. After a granted close nothing
// is modified and it asks nothing; a window torn down without one (the
// program told to quit) still offers to save, though it cannot stay.
void TMainForm::FormDestroy()
{
  close();
}

void TMainForm::CreateComponents()
{
  OpenDialog =
      new TOpenDialog(FPlatform, this, u"OpenDialog"_s, tr("Windows Media Files|*.wmv|All Files|*.*"));
  PreviewOpenDialog =
      new TOpenDialog(FPlatform, this, u"PreviewOpenDialog"_s, tr("JPEG Images|*.jpg;*.jpeg|All Files|*.*"));
  PosterOpenDialog =
      new TOpenDialog(FPlatform, this, u"PosterOpenDialog"_s, tr("JPEG Images|*.jpg;*.jpeg|All Files|*.*"));
  FPreviewView = new TPictureView(PreviewImage, DecodeJpeg);
  FPosterView = new TPictureView(PosterImage, DecodeJpeg);
  AfterShowTimer = new QTimer(this);
  AfterShowTimer->setObjectName(u"AfterShowTimer"_s);
  AfterShowTimer->setProperty("tag", 0);
  AfterShowTimer->setInterval(1);
  AfterShowTimer->setSingleShot(true);
  // The path lives in a permanent part of the status bar: a temporary
  // message would give way to the first status tip of a menu and never come
  // back.
  FStatusText = new TPathLabel(StatusBar);
  FStatusText->setObjectName(u"StatusText"_s);
  StatusBar->addPermanentWidget(FStatusText, 1);
}

void TMainForm::ConnectCommands()
{
  auto Guard = [this](void (TMainForm::*Handler)()) { return GuardedCommand(Handler); };
  connect(OpenMenuItem, &QAction::triggered, this, Guard(&TMainForm::OpenMenuItemClick));
  connect(SaveMenuItem, &QAction::triggered, this, Guard(&TMainForm::SaveMenuItemClick));
  connect(CloseMenuItem, &QAction::triggered, this, Guard(&TMainForm::CloseMenuItemClick));
  connect(ExitMenuItem, &QAction::triggered, this, Guard(&TMainForm::ExitMenuItemClick));
  connect(Website1, &QAction::triggered, this, Guard(&TMainForm::Website1Click));
  connect(AboutMenuItem, &QAction::triggered, this, Guard(&TMainForm::AboutMenuItemClick));
  connect(LoadButton, &QPushButton::clicked, this, Guard(&TMainForm::LoadButtonClick));
  connect(DeleteButton, &QPushButton::clicked, this, Guard(&TMainForm::DeleteButtonClick));
  connect(LoadPosterButton, &QPushButton::clicked, this, Guard(&TMainForm::LoadPosterButtonClick));
  connect(DeletePosterButton, &QPushButton::clicked, this, Guard(&TMainForm::DeletePosterButtonClick));
  connect(AfterShowTimer, &QTimer::timeout, this, Guard(&TMainForm::AfterShowTimerTimer));
  ConnectVideoCommands();
}

void TMainForm::LoadApplicationIcon()
{
  QFile File(IconResource);
  if (File.open(QIODevice::ReadOnly)) {
    FIconFile = File.readAll();
  }
  // The window takes the 32-bit images; the 16- and 256-colour ones are for
  // displays of fewer colours.
  const std::vector<int> BitCounts = IconBitCounts(FIconFile);
  QBuffer Buffer(&FIconFile);
  QImageReader Reader(&Buffer, "ico");
  QIcon Icon;
  for (int Index = 0; Index < static_cast<int>(BitCounts.size()); ++Index) {
    if (BitCounts[static_cast<std::size_t>(Index)] != 32 || !Reader.jumpToImage(Index)) {
      continue;
    }
    const QImage Image = Reader.read();
    Icon.addPixmap(QPixmap::fromImage(Image));
    if (Image.width() == IconImageSize) {
      IconImage->setPixmap(QPixmap::fromImage(Image));
    }
  }
  IconImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setWindowIcon(Icon);
}

void TMainForm::AdaptDesign()
{
  QFont::insertSubstitution(DesignFontFamily, FallbackFontFamily);
  const int Measured =
      Quillmark::AdaptDesign(*this, DesignFontFamily, DesignFontHeight, FPlatform.ScreenPpi());
  StatusBar->setFixedHeight(ScaleDesigned(DesignStatusBarHeight, Measured, DesignDigitHeight));
  FitLabels(*this);
}

void TMainForm::FormCreate()
{
  const int Ppi = FPlatform.ScreenPpi();
  auto M = [Ppi](int N) { return static_cast<int>(ScaleByPpi(N, Ppi)); };

  setWindowTitle(ProductName());
  QApplication::setApplicationName(ApplicationTitle());
  AboutMenuItem->setText(tr("&About %1...").arg(ApplicationTitle()));
  PageControl->setCurrentWidget(StereoTabSheet);

  SetWidth(LayoutComboBox, StereoGroupBox->width() - LayoutComboBox->x() - M(10));
  SetTop(PlayerGroupBox, Bottom(StereoGroupBox) + M(9));
  // Not scaled: the picture inside the one-pixel bevel is 160 x 120 screen
  // pixels at every resolution.
  PreviewPanel->resize(162, 122);
  SetHeight(PlayerGroupBox, Bottom(PreviewPanel) + PreviewPanel->x());
  const int TabRoom = PageControl->height() - PageControl->PageAreaSize().height();
  SetHeight(PageControl, Bottom(PlayerGroupBox) + PlayerGroupBox->x() + TabRoom);
  SetWidth(SourceEdit, StereoGroupBox->width() - SourceEdit->x() - M(10));
  SetLeft(LoadButton, PreviewPanel->x() + PreviewPanel->width() + M(14));
  SetLeft(DeleteButton, LoadButton->x());

  const QSize Page = PageControl->PageAreaSize();
  // The texts of the general page span the page.
  for (const TCatalogueEntry& Row : Catalogue) {
    if (Row.Tab == TTab::General && Row.Field.Kind == TFieldKind::Text) {
      QWidget* Edit = Control(Row.Attribute);
      SetWidth(Edit, Page.width() - 2 * Edit->x());
    }
  }
  SetHeight(DescriptionMemo, Page.height() - DescriptionMemo->y() - DescriptionMemo->x() - 1);
  SetWidth(DiscNameEdit, Page.width() - DiscNameEdit->x() - DiscNameLabel->x());
  SetWidth(TitleNameEdit, DiscNameEdit->width());
  SetLeft(LoadPosterButton, Page.width() - LoadPosterButton->width() - PosterPanel->x());
  SetLeft(DeletePosterButton, LoadPosterButton->x());
  SetWidth(PosterPanel, LoadPosterButton->x() - PosterPanel->x() - M(14));
  SetHeight(PosterPanel, Page.height() - PosterPanel->y() - PosterPanel->x());
  // The scroll box fills the panel inside its one-pixel bevel.
  PosterScrollBox->setGeometry(1, 1, PosterPanel->width() - 2, PosterPanel->height() - 2);

  SetClientSize(2 * PageControl->x() + PageControl->width(),
                2 * PageControl->y() + PageControl->height() + StatusBar->height());

  FModified = false;
  FFileName.clear();
  UpdateControls();
  AcceptDropsEverywhere();
}

void TMainForm::SetClientSize(int Width, int Height)
{
  // The client area is the central widget and the status bar; the menu bar
  // lies above it, as the main window's layout places it.
  int MenuHeight = menuBar()->heightForWidth(Width);
  if (MenuHeight < 0) {
    MenuHeight = menuBar()->sizeHint().height();
  }
  setFixedSize(Width, MenuHeight + Height);
}

void TMainForm::showEvent(QShowEvent* Event)
{
  if (!FShownBefore) {
    FShownBefore = true;
    if (const QScreen* Screen = screen()) {
      QRect Frame = frameGeometry();
      Frame.moveCenter(Screen->availableGeometry().center());
      move(Frame.topLeft());
    }
    FormShow();
  }
  QMainWindow::showEvent(Event);
}

void TMainForm::UpdateControls()
{
  const bool Open = !FFileName.isEmpty();
  StereoCheckBox->setEnabled(Open);
  LoadButton->setEnabled(Open);
  DeleteButton->setEnabled(Open && FPreviewImage);
  // The texts are open to editing whatever the Stereo box says.
  for (const TCatalogueEntry& Row : Catalogue) {
    if (Row.Rule == TWriteRule::TrimmedTextNotEmpty) {
      Control(Row.Attribute)->setEnabled(Open);
    }
  }
  SaveMenuItem->setEnabled(Open);
  CloseMenuItem->setEnabled(Open);
  PreviewImage->setVisible(Open && FPreviewImage);
  StereoCheckBoxClick();
  LoadPosterButton->setEnabled(Open);
  DeletePosterButton->setEnabled(Open && FPosterImage);
  PosterImage->setVisible(Open && FPosterImage);
  PosterScrollBox->setVisible(Open && FPosterImage);
  UpdateVideoMenu();
  DescribePictures();
  FModified = false;
  FChanged = TChangedAttributes();
  FStatusText->SetPath(FFileName);
}

void TMainForm::EditChange()
{
  FModified = true;
}

void TMainForm::LayoutComboBoxChange()
{
  FModified = true;
}

void TMainForm::StereoCheckBoxClick()
{
  const bool Enabled = StereoCheckBox->isChecked() && !FFileName.isEmpty();
  for (QWidget* Field : std::initializer_list<QWidget*>{LayoutComboBox, DurationEdit, ParallaxEdit,
                                                        HalfWidthCheckBox, HalfHeightCheckBox}) {
    Field->setEnabled(Enabled);
  }
  FModified = true;
}

} // namespace Quillmark
