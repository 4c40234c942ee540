// On Windows the clipboard is read back from the system itself: Qt opens it for every read.
#include "platform/platform.h"

#include <QClipboard>
#include <QGuiApplication>

bool clipboardHolds(const QString& text)
{
    return QGuiApplication::clipboard()->text() == text;
}
