#pragma once

#include "core/stopwatch.h"

/** A stopwatch clock the test moves by hand; the wall clock can jump independently. */
class FakeClock final : public StopwatchClock
{
public:
    std::chrono::nanoseconds monotonic() const override { return m_mono; }
    QDateTime localNow() const override { return m_wall; }

    void advance(std::chrono::nanoseconds d)
    {
        m_mono += d;
        m_wall = m_wall.addMSecs(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
    }
    void jumpWallClock(qint64 ms) { m_wall = m_wall.addMSecs(ms); }
    void setWall(const QDateTime& wall) { m_wall = wall; }

private:
    std::chrono::nanoseconds m_mono { std::chrono::hours(1000) };
    QDateTime m_wall { QDate(2024, 5, 1), QTime(21, 30) };
};
