#pragma once

#include "sim/AnswerPacer.h"
#include "sim/VirtualSign.h"

#include <QObject>
#include <QString>

namespace zlx::sim {

// What every host of a VirtualSign shares, whatever carries the bytes (a pty, a TCP client):
// the sign, the line's pacing, and the memory file. A host hands in the bytes it receives with
// takeByte() and writes out what writeOut() is given.
class SignHost : public QObject
{
    Q_OBJECT
public:
    explicit SignHost(Model model, QObject *parent = nullptr);

    // N > 0: every byte takes the line time of 10 bits at N baud in each direction. 0: no delay.
    void setPaceBaud(int baud) { m_pacer.setPaceBaud(baud); }
    int paceBaud() const { return m_pacer.paceBaud(); }

    // Loads the memory from path if the file exists; from then on the memory is saved there after
    // every end frame. False (with errorString()) if an existing file cannot be loaded.
    bool setMemoryFile(const QString &path);
    bool saveMemory();  // to the memory file, if there is one

    VirtualSign &sign() { return m_sign; }
    const VirtualSign &sign() const { return m_sign; }
    qint64 bytesDropped() const { return m_dropped; }  // answer bytes the line would not take
    QString errorString() const { return m_error; }

signals:
    // One valid frame from the program and the sign's answer to it (before any delay).
    void frameHandled(const QByteArray &frame, const QByteArray &answer);
    void endFrameReceived();
    void answerBytesSent(const QByteArray &bytes);

protected:
    // One byte from the program, handed over at nowNs (the pacer's clock).
    void takeByte(char byte, qint64 nowNs);
    // Writes answer bytes to the program; returns how many the line took.
    virtual qsizetype writeOut(const QByteArray &bytes) = 0;

    AnswerPacer &pacer() { return m_pacer; }
    void setErrorString(const QString &error) { m_error = error; }

private:
    void sendDue(const QByteArray &bytes);

    VirtualSign m_sign;
    AnswerPacer m_pacer;
    QString m_memoryFile;
    QString m_error;
    qint64 m_dropped = 0;
};

}  // namespace zlx::sim
