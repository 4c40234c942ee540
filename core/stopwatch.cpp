#include "core/stopwatch.h"

std::chrono::nanoseconds SystemStopwatchClock::monotonic() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

QDateTime SystemStopwatchClock::localNow() const
{
    return QDateTime::currentDateTime();
}

Stopwatch::Stopwatch(const StopwatchClock& clock)
    : m_clock(clock)
{ }

void Stopwatch::start(bool fresh)
{
    const auto now = m_clock.monotonic();
    m_startTime = fresh ? now : now - m_elapsed;
}

std::chrono::nanoseconds Stopwatch::tick()
{
    m_stopTime = m_clock.monotonic();
    return m_stopTime - m_startTime;
}

std::chrono::nanoseconds Stopwatch::stop()
{
    m_stopTime = m_clock.monotonic();
    m_elapsed = m_stopTime - m_startTime;
    return m_elapsed;
}
