// The main window's layout: the design adapted to the screen, then the
// sizes computed at creation, at 96, 120 and 144 pixels per inch.
#include "MainFormTestSupport.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace QuillmarkTest {
namespace {

struct TShownForm {
  explicit TShownForm(int Ppi)
  {
    Platform.FPpi = Ppi;
    Form = std::make_unique<TTestForm>(Platform);
    Form->show();
    QApplication::processEvents();
  }
  TScriptedPlatform Platform;
  std::unique_ptr<TTestForm> Form;
};

// The design at 96 pixels per inch, scaled by the measured height of the
// digit 0 over its designed 13 pixels.
struct TDesign {
  explicit TDesign(const QFont& Font, int Ppi) : Measured(QFontMetrics(Font).height()), PpiValue(Ppi) {}
  int S(int Value) const { return static_cast<int>(std::lround(Value * Measured / 13.0)); }
  int M(int Value) const { return Value * PpiValue / 96; }
  int Measured;
  int PpiValue;
};

int Right(const QWidget* Widget)
{
  return Widget->x() + Widget->width();
}

int Bottom(const QWidget* Widget)
{
  return Widget->y() + Widget->height();
}

class MainFormLayout : public testing::TestWithParam<int> {};

TEST_P(MainFormLayout, FontIsTahomaAtTheScreenResolutionWithTheFallbackAtTahomasLineHeight)
{
  TShownForm Shown(GetParam());
  const QFont Font = Shown.Form->font();
  EXPECT_EQ(Font.family(), u"Tahoma"_s);
  EXPECT_EQ(Font.pixelSize(), static_cast<int>(std::lround(11 * GetParam() / 96.0)));
  // The window font never scales the design at 96 pixels per inch.
  if (GetParam() == 96) {
    EXPECT_EQ(QFontMetrics(Font).height(), 13);
  }
  EXPECT_EQ(Shown.Form->Get<QLabel>("Label1")->font(), Font);
}

TEST_P(MainFormLayout, CreationComputesTheLayoutFromThePageAreaQtGives)
{
  TShownForm Shown(GetParam());
  TTestForm& Form = *Shown.Form;
  const TDesign D(Form.font(), GetParam());

  auto* Pages = Form.Get<QTabWidget>("PageControl");
  const QSize Page = Form.Get("StereoTabSheet")->size();
  // Qt lays out a page when it comes on top.
  for (int Index : {1, 2, 0}) {
    Pages->setCurrentIndex(Index);
    QApplication::processEvents();
    EXPECT_EQ(Pages->currentWidget()->size(), Page) << Index;
  }
  EXPECT_EQ(Pages->geometry().topLeft(), QPoint(D.S(8), D.S(8)));
  EXPECT_EQ(Pages->width(), D.S(371));

  QWidget* StereoBox = Form.Get("StereoGroupBox");
  EXPECT_EQ(StereoBox->geometry(), QRect(D.S(10), D.S(8), D.S(343), D.S(165)));
  EXPECT_EQ(Form.Get("LayoutComboBox")->width(), D.S(343) - D.S(120) - D.M(10));
  QWidget* PlayerBox = Form.Get("PlayerGroupBox");
  EXPECT_EQ(PlayerBox->y(), D.S(8) + D.S(165) + D.M(9));
  EXPECT_EQ(Form.Get("PreviewPanel")->geometry(), QRect(D.S(12), D.S(74), 162, 122));
  EXPECT_EQ(PlayerBox->height(), D.S(74) + 122 + D.S(12));
  // The page area ends below the player group box by its left margin.
  EXPECT_EQ(Page.height(), Bottom(PlayerBox) + PlayerBox->x());
  EXPECT_EQ(Form.Get("SourceEdit")->width(), D.S(343) - D.S(58) - D.M(10));
  EXPECT_EQ(Form.Get("LoadButton")->x(), D.S(12) + 162 + D.M(14));
  EXPECT_EQ(Form.Get("DeleteButton")->x(), Form.Get("LoadButton")->x());

  for (const char* Name : {"TitleEdit", "AuthorEdit", "CopyrightEdit", "DescriptionMemo"}) {
    EXPECT_EQ(Form.Get(Name)->x(), D.S(10)) << Name;
    EXPECT_EQ(Form.Get(Name)->width(), Page.width() - 2 * D.S(10)) << Name;
  }
  EXPECT_EQ(Form.Get("DescriptionMemo")->height(), Page.height() - D.S(168) - D.S(10) - 1);

  EXPECT_EQ(Form.Get("DiscNameEdit")->width(), Page.width() - D.S(72) - D.S(10));
  EXPECT_EQ(Form.Get("TitleNameEdit")->width(), Form.Get("DiscNameEdit")->width());
  const int PosterButtonLeft = Page.width() - D.S(75) - D.S(10);
  EXPECT_EQ(Form.Get("LoadPosterButton")->x(), PosterButtonLeft);
  EXPECT_EQ(Form.Get("DeletePosterButton")->x(), PosterButtonLeft);
  EXPECT_EQ(
      Form.Get("PosterPanel")->geometry(),
      QRect(D.S(10), D.S(138), PosterButtonLeft - D.S(10) - D.M(14), Page.height() - D.S(138) - D.S(10)));

  // The client area (central widget and status bar) is the tab control with
  // its margins all round; the menu bar lies above it.
  auto* Status = Form.Get<QStatusBar>("StatusBar");
  EXPECT_EQ(Status->height(), D.S(19));
  EXPECT_EQ(Form.centralWidget()->width(), 2 * D.S(8) + D.S(371));
  EXPECT_EQ(Form.centralWidget()->height() + Status->height(), 2 * D.S(8) + Pages->height() + D.S(19));
  EXPECT_EQ(Form.height(), Form.menuBar()->height() + Form.centralWidget()->height() + Status->height());
}

TEST_P(MainFormLayout, PicturesAreAlwaysTheirOwnSizeInScreenPixels)
{
  TShownForm Shown(GetParam());
  EXPECT_EQ(Shown.Form->Get("PreviewPanel")->size(), QSize(162, 122));
  EXPECT_EQ(Shown.Form->Get("PreviewImage")->geometry(), QRect(1, 1, 160, 120));
  Shown.Form->Get<QTabWidget>("PageControl")->setCurrentIndex(2);
  QApplication::processEvents();
  QWidget* PosterPanel = Shown.Form->Get("PosterPanel");
  EXPECT_EQ(Shown.Form->Get("PosterScrollBox")->geometry(),
            QRect(1, 1, PosterPanel->width() - 2, PosterPanel->height() - 2));
}

TEST_P(MainFormLayout, NoLabelReachesItsControl)
{
  TShownForm Shown(GetParam());
  TTestForm& Form = *Shown.Form;
  auto TextWidth = [&Form](const char* Label) {
    QLabel* Found = Form.Get<QLabel>(Label);
    const int Width = QFontMetrics(Found->font()).horizontalAdvance(Found->text());
    EXPECT_GE(Found->width(), Width) << Label << " is cut";
    return Width;
  };
  // Labels left of their controls.
  const std::pair<const char*, const char*> LeftOf[] = {
      {"Label1", "LayoutComboBox"}, {"Label8", "DurationEdit"},        {"Label10", "ParallaxEdit"},
      {"Label2", "SourceEdit"},     {"DiscNameLabel", "DiscNameEdit"}, {"Label14", "TitleNameEdit"},
      {"Label15", "TitleIndexEdit"}};
  for (const auto& [Label, Control] : LeftOf) {
    EXPECT_LE(Form.Get(Label)->x() + TextWidth(Label), Form.Get(Control)->x()) << Label;
  }
  // Units right of their edits, inside the group box.
  for (const auto& [Edit, Label] :
       {std::pair{"DurationEdit", "Label9"}, std::pair{"ParallaxEdit", "Label11"}}) {
    EXPECT_LE(Right(Form.Get(Edit)), Form.Get(Label)->x()) << Label;
    EXPECT_LE(Form.Get(Label)->x() + TextWidth(Label), Form.Get("StereoGroupBox")->width()) << Label;
  }
  // Labels above their controls.
  const std::pair<const char*, const char*> Above[] = {
      {"Label3", "PreviewPanel"},  {"Label4", "TitleEdit"},       {"Label5", "AuthorEdit"},
      {"Label6", "CopyrightEdit"}, {"Label7", "DescriptionMemo"}, {"Label16", "PosterPanel"}};
  for (const auto& [Label, Control] : Above) {
    TextWidth(Label);
    EXPECT_LE(Form.Get(Label)->y() + QFontMetrics(Form.font()).height(), Form.Get(Control)->y()) << Label;
  }
  EXPECT_LE(Form.Get("Label12")->x() + TextWidth("Label12"), Form.Get("DiscTabSheet")->width());
}

TEST_P(MainFormLayout, WindowHasAFixedSizeAndNoMaximizeButton)
{
  TShownForm Shown(GetParam());
  EXPECT_EQ(Shown.Form->minimumSize(), Shown.Form->maximumSize());
  EXPECT_EQ(Shown.Form->size(), Shown.Form->minimumSize());
  const Qt::WindowFlags Flags = Shown.Form->windowFlags();
  EXPECT_FALSE(Flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(Flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(Flags.testFlag(Qt::WindowSystemMenuHint));
}

INSTANTIATE_TEST_SUITE_P(Ppi, MainFormLayout, testing::Values(96, 120, 144));

TEST(MainFormLayout, MarginsScaleWithTheResolutionAt120Ppi)
{
  TShownForm Shown(120);
  TTestForm& Form = *Shown.Form;
  EXPECT_EQ(Form.Get("StereoGroupBox")->width() - Right(Form.Get("LayoutComboBox")), 12);
  EXPECT_EQ(Form.Get("PlayerGroupBox")->y() - Bottom(Form.Get("StereoGroupBox")), 11);
  EXPECT_EQ(Form.Get("PlayerGroupBox")->width() - Right(Form.Get("SourceEdit")), 12);
  EXPECT_EQ(Form.Get("LoadButton")->x() - Right(Form.Get("PreviewPanel")), 17);
  EXPECT_EQ(Form.Get("LoadPosterButton")->x() - Right(Form.Get("PosterPanel")), 17);
}

TEST(MainFormLayout, At96PpiTheDesignIsKeptAndOnlyTheComputedSizesChange)
{
  TShownForm Shown(96);
  TTestForm& Form = *Shown.Form;
  EXPECT_EQ(Form.Get("LayoutComboBox")->geometry(), QRect(120, 84, 213, 21));
  EXPECT_EQ(Form.Get("SourceEdit")->geometry(), QRect(58, 24, 275, 21));
  EXPECT_EQ(Form.Get("PlayerGroupBox")->geometry(), QRect(10, 182, 343, 208));
  EXPECT_EQ(Form.Get("LoadButton")->geometry(), QRect(188, 72, 75, 23));
  EXPECT_EQ(Form.Get("DurationEdit")->geometry(), QRect(120, 108, 49, 21));
  EXPECT_EQ(Form.Get("TitleIndexEdit")->geometry(), QRect(72, 84, 49, 21));
  EXPECT_EQ(Form.Get("IconImage")->geometry(), QRect(0, 0, 105, 105));
  EXPECT_EQ(Form.width(), 387);
  EXPECT_EQ(Form.centralWidget()->height() + Form.Get("StatusBar")->height(),
            16 + Form.Get("PageControl")->height() + 19);
}

TEST(MainFormLayout, OpensCentredOnTheScreen)
{
  TShownForm Shown(96);
  const QRect Screen = Shown.Form->screen()->availableGeometry();
  const QPoint Centre = Shown.Form->frameGeometry().center();
  EXPECT_LE(std::abs(Centre.x() - Screen.center().x()), 1);
  EXPECT_LE(std::abs(Centre.y() - Screen.center().y()), 1);
}

} // namespace
} // namespace QuillmarkTest
