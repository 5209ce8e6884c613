#include "TimingPort.h"

TimingPort::TimingPort(std::unique_ptr<zlx::SignPort> inner) : m_inner(std::move(inner))
{
    m_clock.start();
    connect(m_inner.get(), &zlx::SignPort::dataArrived, this, [this] {
        m_arrivalNs = m_clock.nsecsElapsed();
        emit dataArrived();
    });
    connect(m_inner.get(), &zlx::SignPort::lost, this, &zlx::SignPort::lost);
    connect(m_inner.get(), &zlx::SignPort::opened, this, &zlx::SignPort::opened);
    connect(m_inner.get(), &zlx::SignPort::flushed, this, &zlx::SignPort::flushed);
}

bool TimingPort::write(const QByteArray &bytes)
{
    if (m_arrivalNs >= 0) {
        m_turnarounds.append(double(m_clock.nsecsElapsed() - m_arrivalNs) / 1e6);
        m_arrivalNs = -1;
    }
    return m_inner->write(bytes);
}
