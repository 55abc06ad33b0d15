#pragma once
// The program's texts and Qt's own (its buttons, its file dialog) in the
// user's language: the program's catalogue is built into it, Qt's comes
// from where Qt keeps its translations.
#include <QLocale>
#include <QTranslator>
#include <memory>
#include <vector>

namespace Quillmark {

// Where the program's own catalogues lie: quillmark_<language>.qm.
inline constexpr char OwnCataloguePath[] = ":/i18n";

class TTranslations {
public:
  // Loads and installs the catalogues for Locale, Qt's and then the
  // program's; a language without one stays English. Needs the
  // application object.
  explicit TTranslations(const QLocale& Locale = QLocale());
  ~TTranslations();
  TTranslations(const TTranslations&) = delete;
  TTranslations& operator=(const TTranslations&) = delete;

  // Whether the program's own catalogue for the locale was found.
  bool HasOwn() const { return FOwn; }
  // Whether Qt's catalogue for the locale was found.
  bool HasQt() const { return FQt; }

private:
  std::vector<std::unique_ptr<QTranslator>> FInstalled;
  bool FOwn = false;
  bool FQt = false;
};

} // namespace Quillmark
