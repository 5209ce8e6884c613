#pragma once

#include <QByteArray>
#include <QSerialPort>
#include <QTest>

// Writes a request and collects the answer until `size` bytes are in; returns the answer, or
// "timeout: " and what came.
inline QByteArray exchange(QSerialPort &port, const QByteArray &request, qsizetype size)
{
    port.write(request);
    QByteArray answer;
    const bool complete = QTest::qWaitFor([&] {
        answer += port.readAll();
        return answer.size() >= size;
    }, 5000);
    return complete ? answer : QByteArray("timeout: ") + answer.toHex(' ');
}
