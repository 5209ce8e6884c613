#pragma once

#include "protocol/Answers.h"

namespace zlx {

// The port scan: a pass probes COM1 upwards, one port per step of the scan timer; the step that
// reaches the last port probes it and ends the pass in the same tick, before it could answer.
class ScanStepper
{
public:
    static constexpr int kLastPort = 40;

    struct Probe
    {
        int port = 1;
        bool endsPass = false;
    };

    explicit ScanStepper(int lastPort = kLastPort) : m_lastPort(lastPort) {}

    Probe begin();  // COM1
    Probe step();   // the next port
    int port() const { return m_port; }

private:
    Probe probe() const { return {m_port, m_port >= m_lastPort}; }

    int m_lastPort;
    int m_port = 0;
};

}  // namespace zlx
