#include "forms/errorhandler.h"

#include "core/filestore.h"
#include "core/pellimoerror.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <QApplication>
#include <QMessageBox>

namespace {

constexpr int BoxFiles = 4;

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

void reportError(const QString& message)
{
    if (reporter()) {
        reporter()(errorBoxText(message));
        return;
    }
    // A box needs a few files of its own to be drawn (seen: two); without them it opens blank and
    // never answers, and the program hangs. Say it where it can still be read, and end.
    if (!filestore::canOpenFiles(BoxFiles)) {
        std::fprintf(stderr, "PLMO: %s\n", errorBoxText(message).toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
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
