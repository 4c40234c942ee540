#include "application.h"

#include "pellimoerror.h"

#include <algorithm>
#include <QFont>
#include <QMessageBox>

namespace {

std::function<void(const QString&)>& reporter()
{
    static std::function<void(const QString&)> r;
    return r;
}

/**
 * The window a message box belongs to: the program's active window (a modal dialog first), else
 * its visible main window. A box transient for it (owned by it, on Windows) is stacked above it
 * by the window manager, also above a stay-on-top window; a box of its own could open behind.
 */
QWidget* messageBoxOwner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto main = std::find_if(windows.begin(), windows.end(), [](const QWidget* w) {
        return w->isVisible() && !w->parentWidget() && w->windowType() == Qt::Window;
    });
    return main == windows.end() ? nullptr : *main;
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
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Pellimo"), errorBoxText(message), QMessageBox::Ok,
                    messageBoxOwner());
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
