#pragma once

#include "link/PortMap.h"
#include "link/SignPort.h"

#include <QList>
#include <QSet>

#include <functional>

// A port the test (or the link's fuzz target) drives by hand: which COM numbers exist, what was
// written, answers delivered on demand (dataArrived fires once the threshold is reached, as on
// the real port). COMn is the address address(n); systemMap() lists COM1 to COM40 so.
class ScriptedPort final : public zlx::SignPort
{
public:
    using Status = zlx::PortStatus;
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
    std::function<void(const QString &)> log = [](const QString &) {};  // "open<n>", "write", "flush", "close"

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
    Status open(const QString &addr) override
    {
        ++opens;
        addresses << addr;
        m_buffer.clear();
        m_number = comOf(addr);
        log(QStringLiteral("open%1").arg(m_number));
        const Status status = refusing.contains(m_number) ? Status::NoPermission
                              : busy.contains(m_number)   ? Status::Busy
                              : existing.contains(m_number) && !vanished ? Status::Opened : Status::NoDevice;
        m_pending = pending && status == Status::Opened;
        m_open = !m_pending && status == Status::Opened;
        return m_pending ? Status::Pending : status;
    }
    // A pending open ends: opened, or why not.
    void finishOpen(Status status = Status::Opened)
    {
        if (!std::exchange(m_pending, false))
            return;
        m_open = status == Status::Opened;
        emit opened(status);
    }
    void close() override
    {
        if (m_open || m_pending)
            log(QStringLiteral("close"));
        m_open = m_pending = m_flushHeld = false;
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
        log(QStringLiteral("write"));
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
        log(QStringLiteral("flush"));
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
    void vanish(Status why = Status::Dropped)
    {
        vanished = true;
        if (std::exchange(m_open, false))
            emit lost(why);
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
    bool m_pending = false;
    bool m_flushHeld = false;
};
