#include "support/ErrorDisplay.h"

#include "support/Platform.h"

#include <QCoreApplication>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace Quillmark {

QString UnhandledErrorText(const std::exception_ptr& Error)
{
  try {
    std::rethrow_exception(Error);
  } catch (const std::exception& Caught) {
    return QString::fromUtf8(Caught.what());
  } catch (...) {
    return QCoreApplication::translate("Quillmark::ErrorDisplay", "An unexpected error occurred.");
  }
}

void ShowUnhandledError(IPlatform& Platform, QWidget* Owner, const std::exception_ptr& Error)
{
  TMessage Message;
  Message.Owner = Owner;
  Message.Caption = QCoreApplication::applicationName();
  Message.Text = UnhandledErrorText(Error);
  Message.Icon = TMessageIcon::Error;
  Platform.ShowMessage(Message);
}

bool RunHandler(IPlatform& Platform, QWidget* Owner, const std::function<void()>& Handler)
{
  try {
    Handler();
    return true;
  } catch (...) {
    ShowUnhandledError(Platform, Owner, std::current_exception());
    return false;
  }
}

} // namespace Quillmark
