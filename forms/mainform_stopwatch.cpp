#include "core/pellimoerror.h"
#include "core/timeformat.h"
#include "forms/mainform.h"
#include "platform/platform.h"
#include "widgets/glassbutton.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

timefmt::Separators localSeparators()
{
    // The default locale is the user's unless the program sets another.
    return timefmt::separatorsOf(QLocale());
}

} // namespace

void TForm1::btnSTAClick()
{
    btnAllClear->setEnabled(true);
    excBtnEnabled(true);
    m_stopwatch.start(lblTIME->text() == timefmt::ResetText);
    Timer1->start();
    btnEND->setEnabled(true);
    btnSTA->setEnabled(false);
}

void TForm1::Timer1Timer()
{
    lblTIME->setText(timefmt::formatDuration(m_stopwatch.tick(), localSeparators()));
}

void TForm1::btnENDClick()
{
    lblTIME->setText(timefmt::formatDuration(m_stopwatch.stop(), localSeparators()));
    Timer1->stop();
    btnEND->setEnabled(false);
    btnCOPY->setEnabled(true);
    btnSTA->setEnabled(true);
}

void TForm1::excTimerReset()
{
    Timer1->stop();
    lblTIME->setText(timefmt::ResetText);
    btnCOPY->setEnabled(false);
}

void TForm1::btnCOPYClick()
{
    const timefmt::Separators seps = localSeparators();
    const QString dateTime = timefmt::formatDateTime(m_clock->localNow(), seps);
    const QString duration = timefmt::formatDuration(m_stopwatch.shown(), seps);
    const QString line = timefmt::resultLine(edtNAME->text(), duration, dateTime, windowTitle());

    QGuiApplication::clipboard()->setText(line, QClipboard::Clipboard);
    // Setting the text only claims the clipboard; another client may take it back at once.
    if (!clipboardHolds(line)) {
        throw PellimoError(QStringLiteral("クリップボード %1 を開けません")
                               .arg(QStringLiteral("(the clipboard could not be taken over)")));
    }
}
