#pragma once
// The sentences the window shows for what the engine reports by code: a
// refused value, a picture that cannot be used or opened, the side file of
// an interrupted save, the cause of a failure. Each is one whole sentence
// with its arguments, translated for the user's language.
#include "catalogue/Catalogue.h"
#include "catalogue/PictureRules.h"
#include "metadata/MetadataEditor.h"

#include <QString>

class QWidget;

namespace Quillmark {

// The property of a text field in the form that holds the sentence telling
// the user that its text is too long, with %1 for the most characters.
inline constexpr const char* TooLongProperty = "tooLongText";

// Why saving refused the value of Attribute's field, Field (FieldOf): a
// text field's own sentence, else the attribute's.
QString RefusalText(TAttribute Attribute, const QWidget* Field);

// "Could not delete %1", Name being the attribute's.
QString DeleteFailedText(const QString& Name);

// The message of a picture load that was rejected or could not open Path.
QString PictureLoadText(TPictureKind Kind, TPictureLoad Status, const QString& Path);

// What opening the file at Path found of an interrupted save; empty for
// nothing found.
QString SideFileText(const TSideFileReport& Report, const QString& Path);

// The cause of a failed open or save; the system's own words when the
// cause has no name, empty when nothing is known.
QString CauseText(const TFailureReason& Reason);

// The part of Path after its last '/', a byte that is no text shown as
// U+FFFD.
QString NameOf(const QString& Path);

} // namespace Quillmark
