#pragma once

#include <chrono>
#include <QDateTime>
#include <QLocale>
#include <QString>

/** The stopwatch's text formats. ":" and "/" in a pattern become the locale's separators. */
namespace timefmt {

struct Separators
{
    QString time = QStringLiteral(":");
    QString date = QStringLiteral("/");
};

/** The time and date separators the locale uses in its short formats. */
Separators separatorsOf(const QLocale& locale);

/** The reset text of the time label; always with ":", whatever the locale. */
inline const QString ResetText = QStringLiteral("00:00.000");

/**
 * "nn:ss.zzz", rounded to the nearest millisecond. Durations of an hour or more show the
 * total minutes ("62:03.000"), never only the minutes within the hour. A negative duration
 * (which a monotonic clock never gives) shows as zero.
 */
QString formatDuration(std::chrono::nanoseconds duration, const Separators& seps);

/** "yyyy/MM/dd HH:mm" of a local date and time. */
QString formatDateTime(const QDateTime& local, const Separators& seps);

/** The result line that goes to the clipboard. */
QString resultLine(const QString& name, const QString& duration, const QString& dateTime, const QString& caption);

} // namespace timefmt
