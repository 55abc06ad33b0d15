#include "window/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

TTranslations::TTranslations(const QLocale& Locale)
{
  auto Install = [this, &Locale](const QString& Name, const QString& Folder) {
    auto Translator = std::make_unique<QTranslator>();
    // Tries de_DE, then de, in the locale's order of languages.
    if (!Translator->load(Locale, Name, u"_"_s, Folder)) {
      return false;
    }
    QCoreApplication::installTranslator(Translator.get());
    FInstalled.push_back(std::move(Translator));
    return true;
  };
  FQt = Install(u"qtbase"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  FOwn = Install(u"quillmark"_s, QString::fromLatin1(OwnCataloguePath));
}

TTranslations::~TTranslations()
{
  for (const auto& Translator : FInstalled) {
    QCoreApplication::removeTranslator(Translator.get());
  }
}

} // namespace Quillmark
