#pragma once

// Deterministic randomness, value noise and soft shadows for the artwork: the same seed gives
// the same pixels on every run and machine.

#include <algorithm>
#include <cstdint>
#include <QImage>
#include <vector>

/** Tiny xorshift generator: the same seed gives the same artwork on every run and machine. */
class XorShift32 final
{
public:
    explicit XorShift32(std::uint32_t seed)
        : m_state(seed != 0 ? seed : 0x9E3779B9u)
    { }

    std::uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }

    double uniform() { return next() / 4294967296.0; }
    double range(double low, double high) { return low + (high - low) * uniform(); }

private:
    std::uint32_t m_state;
};

/** Smooth value noise on a square grid; large cells keep the texture calm when scaled down. */
class ValueNoise final
{
public:
    ValueNoise(int cell, int extent, std::uint32_t seed)
        : m_cell(cell)
        , m_side(extent / cell + 2)
    {
        XorShift32 rng(seed);
        m_values.resize(static_cast<std::size_t>(m_side) * static_cast<std::size_t>(m_side));
        for (double& value : m_values)
            value = rng.range(-1.0, 1.0);
    }

    double at(double x, double y) const
    {
        const double gx = x / m_cell;
        const double gy = y / m_cell;
        const int ix = std::clamp(static_cast<int>(gx), 0, m_side - 2);
        const int iy = std::clamp(static_cast<int>(gy), 0, m_side - 2);
        const double fx = smooth(gx - ix);
        const double fy = smooth(gy - iy);
        const double top = lerp(value(ix, iy), value(ix + 1, iy), fx);
        const double bottom = lerp(value(ix, iy + 1), value(ix + 1, iy + 1), fx);
        return lerp(top, bottom, fy);
    }

private:
    static double smooth(double t) { return t * t * (3.0 - 2.0 * t); }
    static double lerp(double a, double b, double t) { return a + (b - a) * t; }
    double value(int ix, int iy) const { return m_values[static_cast<std::size_t>(iy * m_side + ix)]; }

    int m_cell;
    int m_side;
    std::vector<double> m_values;
};

/** Three box blurs in a row come close to a Gaussian; enough for soft shadows. */
void blurAlpha(QImage& layer, int radius);
