#pragma once

#include "sim/Fault.h"

#include <QByteArray>
#include <QList>

namespace zlx::sim {

// The sign's model code, kept at memory address 0.
enum class Model : quint8 { Pages20 = 1, Pages40 = 2 };

// The sign's side of the serial protocol, without any I/O or event loop: bytes from the
// program go in, the sign's answer bytes come out. It holds the sign's 64 KiB memory.
class VirtualSign
{
public:
    static constexpr int kMemorySize = 0x10000;
    static constexpr int kLogLimit = 4096;

    explicit VirtualSign(Model model = Model::Pages20, Fault fault = {});

    // Takes the next bytes the program sent (any split) and returns what the sign answers to
    // the frames they complete. Partial frames are kept for the next call.
    QByteArray feed(const QByteArray &bytesFromProgram);

    // A fault's K counts the frames, answers or blocks from this call on.
    void setFault(Fault fault);
    Fault fault() const { return m_fault; }

    void setModel(Model model);   // writes the model code at address 0
    int modelCode() const;        // the byte at address 0
    int pageUnits() const;        // 256-byte units per page: 4 (model 1) or 2, 0 if unknown

    const QByteArray &memory() const { return m_memory; }
    bool setMemory(const QByteArray &image);  // false unless exactly 64 KiB; address 0 included
    QByteArray readMemory(int address, int length) const;  // wraps at 64 KiB
    void writeMemory(int address, const QByteArray &bytes);

    int framesReceived() const { return m_framesReceived; }  // valid frames, also unanswered ones
    int framesWritten() const { return m_framesWritten; }    // write frames carried out
    int readsServed() const { return m_readsServed; }        // read requests answered
    int endFramesSeen() const { return m_endFrames; }
    qint64 bytesSkipped() const { return m_bytesSkipped; }   // dropped while re-synchronising
    // The most recent valid frames (at most kLogLimit), oldest first.
    const QList<QByteArray> &frameLog() const { return m_log; }

    // A short text for a log line: "read 0x0000 2", "write 0x1800 22", "end".
    static QString describeFrame(const QByteArray &frame);

private:
    enum class Check { Incomplete, Bad, Complete };
    static Check checkFrame(const QByteArray &bytes);
    QByteArray handle(const QByteArray &frame);
    QByteArray readAnswer(const QByteArray &frame);
    QByteArray writeAnswer(const QByteArray &frame);
    bool silent() const;

    QByteArray m_memory;
    QByteArray m_rx;
    QList<QByteArray> m_log;
    Fault m_fault;
    int m_framesReceived = 0;
    int m_framesWritten = 0;
    int m_readsServed = 0;
    int m_blockReads = 0;
    int m_endFrames = 0;
    int m_answered = 0;
    struct Counts
    {
        int answered = 0;
        int framesWritten = 0;
        int blockReads = 0;
    } m_faultFrom;  // the counts when the fault was set
    qint64 m_bytesSkipped = 0;
};

}  // namespace zlx::sim
