#pragma once
// The platform seam: everything the windows ask of the desktop (message
// boxes, file-open dialogs, screen facts, opening a web address) goes
// through IPlatform, so widget logic runs offscreen in tests against a
// scripted implementation. TQtPlatform is the real one.
#include <QString>
#include <optional>

class QWidget;

namespace Quillmark {

enum class TMessageIcon { None, Error, Warning, Information, Question };
enum class TMessageButtons { Ok, YesNoCancel };
enum class TMessageAnswer { Ok, Yes, No, Cancel };

struct TMessage {
  QWidget* Owner = nullptr; // none: centred on the screen
  QString Caption;
  QString Text; // a carriage return is a line break
  TMessageIcon Icon = TMessageIcon::None;
  TMessageButtons Buttons = TMessageButtons::Ok;
  QString Details{}; // shown on request below the text; empty: none
};

struct TOpenDialogRequest {
  QWidget* Owner = nullptr;
  QString Filter; // stored form: "Name|*.a;*.b|Name|*.*"
  QString Title;  // empty: the platform's default title
};

// Platform ids of the version query: 1 the 9x family, 2 the NT family.
struct TPlatformVersion {
  int PlatformId = 2;
  int Major = 10;
  int Minor = 0;
};

class IPlatform {
public:
  virtual ~IPlatform() = default;
  // Modal; returns the button chosen (Cancel for Esc or the close box).
  virtual TMessageAnswer ShowMessage(const TMessage& Message) = 0;
  // One existing file; nothing when the user cancels.
  virtual std::optional<QString> ChooseOpenFile(const TOpenDialogRequest& Request) = 0;
  virtual int ScreenPpi() const = 0;
  virtual int ScreenDepth() const = 0;
  // Nothing when the version cannot be read.
  virtual std::optional<TPlatformVersion> PlatformVersion() const = 0;
  virtual void OpenUrl(const QString& Url) = 0;
};

} // namespace Quillmark
