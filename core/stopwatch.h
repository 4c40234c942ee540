#pragma once

#include <chrono>
#include <QDateTime>

/** Where the stopwatch takes its time from; tests drive a fake. */
class StopwatchClock
{
public:
    virtual ~StopwatchClock() = default;
    /** A monotonic reading: never jumps with the wall clock, never runs backwards. */
    virtual std::chrono::nanoseconds monotonic() const = 0;
    /** The local wall-clock date and time, for the result line. */
    virtual QDateTime localNow() const = 0;
};

/** The real clocks: steady_clock and the local time. */
class SystemStopwatchClock final : public StopwatchClock
{
public:
    std::chrono::nanoseconds monotonic() const override;
    QDateTime localNow() const override;
};

/**
 * The stopwatch's three values. Elapsed time is measured on a monotonic clock, so a run
 * across midnight or across a clock change shows its true length.
 */
class Stopwatch
{
public:
    explicit Stopwatch(const StopwatchClock& clock);

    /** Fresh start from zero, or a resume that carries on from the elapsed time of the last stop. */
    void start(bool fresh);
    /** A timer tick: remembers now as the stop time; returns stop - start. */
    std::chrono::nanoseconds tick();
    /** Stops: stop time := now, elapsed := stop - start; returns the elapsed time. */
    std::chrono::nanoseconds stop();
    /** stop - start as of the last tick or stop: what the label shows. */
    std::chrono::nanoseconds shown() const { return m_stopTime - m_startTime; }

private:
    const StopwatchClock& m_clock;
    std::chrono::nanoseconds m_startTime { 0 };
    std::chrono::nanoseconds m_stopTime { 0 };
    std::chrono::nanoseconds m_elapsed { 0 };
};
