#pragma once
// The main window: one fixed-size window with a menu bar, a tab control of
// three pages (Stereo, General, Movie Disk) and a status bar. Its controls
// are the editing model: reading a file fills them, saving reads them back.
#include "catalogue/Catalogue.h"
#include "catalogue/JpegImage.h"
#include "catalogue/PictureRules.h"
#include "metadata/MetadataEditor.h"
#include "support/Platform.h"
#include "ui_MainForm.h"
#include "window/PictureView.h"

#include <QByteArray>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QTimer;

namespace Quillmark {

class TFrameDialog;
class TVideoDescriptor;
struct TLayoutGuess;
struct TCatalogueValues;
class TOpenDialog;
class TPathLabel;

// Runs the dialog of Video > Make Preview / Make Title Poster; true on OK.
bool ExecFrameDialog(TFrameDialog& Dialog);

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

  // The file session.
  void OpenFile(const QString& Path);
  void SaveFile();
  void CloseFile();
  bool ReadMetadata();
  // Fills the controls and the pictures from values read of the file; Read
  // is what the reading returned, handed on.
  bool FillControls(const TCatalogueValues& Values, bool Read);
  bool WriteMetadata(bool& Reported);

  // True when the caller may go on and replace the window's content; asks
  // to save unsaved changes first.
  bool QuerySave();
  // Shows the page of an attribute's field and puts the focus there.
  void ShowField(TAttribute Attribute);
  QWidget* FieldOf(TAttribute Attribute) const;

  // The program's arguments; the first, when it names an existing file, is
  // opened once the window has been shown.
  void SetCommandLine(const QStringList& Arguments);
  // The files of a drop, in the order given.
  void WMDropFiles(const QStringList& Names);

public slots:
  void OpenMenuItemClick();
  void SaveMenuItemClick();
  void CloseMenuItemClick();
  void ExitMenuItemClick();
  void Website1Click();
  void AboutMenuItemClick();
  void LoadButtonClick();
  void DeleteButtonClick();
  void LoadPosterButtonClick();
  void DeletePosterButtonClick();
  void AfterShowTimerTimer();
  // The Video menu.
  void DetectLayoutMenuItemClick();
  void MakePreviewMenuItemClick();
  void MakePosterMenuItemClick();

  // Text change of the eight text controls with a stored attribute.
  void EditChange();
  // Change and click of LayoutComboBox.
  void LayoutComboBoxChange();
  // Check-state change of StereoCheckBox: the stereo fields follow it.
  void StereoCheckBoxClick();

protected:
  void showEvent(QShowEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void FormShow();
  bool FormCloseQuery();

  // Creates the metadata editor of each open; tests put another in.
  std::function<HRESULT(TRef<IWMMetadataEditor>&)> FCreateEditor = WMCreateEditor;
  // Runs the frame dialog of the Video menu; tests choose in it instead.
  std::function<bool(TFrameDialog&)> FExecFrameDialog = ExecFrameDialog;

  // The controls hold changes that are not saved.
  bool FModified = false;
  // The catalogued attributes whose fields the user changed since the file
  // was read or saved: a save replaces those and leaves the others as stored.
  // Cleared wherever FModified is cleared on opening, closing and saving.
  TChangedAttributes FChanged;
  // The path of the open file exactly as it was handed over; a file is open
  // exactly while this is not empty.
  QString FFileName;
  TRef<IWMMetadataEditor2> FEditor;
  // A picture never changes once made, so the window and a save share it.
  std::shared_ptr<const TJpegImage> FPreviewImage;
  std::shared_ptr<const TJpegImage> FPosterImage;
  // Draw the pictures into PreviewImage and PosterImage, each decoded on a
  // thread of its own so that the window stays responsive meanwhile.
  TPictureView* FPreviewView = nullptr;
  TPictureView* FPosterView = nullptr;

private:
  // Marks the attribute of a field the user changed, and the file modified.
  void MarkChanged(TAttribute Attribute);
  // Every editing control tells which attribute it changes.
  void ConnectFieldChanges();
  // The form's component the catalogue names for an attribute.
  QWidget* Control(TAttribute Attribute) const;
  // Moving one attribute's value between the record and its control; a
  // picture goes to FPreviewImage or FPosterImage and is shown.
  void PutValue(const TCatalogueEntry& Row, const TCatalogueValues& Values);
  void TakeValue(const TCatalogueEntry& Row, TCatalogueValues& Values) const;
  // Empties a control that is no picture.
  void ClearValue(const TCatalogueEntry& Row);
  void Warn(const QString& Text, TMessageIcon Icon, const QString& Details = QString());
  void ShowPoster();
  // The pictures' sizes, or that there is none, for screen readers.
  void DescribePictures();
  // A new preview or poster chosen by the user: shown and marked for saving;
  // nothing happens without one.
  void TakePreview(std::shared_ptr<const TJpegImage> Picture);
  void TakePoster(std::shared_ptr<const TJpegImage> Picture);
  std::shared_ptr<const TJpegImage> ChoosePicture(TOpenDialog* Dialog, TPictureKind Kind);
  void ConnectCommands();
  std::function<void()> GuardedCommand(void (TMainForm::*Handler)());
  void AcceptDropsEverywhere();
  void DropFiles(QDropEvent* Event);
  void ConnectVideoCommands();
  void UpdateVideoMenu();
  TCatalogueValues StereoValues() const;
  void ReportVideoFailure(const QString& Why);
  QString LayoutItemText(int Index) const;
  // A descriptor of the file the editor holds, for reading its frames;
  // false, after saying why, when there is none.
  bool TakeEditorVideo(TVideoDescriptor& Descriptor);
  // The layout of Guess's family with the eye order the user names; none
  // when the user cancels.
  std::optional<int> AskEyeOrder(const TLayoutGuess& Guess);
  void SetDetectedLayout(const TLayoutGuess& Guess);
  std::shared_ptr<const TJpegImage> PictureFromVideo(TPictureKind Kind);
  void CreateComponents();
  void LoadApplicationIcon();
  void AdaptDesign();
  void FormCreate();
  void FormDestroy();
  void SetClientSize(int Width, int Height);

  IPlatform& FPlatform;
  // Components keep their designed names, like the controls of the form.
  // NOLINTBEGIN(readability-identifier-naming)
  TOpenDialog* OpenDialog;
  TOpenDialog* PreviewOpenDialog;
  TOpenDialog* PosterOpenDialog;
  // One-shot trigger that runs once the window has been shown.
  QTimer* AfterShowTimer;
  // NOLINTEND(readability-identifier-naming)
  // The status bar's one text area: the open file's path.
  TPathLabel* FStatusText = nullptr;
  QByteArray FIconFile;
  bool FShownBefore = false;
  QStringList FArguments;
};

} // namespace Quillmark
