#pragma once

#include <QString>
#include <QStringList>

namespace zlx::cli {

// Exit statuses; with several signs the highest wins.
enum Exit : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitBadFile = 2,
    kExitNotWhole = 3,  // the sign does not hold the whole program the file places
    kExitNoSign = 4,
    kExitExchange = 5,
    kExitWriteFailed = 6,
};

enum class Command { None, Ports, Detect, Send, Read, Verify, Show };

// The command line, parsed and checked; error is set (and the rest unusable) on a usage error.
struct CliOptions
{
    Command command = Command::None;
    QString file;
    QStringList ports;   // as given to --port, in order
    bool json = false;
    bool quiet = false;
    bool all = false;         // detect: every sign of the port list
    bool allowEmpty = false;  // send: a program that places no row blanks the sign
    int timeoutMs = 3000;
    int modelPages = 20;
    QString helpText;  // --help or --version: the text to print, and nothing else to do
    QString error;

    static CliOptions parse(const QStringList &arguments);
    // The address a --port value names: COMn's entry of the port list, else the value itself
    // (a relative path made absolute); empty for a COMn with no port.
    static QString portAddress(const QString &port);
};

}  // namespace zlx::cli
