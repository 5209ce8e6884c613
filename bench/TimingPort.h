#pragma once

#include "link/SignPort.h"

#include <QElapsedTimer>
#include <QList>
#include <memory>

// Wraps the real port and notes when answers arrive and frames leave, to measure the program's
// own turnaround: from an answer's arrival to the next write.
class TimingPort final : public zlx::SignPort
{
    Q_OBJECT
public:
    explicit TimingPort(std::unique_ptr<zlx::SignPort> inner);

    QList<double> turnaroundsMs() const { return m_turnarounds; }
    void resetFigures() { m_turnarounds.clear(); }

    void setSettings(const zlx::PortSettings &s) override { m_inner->setSettings(s); }
    void setReceiveThreshold(int bytes) override { m_inner->setReceiveThreshold(bytes); }
    int receiveThreshold() const override { return m_inner->receiveThreshold(); }
    zlx::PortStatus open(const QString &address) override { return m_inner->open(address); }
    void close() override { m_inner->close(); }
    bool isOpen() const override { return m_inner->isOpen(); }
    QString detail() const override { return m_inner->detail(); }
    std::chrono::milliseconds quietTime() const override { return m_inner->quietTime(); }
    void discardInput() override { m_inner->discardInput(); }
    bool write(const QByteArray &bytes) override;
    QByteArray read() override { return m_inner->read(); }
    qint64 bytesWaiting() const override { return m_inner->bytesWaiting(); }
    void flush() override { m_inner->flush(); }

private:
    std::unique_ptr<zlx::SignPort> m_inner;
    QElapsedTimer m_clock;
    qint64 m_arrivalNs = -1;
    QList<double> m_turnarounds;
};
