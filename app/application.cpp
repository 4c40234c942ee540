#include "application.h"

#include "pellimoerror.h"

#include <QFont>
#include <QMessageBox>

namespace {

std::function<void(const QString&)>& reporter()
{
    static std::function<void(const QString&)> r;
    return r;
}

} // namespace

PellimoApplication::PellimoApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{ }

bool PellimoApplication::notify(QObject* receiver, QEvent* event)
{
    bool result = false;
    runGuarded([&] { result = QApplication::notify(receiver, event); });
    return result;
}

void reportError(const QString& message)
{
    if (reporter()) {
        reporter()(errorBoxText(message));
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Pellimo"), errorBoxText(message), QMessageBox::Ok);
    box.exec();
}

void setErrorReporter(std::function<void(const QString&)> r)
{
    reporter() = std::move(r);
}

bool runGuarded(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const PellimoError& e) {
        reportError(e.message());
    } catch (const std::exception& e) {
        reportError(QString::fromLocal8Bit(e.what()));
    }
    return false;
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
}
