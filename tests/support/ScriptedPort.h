#pragma once

#include "link/PortMap.h"
#include "link/SignPort.h"

#include <QList>
#include <QSet>

// A port the test (or the link's fuzz target) drives by hand: which COM numbers exist, what was
// written, answers delivered on demand (dataArrived fires once the threshold is reached, as on
// the real port). COMn is the address address(n); systemMap() lists COM1 to COM40 so.
class ScriptedPort final : public zlx::SignPort
{
public:
    QSet<int> existing{1};          // COM numbers that open
    QSet<int> refusing;             // COM numbers whose device the user may not open
    QSet<int> busy;                 // COM numbers another program holds
    bool pending = false;           // opens as a network port does: later, through finishOpen()
    bool vanished = false;          // unplugged: nothing opens, is written or arrives
    bool writeFails = false;
    bool flushFails = false;
    bool holdFlush = false;         // flushed() only through finishFlush()
    std::chrono::milliseconds quiet{0};
    QList<QByteArray> writes;       // every write, in order
    QList<int> writePorts;          // the COM number each write went to
    QStringList addresses;          // the address of every open
    int opens = 0;
    int flushes = 0;

    static QString address(int com) { return QStringLiteral("/dev/ttyS%1").arg(com - 1, 2, 10, QLatin1Char('0')); }
    static int comOf(const QString &address) { return address.mid(9).toInt() + 1; }
    static zlx::PortMap systemMap()
    {
        return zlx::PortMap([] {
            QStringList all;
            for (int com = 1; com <= 40; ++com)
                all << address(com);
            return all;
        });
    }

    void setSettings(const zlx::PortSettings &settings) override { m_settings = settings; }
    void setReceiveThreshold(int bytes) override { m_threshold = bytes; }
    int receiveThreshold() const override { return m_threshold; }
    zlx::PortStatus open(const QString &addr) override
    {
        ++opens;
        addresses << addr;
        m_buffer.clear();
        m_number = comOf(addr);
        m_open = false;
        const zlx::PortStatus status = statusOf(m_number);
        if (pending && status == zlx::PortStatus::Opened) {
            m_pending = true;
            return zlx::PortStatus::Pending;
        }
        m_open = status == zlx::PortStatus::Opened;
        return status;
    }
    // A pending open ends: opened, or why not.
    void finishOpen(zlx::PortStatus status = zlx::PortStatus::Opened)
    {
        if (!m_pending)
            return;
        m_pending = false;
        m_open = status == zlx::PortStatus::Opened;
        emit opened(status);
    }
    void close() override
    {
        m_open = false;
        m_pending = false;
        m_flushHeld = false;
    }
    bool isOpen() const override { return m_open; }
    QString detail() const override { return {}; }
    std::chrono::milliseconds quietTime() const override { return quiet; }
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
    void flush() override
    {
        ++flushes;
        m_flushHeld = holdFlush;
        if (!holdFlush)
            emit flushed(m_open && !vanished && !flushFails);
    }
    void finishFlush(bool ok = true)
    {
        if (std::exchange(m_flushHeld, false))
            emit flushed(ok);
    }

    // The device goes away under an open port, as a pulled adapter does.
    void vanish(zlx::PortStatus why = zlx::PortStatus::Dropped)
    {
        vanished = true;
        if (m_open) {
            m_open = false;
            emit lost(why);
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
    zlx::PortStatus statusOf(int com) const
    {
        if (refusing.contains(com))
            return zlx::PortStatus::NoPermission;
        if (busy.contains(com))
            return zlx::PortStatus::Busy;
        return existing.contains(com) && !vanished ? zlx::PortStatus::Opened : zlx::PortStatus::NoDevice;
    }

    zlx::PortSettings m_settings;
    QByteArray m_buffer;
    int m_number = 1;
    int m_threshold = 0;
    bool m_open = false;
    bool m_pending = false;
    bool m_flushHeld = false;
};
