#pragma once

#include <QObject>
#include <chrono>

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

}  // namespace zlx
