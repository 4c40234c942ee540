#include "app/application.h"

#include "forms/errorhandler.h"
#include "platform/platform.h"

#include <QFont>

PellimoApplication::PellimoApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{ }

bool PellimoApplication::notify(QObject* receiver, QEvent* event)
{
    bool result = false;
    runGuarded([&] { result = QApplication::notify(receiver, event); });
    return result;
}

void prepareApplication()
{
    // Outside any namespace: the macro declares the resource initialiser where it stands.
    Q_INIT_RESOURCE(resources);
    installFontSubstitutions();
    // One look on every desktop: the layouts' pixel positions (such as "Always" over the check
    // box text "on Top") are made for this style's metrics, and the tests pin it too.
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void installFontSubstitutions()
{
    // Without these the face Qt picks for the Windows fonts changes with the user's language.
    // Meiryo UI is a narrow face: a narrow Latin face keeps the option names inside the 40-pixel
    // tree buttons, and the CJK face supplies the full-width digits and brackets.
    QFont::insertSubstitutions(QStringLiteral("Meiryo UI"),
                               { QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Noto Sans CJK JP") });
    QFont::insertSubstitutions(
        QStringLiteral("Tahoma"),
        { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK JP") });
    resolveAbsentFacesToSubstitutes({ QStringLiteral("Meiryo UI"), QStringLiteral("Tahoma") });
}
