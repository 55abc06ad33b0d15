#include "window/Product.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

// The build passes the project's version in.
#if !defined(QUILLMARK_VERSION_MAJOR) || !defined(QUILLMARK_VERSION_MINOR)
#error "QUILLMARK_VERSION_MAJOR and QUILLMARK_VERSION_MINOR come from the project's version"
#endif

namespace Quillmark {

QString ProductName()
{
  return u"Quillmark"_s;
}

QString ApplicationTitle()
{
  return u"Quillpad"_s;
}

QString VersionText()
{
  return QCoreApplication::translate("Quillmark::TAboutDlg", "Version %1.%2")
      .arg(QUILLMARK_VERSION_MAJOR)
      .arg(QUILLMARK_VERSION_MINOR);
}

QString CopyrightText()
{
  return QCoreApplication::translate("Quillmark::TAboutDlg", "Copyright © 2026 The Quillmark developers");
}

} // namespace Quillmark
