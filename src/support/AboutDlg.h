#pragma once
// The About dialog: the program's icon, title, version, copyright line, a
// legal warning and a link to the maker's website. The caller supplies every
// text and the icon, so the dialog holds no product data of its own.
#include "support/IconUtils.h"

#include <QDialog>
#include <memory>

class QColor;
class QLabel;
class QPalette;
class QPushButton;

namespace Ui {
class TAboutForm;
}

namespace Quillmark {

class IPlatform;

class TAboutForm : public QDialog {
  Q_OBJECT

public:
  // Builds the form from its resource and adapts the design to the screen's
  // PPI and text height. The texts, the icon and the layout come from
  // CreateAboutDialog.
  TAboutForm(IPlatform& Platform, QWidget* Owner);
  ~TAboutForm() override;

  void CloseButtonClick();
  // Opens the link's current caption through the platform.
  void URLLabelClick();

  // The line height of the dialog's font, measured after the PPI has set
  // its pixel height; the design was made for 13.
  int TextHeight() const { return FTextHeight; }

  // The components of the form, named as in the form resource.
  QLabel* IconImage = nullptr;
  QLabel* TitleLabel = nullptr;
  QLabel* VersionLabel = nullptr;
  QLabel* CopyrightLabel = nullptr;
  QLabel* ReservedLabel = nullptr;
  QLabel* WarningLabel = nullptr;
  QPushButton* CloseButton = nullptr;
  QLabel* URLLabel = nullptr;

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;

private:
  void AdaptDesign(int Ppi);

  std::unique_ptr<Ui::TAboutForm> FUi;
  IPlatform& FPlatform;
  int FTextHeight = 0;
};

// The contrast of two colours as accessibility guidelines measure it, from
// 1 (none) to 21.
double Contrast(const QColor& First, const QColor& Second);

// The link's colour on a window of Palette: navy, as designed, where it can
// be read; on a dark window the palette's link colour, or failing that its
// text colour.
QColor LinkColour(const QPalette& Palette);

// Creates the dialog, localizes it, sets the texts and the icon and lays it
// out for the screen; not shown yet. Exceptions of the localization (a
// wrongly typed table entry) leave it, and no dialog is made.
std::unique_ptr<TAboutForm> CreateAboutDialog(IPlatform& Platform, QWidget* Owner, const QString& Caption,
                                              const QString& Title, const QString& Version,
                                              const QString& Copyright, const QString& Link,
                                              const TIconResource& Icon);

// CreateAboutDialog, then shows the dialog modally and destroys it when it
// closes.
void ShowAboutDialog(IPlatform& Platform, QWidget* Owner, const QString& Caption, const QString& Title,
                     const QString& Version, const QString& Copyright, const QString& Link,
                     const TIconResource& Icon);

} // namespace Quillmark
