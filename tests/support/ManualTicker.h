#pragma once

#include "link/Ticker.h"

// A timer that ticks only when the test says so.
class ManualTicker final : public zlx::Ticker
{
public:
    void setInterval(std::chrono::milliseconds interval) override { m_interval = interval; }
    std::chrono::milliseconds interval() const override { return m_interval; }
    void setEnabled(bool enabled) override
    {
        starts += enabled && !m_enabled ? 1 : 0;
        m_enabled = enabled;
    }
    bool isEnabled() const override { return m_enabled; }

    // A tick as the real timer would give it: only while enabled with an interval.
    bool fire()
    {
        if (!m_enabled || m_interval.count() == 0)
            return false;
        emit tick();
        return true;
    }

    int starts = 0;  // how often it was started afresh

private:
    std::chrono::milliseconds m_interval{0};
    bool m_enabled = false;
};
