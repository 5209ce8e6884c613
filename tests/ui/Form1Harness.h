#pragma once

#include "EditorHelpers.h"
#include "ManualTicker.h"
#include "RecordingPresenter.h"
#include "ScriptedPort.h"
#include "TestFiles.h"
#include "app/Form1.h"
#include "editor/PageEditor.h"

#include <QTemporaryDir>
#include <QToolButton>

// Form1 on a scripted port with hand-fired timers, recorded boxes and scripted file dialogs;
// with a model code, a sign answering with it has been found on COM1.
struct Form1Harness
{
    explicit Form1Harness(int model = 0)
    {
        auto p = std::make_unique<ScriptedPort>();
        auto t1 = std::make_unique<ManualTicker>();
        auto t2 = std::make_unique<ManualTicker>();
        port = p.get();
        timer1 = t1.get();
        timer2 = t2.get();
        form = std::make_unique<zlx::Form1>(std::move(p), ScriptedPort::systemMap(), std::move(t1), std::move(t2));
        auto b = std::make_unique<RecordingPresenter>();
        boxes = b.get();
        form->setMessagePresenter(std::move(b));
        form->setFileChooser([this](zlx::FileDialogKind kind) {
            dialogs.append(kind);
            return chosenFile;
        });
        if (model)
            detect(model);
    }

    // A scan pass that finds a sign on COM1 answering with this model code.
    void detect(int code)
    {
        timer2->fire();
        port->deliver(QByteArray::fromHex("b5") + char(code) + QByteArray(2, '\0'));
    }

    zlx::PageEditor &editor() { return *form->editor(); }
    QLabel *panel(int n) const { return form->findChild<QLabel *>(QStringLiteral("panel%1").arg(n)); }
    QString path(const QString &name) const { return dir.filePath(name); }
    // Opens/saves through the buttons with the dialog answering `name` ("" = cancelled).
    void open(const QString &name) { choose(name)->cmdAbrir->click(); }
    void save(const QString &name) { choose(name)->cmdGuardar->click(); }
    zlx::Form1 *choose(const QString &name)
    {
        chosenFile = name.isEmpty() ? QString() : path(name);
        return form.get();
    }

    QTemporaryDir dir;
    ScriptedPort *port = nullptr;
    ManualTicker *timer1 = nullptr;
    ManualTicker *timer2 = nullptr;
    RecordingPresenter *boxes = nullptr;
    QString chosenFile;
    QList<zlx::FileDialogKind> dialogs;
    std::unique_ptr<zlx::Form1> form;
};

// The file lines of entries, each ended by CR LF, padded with empty lines to `lines`.
inline QByteArray projectBytes(const QList<QByteArray> &entries, int lines)
{
    QByteArray out;
    for (int k = 0; k < lines; ++k)
        out += (k < entries.size() ? entries.at(k) : QByteArray()) + "\r\n";
    return out;
}
