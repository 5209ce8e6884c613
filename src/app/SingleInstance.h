#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace zlx {

// One window per user session. The first start listens on a local socket of the user's own;
// a later start hands its file (or nothing) to it and ends, instead of scanning the ports a
// second time.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // The socket the user's running window listens on.
    static QString defaultName();

    explicit SingleInstance(const QString &name = defaultName(), QObject *parent = nullptr);

    // True when a running window took the file (an absolute path, or empty): this start ends.
    bool handOver(const QString &fileName);
    // This start is the running window from now on. False when the socket cannot be made;
    // the window runs all the same.
    bool listen();

signals:
    void fileHandedOver(const QString &fileName);  // empty: a start without a file

private:
    void onConnection();

    QString m_name;
    QLocalServer *m_server = nullptr;
};

}  // namespace zlx
