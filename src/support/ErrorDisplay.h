#pragma once
// The general error display: an error that no operation handles is shown in
// a message box captioned with the application's title, and the program goes
// on. Event handlers catch at their own edge and come here, so nothing
// unwinds through Qt, which does not allow it.
#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace Quillmark {

class IPlatform;

// The text shown for an error: the exception's own message, or a general
// one for an error that carries none.
QString UnhandledErrorText(const std::exception_ptr& Error);

// Shows Error through Platform, owned by Owner (none: centred on the
// screen), captioned with the application's title.
void ShowUnhandledError(IPlatform& Platform, QWidget* Owner, const std::exception_ptr& Error);

// Runs Handler; whatever it throws is shown by the general error display.
// True when it ran to its end.
bool RunHandler(IPlatform& Platform, QWidget* Owner, const std::function<void()>& Handler);

} // namespace Quillmark
