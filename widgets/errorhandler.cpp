#include "errorhandler.h"

#include "pellimoerror.h"

#include <QMessageBox>

namespace {

std::function<void(const QString&)>& reporter()
{
    static std::function<void(const QString&)> r;
    return r;
}

} // namespace

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
