// Linux layer: faces the windows ask for by their Windows names resolve straight to the face
// that stands in for them here.

#include "platform/platform.h"

#include <QFont>
#include <QFontDatabase>
#include <qpa/qplatformfontdatabase.h>

void resolveAbsentFacesToSubstitutes(const QStringList& faces)
{
    // Qt looks an absent face up, fails, and before it tries the substitutes has fontconfig sort
    // every installed font into a fallback list for the absent name: a few million instructions
    // at start for a list nothing reads. Registered as another name of its first installed
    // substitute, the face is found at once and gets the same font and the same fallbacks.
    const QStringList installed = QFontDatabase::families();
    for (const QString& face : faces) {
        if (installed.contains(face, Qt::CaseInsensitive))
            continue; // the face itself is there (fonts copied from Windows): it wins, as before
        const QStringList substitutes = QFont::substitutes(face);
        for (const QString& substitute : substitutes) {
            if (installed.contains(substitute, Qt::CaseInsensitive)) {
                QPlatformFontDatabase::registerAliasToFontFamily(substitute, face);
                break;
            }
        }
    }
}
