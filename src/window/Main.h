#pragma once
// The main window: one fixed-size window with a menu bar, a tab control of
// three pages (Stereo, General, Movie Disk) and a status bar. Its controls
// are the editing model: reading a file fills them, saving reads them back.
#include "metadata/JpegImage.h"
#include "metadata/MetadataEditor.h"
#include "support/Platform.h"
#include "ui_MainForm.h"

#include <QByteArray>
#include <QMainWindow>
#include <QString>
#include <memory>

class QTimer;

namespace Quillmark {

class TOpenDialog;

class TMainForm : public QMainWindow, private Ui::TMainForm {
  Q_OBJECT

public:
  // Every message box and file dialog of the window goes through Platform,
  // and the design is adapted to its screen resolution.
  explicit TMainForm(IPlatform& Platform, QWidget* Parent = nullptr);
  ~TMainForm() override;

  // The application icon file (nine images: 48, 32 and 16 pixels, each at
  // 16 colours, 256 colours and 32 bits with alpha), as IconImage holds it.
  const QByteArray& ApplicationIconFile() const { return FIconFile; }

  // Enables and shows the editing controls by whether a file is open, puts
  // the file's path into the status bar and clears FModified.
  void UpdateControls();

public slots:
  // Text change of the eight text controls with a stored attribute.
  void EditChange();
  // Change and click of LayoutComboBox.
  void LayoutComboBoxChange();
  // Check-state change of StereoCheckBox: the stereo fields follow it.
  void StereoCheckBoxClick();

protected:
  void showEvent(QShowEvent* Event) override;

  // The controls hold changes that are not saved.
  bool FModified = false;
  // The path of the open file exactly as it was handed over; a file is open
  // exactly while this is not empty.
  QString FFileName;
  TRef<IWMMetadataEditor2> FEditor;
  std::unique_ptr<TJpegImage> FPreviewImage;
  std::unique_ptr<TJpegImage> FPosterImage;

private:
  void CreateComponents();
  void LoadApplicationIcon();
  void AdaptDesign();
  void FormCreate();
  void SetClientSize(int Width, int Height);

  IPlatform& FPlatform;
  TOpenDialog* OpenDialog;
  TOpenDialog* PreviewOpenDialog;
  TOpenDialog* PosterOpenDialog;
  // One-shot trigger that runs once the window has been shown.
  QTimer* AfterShowTimer;
  QByteArray FIconFile;
  bool FShownBefore = false;
};

} // namespace Quillmark
