#pragma once

#include "platform/platform.h"

#include <QCloseEvent>
#include <QDialog>

/**
 * A dialog that closing only hides. Qt destroys a top-level's native window when it is closed,
 * so each opening would build it again and the window manager would take in a new window; a
 * hidden dialog keeps its window, its class and its icon for the next opening. Every way of
 * closing ends here: the dialog's own buttons (close(), accept(), reject()), Esc and the close
 * box.
 */
class KeptDialog : public QDialog
{
public:
    using QDialog::QDialog;

    void done(int result) override
    {
        setResult(result);
        hide(); // ends exec()
        Q_EMIT finished(result);
        if (result == Accepted)
            Q_EMIT accepted();
        else if (result == Rejected)
            Q_EMIT rejected();
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (!Platform::instance().keepsClosedDialogWindows()) {
            QDialog::closeEvent(event);
            return;
        }
        if (isVisible())
            reject();
        // Refused, so that Qt leaves the native window alone; the dialog is hidden all the same.
        event->ignore();
    }
};
