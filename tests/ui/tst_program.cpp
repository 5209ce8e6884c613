// The program as the operator's document, through the window's buttons and keys: the questions
// that guard unsaved work, files from outside (dropped, handed over), undo and redo next to the
// text boxes' own, the keys, a read-back that leaves the program alone until it completes, and
// Enviar's word on pages that would not reach the sign.
#include "Form1Harness.h"
#include "SignBytes.h"
#include "app/SingleInstance.h"
#include "document/ProgramDocument.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

using namespace zlx;
using editortest::fillRow;

namespace {
const QByteArray kOther("3\x05" "1OTRO");
// how: close, abrir, drop or handover; proceeded: the window closed, or the other file is open.
struct UnsavedCase { QString how; bool modified; SaveChoice answer; QString saveAs; bool proceeded; };
}  // namespace

class tst_Program : public QObject
{
    Q_OBJECT
private slots:
    void unsavedWork_data()
    {
        QTest::addColumn<UnsavedCase>("c");
        auto row = [](const char *name, const UnsavedCase &c) { QTest::newRow(name) << c; };
        row("close, nothing changed", {"close", false, SaveChoice::Cancel, "", true});
        row("close, cancelled", {"close", true, SaveChoice::Cancel, "", false});
        row("close, discarded", {"close", true, SaveChoice::Discard, "", true});
        row("close, saved", {"close", true, SaveChoice::Save, "p.zlx", true});
        row("close, save dialog cancelled", {"close", true, SaveChoice::Save, "", false});
        row("abrir, cancelled: no file dialog", {"abrir", true, SaveChoice::Cancel, "", false});
        row("abrir, discarded", {"abrir", true, SaveChoice::Discard, "", true});
        row("dropped on a text box", {"drop", true, SaveChoice::Discard, "", true});
        row("dropped on the window, cancelled", {"drop window", true, SaveChoice::Cancel, "", false});
        row("handed over by a second start", {"handover", false, SaveChoice::Cancel, "", true});
    }

