#pragma once

#include "link/SignPort.h"

#include <QList>
#include <QSet>

// A port the test (or the link's fuzz target) drives by hand: which COM numbers exist, what was written, answers delivered
// on demand (dataArrived fires once the threshold is reached, as on the real port).
class ScriptedPort final : public zlx::SignPort
{
public:
    QSet<int> existing{1};          // COM numbers that open
    QSet<int> refusing;             // COM numbers whose device the user may not open
    bool vanished = false;           // unplugged: nothing opens, is written or arrives
    QList<QByteArray> writes;        // every write, in order
    QList<int> writePorts;           // the COM number each write went to
    int opens = 0;
    int drains = 0;
    bool writeFails = false;
    bool drainFails = false;

    void setPortNumber(int number) override { m_number = number; }
    int portNumber() const override { return m_number; }
    void setSettings(const zlx::PortSettings &settings) override { m_settings = settings; }
    void setReceiveThreshold(int bytes) override { m_threshold = bytes; }
    int receiveThreshold() const override { return m_threshold; }
    QString devicePath() const override { return QStringLiteral("/dev/ttyS%1").arg(m_number - 1); }
    zlx::OpenResult open() override
    {
        ++opens;
        m_buffer.clear();
        m_open = !refusing.contains(m_number) && existing.contains(m_number) && !vanished;
        if (refusing.contains(m_number))
            return zlx::OpenResult::NoPermission;
        return m_open ? zlx::OpenResult::Opened : zlx::OpenResult::NoDevice;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void discardInput() override
    {
        if (m_open)
            m_buffer.clear();
    }
    bool write(const QByteArray &bytes) override
    {
        if (!m_open || vanished || writeFails)
            return false;
        writes.append(bytes);
        writePorts.append(m_number);
        return true;
    }
    QByteArray read() override
    {
        const QByteArray out = m_buffer.left(m_settings.inputLen);
        m_buffer.remove(0, out.size());
        return out;
    }
    qint64 bytesWaiting() const override { return m_buffer.size(); }
    bool drain() override
    {
        ++drains;
        return m_open && !vanished && !drainFails;
    }

    // The device goes away under an open port, as a pulled adapter does.
    void vanish()
    {
        vanished = true;
        if (m_open) {
            m_open = false;
            emit lost();
        }
    }

    // The sign answers: bytes arrive in the receive buffer of an open port.
    void deliver(const QByteArray &bytes)
    {
        if (!m_open || vanished)
            return;
        m_buffer.append(bytes);
        if (m_threshold > 0 && m_buffer.size() >= m_threshold)
            emit dataArrived();
    }

private:
    zlx::PortSettings m_settings;
    QByteArray m_buffer;
    int m_number = 1;
    int m_threshold = 0;
    bool m_open = false;
};
