#pragma once

// The main window on its real port code, offscreen, against a virtual sign on a pty: by the pty's
// link, or through ser2net on loopback.
#include "DeviceServers.h"
#include "ManualTicker.h"
#include "RecordingPresenter.h"
#include "SignMemory.h"
#include "app/Form1.h"
#include "document/ProgramDocument.h"
#include "editor/PageEditor.h"
#include "link/QtSignPort.h"
#include "model/MessageEntry.h"
#include "session/ProgramSession.h"
#include "sim/PtySign.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <memory>

namespace e2etest {

using namespace zlx;
using namespace std::chrono_literals;

using Ended = std::pair<Exchange, Outcome>;

// Row 0 of each page: `text` and `length` letters, one per page.
MessageStore program(const QByteArray &text, int pages, int length = 1)
{
    MessageStore s;
    for (int p = 0; p < pages; ++p)
        s.setEntry(p, 0, entry::make(1, 2, '2', text + QByteArray(length, char('a' + p))));
    return s;
}

struct Window
{
    // mode: empty for the sign's pty by its link, else ser2net in front of it ("tcp", "rfc2217").
    explicit Window(const QString &mode = {})
    {
        if (!sign.open(link))
            qFatal("cannot open a pty: %s", qPrintable(sign.errorString()));
        QString address = link;
        if (!mode.isEmpty())
            problem = deviceservers::serve(sign.slavePath(), mode, dir.path(), server, address);
        auto pause = std::make_unique<ManualTicker>();
        timer2 = pause.get();
        form = std::make_unique<Form1>(std::make_unique<QtSignPort>(), PortMap({address}), nullptr, std::move(pause));
        form->setMessagePresenter(std::make_unique<RecordingPresenter>());
        form->link()->setResponseTimeout(500ms);
        form->link()->setLastScanPort(1);
        QObject::connect(form->session(), &ProgramSession::finished, [this](const ExchangeReport &r) {
            reports.append(r);
            ended.append({r.exchange, r.outcome});
        });
    }

    bool detect(int ms = 2000)
    {
        QSignalSpy found(form->link(), &SignLink::signFound);
        return timer2->fire() && found.wait(ms);
    }
    SignModel model() const { return *form->link()->model(); }
    PageEditor &editor() { return *form->editor(); }
    ProgramSession &session() { return *form->session(); }
    // Fills the row as the operator does; `expected` gets the entry the row stands for.
    void type(int row, int amount, const QString &text, MessageStore &expected)
    {
        EditorRow &r = editor().row(row);
        r.cmbEfecto->setCurrentIndex(0);
        r.cmbVelocidad->setEditText(QString::number(amount));
        r.cmbFuente->setCurrentIndex(1);
        QTest::keyClicks(r.Text1, text);
        expected.setEntry(editor().currentPage() - 1, row, entry::make(1, amount, '2', entry::textToStored(text)));
    }
    void put(const MessageStore &program) { signbytes::put(sign.sign(), program, model()); }
    bool signHolds(const MessageStore &program) const { return signbytes::holds(sign.sign(), program, model()); }

    QTemporaryDir dir;
    QString link = dir.filePath(QStringLiteral("ttyZLX"));
    sim::PtySign sign;
    deviceservers::Child server;  // killed after the window lets go of the port
    QString problem;  // why the device server did not start
    ManualTicker *timer2 = nullptr;
    std::unique_ptr<Form1> form;
    QList<ExchangeReport> reports;
    QList<Ended> ended;
    QSignalSpy taken{&sign, &sim::PtySign::frameHandled};
};

}  // namespace e2etest
