#include "core/timeformat.h"

namespace timefmt {
namespace {

// The first character after the leading run of `field` characters that is not a field letter.
QString separatorAfter(const QString& format, QChar field, const QString& fallback)
{
    const qsizetype at = format.indexOf(field, 0, Qt::CaseInsensitive);
    if (at < 0)
        return fallback;
    qsizetype i = at;
    while (i < format.size() && format.at(i).toLower() == field.toLower())
        ++i;
    if (i >= format.size() || format.at(i).isLetter() || format.at(i) == u'\'' || format.at(i).isSpace())
        return fallback;
    return QString(format.at(i));
}

QString twoDigits(qint64 v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

} // namespace

Separators separatorsOf(const QLocale& locale)
{
    Separators seps;
    seps.time = separatorAfter(locale.timeFormat(QLocale::ShortFormat), u'h', seps.time);
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    const QString afterYear = separatorAfter(dateFormat, u'y', QString());
    const QString afterMonth = separatorAfter(dateFormat, u'M', QString());
    seps.date = !afterMonth.isEmpty() ? afterMonth : (!afterYear.isEmpty() ? afterYear : seps.date);
    return seps;
}

QString formatDuration(std::chrono::nanoseconds duration, const Separators& seps)
{
    using namespace std::chrono;
    const qint64 ns = std::max<qint64>(0, duration.count());
    const qint64 ms = (ns + 500'000) / 1'000'000; // nearest millisecond, halves up
    const qint64 minutes = ms / 60'000;
    const qint64 seconds = (ms / 1000) % 60;
    const qint64 millis = ms % 1000;
    return twoDigits(minutes) + seps.time + twoDigits(seconds) + u'.'
        + QStringLiteral("%1").arg(millis, 3, 10, QLatin1Char('0'));
}

QString formatDateTime(const QDateTime& local, const Separators& seps)
{
    const QDate d = local.date();
    const QTime t = local.time();
    return QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0')) + seps.date + twoDigits(d.month()) + seps.date
        + twoDigits(d.day()) + u' ' + twoDigits(t.hour()) + seps.time + twoDigits(t.minute());
}

QString resultLine(const QString& name, const QString& duration, const QString& dateTime, const QString& caption)
{
    return name + u'\'' + QStringLiteral("s record") + u"\u300E " + duration + u" \u300F\u3000" + u"( " + dateTime
        + u"\u3000by " + caption + u" )";
}

} // namespace timefmt
