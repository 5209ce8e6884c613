#pragma once

#include "link/Ticker.h"

class QTimer;

namespace zlx {

// The real timer, a QTimer.
class QtTicker final : public Ticker
{
    Q_OBJECT
public:
    explicit QtTicker(QObject *parent = nullptr);

    void setInterval(std::chrono::milliseconds interval) override;
    std::chrono::milliseconds interval() const override;
    void setEnabled(bool enabled) override;
    bool isEnabled() const override;

private:
    void apply();

    QTimer *m_timer;
    bool m_enabled = false;
};

}  // namespace zlx
