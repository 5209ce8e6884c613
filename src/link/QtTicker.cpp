#include "link/QtTicker.h"

#include <QTimer>

namespace zlx {

QtTicker::QtTicker(QObject *parent)
    : Ticker(parent), m_timer(new QTimer(this))
{
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &Ticker::tick);
}

void QtTicker::setInterval(std::chrono::milliseconds interval)
{
    m_timer->setInterval(interval);
    if (m_enabled)
        apply();
}

std::chrono::milliseconds QtTicker::interval() const
{
    return m_timer->intervalAsDuration();
}

void QtTicker::setEnabled(bool enabled)
{
    m_enabled = enabled;
    apply();
}

bool QtTicker::isEnabled() const
{
    return m_enabled;
}

// An interval of 0 never ticks, whether enabled or not.
void QtTicker::apply()
{
    if (m_enabled && m_timer->interval() > 0)
        m_timer->start();
    else
        m_timer->stop();
}

}  // namespace zlx
