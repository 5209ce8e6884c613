#pragma once

#include <QObject>
#include <chrono>

class QTimer;

namespace zlx {

// A millisecond timer the link can be driven by; tests swap in one they fire by hand.
class Ticker : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~Ticker() override;

    virtual void setInterval(std::chrono::milliseconds interval) = 0;
    virtual std::chrono::milliseconds interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;  // enabling restarts the interval
    virtual bool isEnabled() const = 0;

signals:
    void tick();
};

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
