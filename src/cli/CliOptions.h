#pragma once

#include <QString>
#include <QStringList>

namespace zlx::cli {

// Exit statuses; with several signs the highest wins.
enum Exit : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitBadFile = 2,
    kExitDiffers = 3,
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
    int timeoutMs = 3000;
    int modelPages = 20;
    bool helpShown = false;  // --help or --version was printed: exit 0
    QString error;

    static CliOptions parse(const QStringList &arguments);
};

}  // namespace zlx::cli