    void unsavedWork()
    {
        QFETCH(UnsavedCase, c);
        Form1Harness h(1);
        QVERIFY(testfiles::write(h.path("other.zlx"), projectBytes({kOther}, 400)));
        if (c.modified)  // typed, not committed yet: the question commits it first
            fillRow(h.editor(), 0, 0, "2", "2", "MIO");
        h.boxes->saveAnswer = c.answer;
        bool proceeded = false;
        if (c.how == u"close") {
            h.chosenFile = c.saveAs.isEmpty() ? QString() : h.path(c.saveAs);
            proceeded = h.form->close();
        } else if (c.how == u"abrir") {
            h.open("other.zlx");
        } else if (c.how.startsWith(u"drop")) {
            QWidget *target = c.how == u"drop" ? static_cast<QWidget *>(h.editor().row(1).Text1) : h.form.get();
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(h.path("notes.txt")), QUrl::fromLocalFile(h.path("other.zlx"))});
            QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            drop.ignore();
            QApplication::sendEvent(target, &drop);
            QVERIFY(drop.isAccepted());
            QCOMPARE(h.editor().row(1).Text1->text(), QString());  // the path is no text for the row
        } else {
            const QString socket = h.path("instance");
            SingleInstance running(socket);
            QVERIFY(running.listen());
            const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
            QCOMPARE(QFileInfo(socket).permissions() & others, QFile::Permissions());  // the user's alone
            connect(&running, &SingleInstance::fileHandedOver, h.form.get(), &Form1::openFromOutside);
            QVERIFY(SingleInstance(socket).handOver(h.path("other.zlx")));
            QTRY_COMPARE(h.form->projectFileName(), h.path("other.zlx"));
            QLocalSocket lingering;  // a client that stays is let go once its line is in
            lingering.connectToServer(socket);
            QVERIFY(lingering.waitForConnected(1000));
            lingering.write("\n");
            QTRY_COMPARE(lingering.state(), QLocalSocket::UnconnectedState);
        }
        if (c.how != u"close")
            proceeded = h.form->store().entry(0, 0) == kOther;
        QCOMPARE(proceeded, c.proceeded);
        const QString question = c.how == u"close" ? "¿Guardar los cambios del programa antes de salir?"
                                                   : "¿Guardar los cambios del programa antes de abrir otro?";
        QCOMPARE(h.boxes->saveQuestions, c.modified ? QStringList{question} : QStringList{});
        QCOMPARE(h.dialogs.contains(FileDialogKind::Open), c.how == u"abrir" && c.proceeded);
        if (!c.saveAs.isEmpty())
            QCOMPARE(testfiles::read(h.path(c.saveAs)), projectBytes({"1\x02" "2MIO"}, 400));
        const bool saved = c.proceeded && (c.how != u"close" || !c.saveAs.isEmpty());
        QCOMPARE(h.form->document()->isModified(), c.modified && !saved);
    }

    // Ctrl+Z and Ctrl+Shift+Z undo and redo the program's steps, next to the boxes' own undo of
    // typing; Ctrl+N, Ctrl+O and Ctrl+S; PageDown and PageUp from an effect box.
    void keys()
    {
        Form1Harness h(1);
        h.form->show();
        QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
        EditorRow &row0 = h.editor().row(0);
        auto key = [&](QWidget *at, QKeyCombination k) {
            at->setFocus();
            QTest::keyClick(at, k.key(), k.keyboardModifiers());
        };
        fillRow(h.editor(), 0, 1, "3", "1", "ABC");
        row0.Text1->setFocus();
        for (QWidget *box : std::initializer_list<QWidget *>{row0.cmbFuente, row0.cmbVelocidad, row0.cmbEfecto, row0.Text1})
            box->setFocus();  // within the row: nothing committed
        QVERIFY(!h.form->document()->isModified());
        h.editor().row(1).Text1->setFocus();  // leaving row 0 commits the page: one step
        QVERIFY(h.form->document()->isModified());
        key(h.editor().row(1).Text1, Qt::CTRL | Qt::Key_Z);  // the box has nothing to undo
        QCOMPARE(row0.Text1->text(), QString());
        key(h.editor().row(1).cmbFuente, Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        QCOMPARE(row0.Text1->text(), QStringLiteral("ABC"));
        QCOMPARE(row0.cmbEfecto->currentText(), QStringLiteral("Parpadeo"));
        row0.Text1->setFocus();
        QTest::keyClicks(row0.Text1, "C");
        h.editor().row(1).Text1->setFocus();
        key(row0.Text1, Qt::CTRL | Qt::Key_Z);  // committed on leaving the row: a step of the program
        QCOMPARE(row0.Text1->text(), QStringLiteral("ABC"));
        QVERIFY(h.form->document()->canRedo());
        QTest::keyClicks(row0.Text1, "D");
        key(row0.Text1, Qt::CTRL | Qt::Key_Z);  // the box's own typing
        QCOMPARE(row0.Text1->text(), QStringLiteral("ABC"));
        QCOMPARE(h.form->document()->undoText(), QStringLiteral("Página 1"));
        QTest::keyClicks(row0.Text1, "E");
        key(row0.cmbEfecto, Qt::CTRL | Qt::Key_Z);  // typing not committed goes as a step of its own
        QCOMPARE(row0.Text1->text(), QStringLiteral("ABC"));
        QVERIFY(h.form->document()->canRedo());

        key(row0.cmbEfecto, QKeyCombination(Qt::Key_PageDown));
        QCOMPARE(h.editor().lblPagina()->text(), QStringLiteral("PAGINA:  2"));
        key(h.editor().row(0).cmbEfecto, QKeyCombination(Qt::Key_PageUp));
        QCOMPARE(h.editor().lblPagina()->text(), QStringLiteral("PAGINA:  1"));
        QCOMPARE(row0.cmbEfecto->currentText(), QStringLiteral("Parpadeo"));  // no step through the list

        h.chosenFile = h.path("k.zlx");
        key(row0.Text1, Qt::CTRL | Qt::Key_S);
        QVERIFY(!h.form->document()->isModified());
        key(row0.Text1, Qt::CTRL | Qt::Key_O);
        key(row0.Text1, Qt::CTRL | Qt::Key_N);
        QCOMPARE(h.dialogs, (QList<FileDialogKind>{FileDialogKind::Save, FileDialogKind::Open}));
        QCOMPARE(h.boxes->questions.size(), 1);
        const QStringList tips{h.form->cmdNuevo->toolTip(), h.form->cmdAbrir->toolTip(), h.form->cmdGuardar->toolTip(),
                               h.editor().cmdBajar()->toolTip(), h.editor().cmdSubir()->toolTip(),
                               h.form->cmdEnviar->toolTip() + h.form->cmdLeer->toolTip()};
        QCOMPARE(tips, (QStringList{"Nuevo (Ctrl+N)", "Abrir Archivo (Ctrl+O)", "Guardar (Ctrl+S)",
                                    "Página anterior (RePág)", "Página siguiente (AvPág)", ""}));
    }

    // The program stays in the document while a read-back runs; the rows show the reset page,
    // read-only. Guardar saves the program, a cancelled Abrir and a guarded Enviar change
    // nothing, a failed read shows the program again, a completed one is one step.
    void readBack()
    {
        Form1Harness h(1);
        const QByteArray file = projectBytes({"1\x02" "2UNO", "", "", "", "", "", "", "", "", "", "", "", "",
                                              "", "", "", "", "", "", "", "2\x04" "1DOS"}, 400);
        QVERIFY(testfiles::write(h.path("prog.zlx"), file));
        h.open("prog.zlx");
        h.editor().cmdSubir()->click();
        h.editor().cmdSubir()->click();  // page 3: empty, Enviar's guard stops there
        fillRow(h.editor(), 1, -1, "9", "3", "sin efecto");
        const auto writes = h.port->writes.size();
        h.form->cmdLeer->click();
        QVERIFY(h.editor().row(0).Text1->isReadOnly() && !h.editor().row(0).cmbEfecto->isEnabled());
        QCOMPARE(h.editor().row(1).cmbVelocidad->currentText() + h.editor().row(1).Text1->text(), QString());
        QCOMPARE(h.editor().currentPage(), 1);
        h.save("copy.zlx");
        QCOMPARE(testfiles::read(h.path("copy.zlx")), file);
        h.open("");
        h.form->cmdEnviar->click();
        QVERIFY(h.form->link()->readBusy());
        QCOMPARE(h.port->writes.size(), writes + 1);
        h.port->deliver(signbytes::block("??"));  // page 1 unreadable: the read fails
        QCOMPARE(h.editor().currentPage(), 3);
        QVERIFY(!h.editor().row(0).Text1->isReadOnly());
        QCOMPARE(h.form->panelText(3), h.path("copy.zlx"));
        QCOMPARE(h.form->store().entry(1, 0), QByteArray("2\x04" "1DOS"));

        h.form->cmdLeer->click();
        h.port->deliver(signbytes::block(signbytes::page(1, "SIGN")));
        h.port->deliver(signbytes::block());
        QCOMPARE(h.editor().row(0).Text1->text(), QStringLiteral("SIGN"));
        QCOMPARE(h.form->document()->undoText(), QStringLiteral("Lectura"));
        QVERIFY(h.form->document()->isModified());
        h.form->undoStep();
        QCOMPARE(h.editor().row(0).Text1->text(), QStringLiteral("UNO"));
    }

    // Pages with rows that would not reach the sign are named before anything goes out.
    void enviarNamesLostPages()
    {
        Form1Harness h(1);
        QByteArrayList lines(441);
        lines[0] = "1\x02" "2A";
        lines[40] = "1\x02" "2C";                // page 3, behind the empty page 2
        lines[420] = "1\x02" "2U";               // page 22, past the 20-page sign's last
        QVERIFY(testfiles::write(h.path("p.zlx"), projectBytes(lines, 441)));
        h.open("p.zlx");
        h.form->cmdEnviar->click();
        QCOMPARE(h.boxes->questions, QStringList{"Las paginas 3, 22 no llegaran al letrero. ¿Enviar de todos modos?"});
        QCOMPARE(h.port->writes.size(), 1);  // the probe
        h.boxes->answerYes = true;
        h.form->cmdEnviar->click();
        QCOMPARE(h.port->writes.size(), 2);
    }

    // A row that cannot be stored: Leer asks, and either stays with it or reads without it.
    void leerOverAnUnstorableRow()
    {
        Form1Harness h(1);
        fillRow(h.editor(), 0, 0, "2", "2", "BIEN");
        fillRow(h.editor(), 1, 0, "300", "2", "MAL");
        h.form->cmdLeer->click();
        QCOMPARE(h.boxes->questions, QStringList{"Para leer el letrero hay que dejar la página 1, y su fila 2 no "
                                                 "se puede guardar: la cantidad debe ser un número entero de 1 a "
                                                 "255 (distinto de 13).\n¿Leer de todos modos? Lo que no se ha "
                                                 "guardado de esta página se perderá."});
        QVERIFY(!h.form->link()->readBusy());
        QCOMPARE(h.editor().row(1).cmbVelocidad->currentText(), QStringLiteral("300"));
        h.boxes->answerYes = true;
        h.form->cmdLeer->click();
        QVERIFY(h.form->link()->readBusy());
        QCOMPARE(h.form->store(), MessageStore());
    }
};

QTEST_MAIN(tst_Program)
#include "tst_program.moc"
