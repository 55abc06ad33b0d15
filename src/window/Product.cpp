#include "window/Product.h"

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
  return u"Version %1.%2"_s.arg(QUILLMARK_VERSION_MAJOR).arg(QUILLMARK_VERSION_MINOR);
}

QString CopyrightText()
{
  return u"Copyright \u00A9 2026 The Quillmark developers"_s;
}

} // namespace Quillmark
