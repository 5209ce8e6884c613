// The main window's commands through its buttons: Send and Leer with how each exchange ends,
// what stops them before anything goes out, Guardar, Abrir, Nuevo, and ports that will not open.
#include "Form1Harness.h"
#include "SignBytes.h"

using namespace zlx;
using editortest::fillRow;
using signbytes::block;

namespace {
const QByteArray kAck = signbytes::hex("b5");
const QByteArray kExampleEntry("1\x02" "2ABC");
// answers: "tick": the response time passes; box "": none; row0: the text of row 0 afterwards,
// "SIGN" when the sign's program is shown.
struct EndingCase { bool read; QList<QByteArray> answers; QString panel, box, row0; };
// file: the program opened from a file, if any; amount: of row 1 on the screen; box "": nothing to tell;
// busy: another program holds the sign's port; panel: panel 1 afterwards, "" as it was.
struct RefusalCase { int model; QByteArrayList file; QString amount, box;
                     bool read = false, busy = false; QString panel = {}; };
// target "": the dialog is cancelled; lines 0: nothing written; lost: the sign's port is lost first
struct SaveCase { int code; QString target; int lines; bool lost = false; };
}  // namespace

class tst_Commands : public QObject
{
    Q_OBJECT
private slots:
    void endings_data()
    {
        QTest::addColumn<EndingCase>("c");
        const QByteArray page1 = block(signbytes::page(1, "SIGN"));
        const QString back = QStringLiteral("\nNo se leyó el programa del letrero: el programa anterior ha vuelto al editor.");
        const QString noAnswer = QStringLiteral("El letrero no responde, verifique las conexiones y vuelva a intentar");
        auto row = [](const char *name, const EndingCase &ec) { QTest::newRow(name) << ec; };
        row("send completes", {false, {kAck, kAck, kAck}, "Transmision Completa", "Programacion finalizada correctamente", "MINE"});
        row("send: wrong answer", {false, {kAck, QByteArray(1, '\0')}, "Envio fallido: mala respuesta", "", "MINE"});
        row("send: silence", {false, {kAck, "tick"}, "Envio fallido: sin respuesta", noAnswer, "MINE"});
        row("send: port lost", {false, {"vanish"}, "Envio fallido: puerto caido", "Se perdió la conexión con el letrero "
            "(COM1). El programa del editor sigue intacto; el letrero se buscará de nuevo.", "MINE"});
        row("read completes", {true, {page1, block()}, "Lectura Completa", "Lectura finalizada correctamente", "SIGN"});
        row("read: bad mark", {true, {QByteArray(66, '\0')}, "Lectura fallida: mal dato",
            "El letrero dio una respuesta incorrecta." + back, "MINE"});
        row("read: silence after page 1", {true, {page1, "tick"}, "Lectura fallida: sin respuesta", noAnswer + back, "MINE"});
        row("read: page 1 unreadable", {true, {block("??")}, "Lectura fallida: otro formato",
            "La memoria del letrero no se pudo leer desde la página 1." + back, "MINE"});
        row("read: page 2 unreadable", {true, {page1, block("??")}, "Lectura hasta la pagina 1",
            "La memoria del letrero no se pudo leer desde la página 2.\nSe muestran las páginas anteriores.", "SIGN"});
    }

    void endings()
    {
        QFETCH(EndingCase, c);
        Form1Harness h(1);
        fillRow(h.editor(), 0, 0, QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("MINE"));
        h.save(QStringLiteral("prog.zlx"));
        h.editor().cmdSubir()->click();
        h.editor().cmdBajar()->click();
        for (int i = 0; i < 6; ++i)
            h.editor().cmdAgregar()->click();
        const int writes = int(h.port->writes.size());
        (c.read ? h.form->cmdLeer : h.form->cmdEnviar)->click();
        (c.read ? h.form->cmdLeer : h.form->cmdEnviar)->click();  // a second click while busy: ignored
        QCOMPARE(h.port->writes.size(), writes + 1);
        QCOMPARE(h.form->panelText(1), c.read ? "Lectura..." : "Enviando ...");
        QStringList panels;
        for (const QByteArray &answer : c.answers) {
            if (answer == "tick")
                QVERIFY(h.timer1->fire());
            else if (answer == "vanish")
                h.port->vanish();
            else
                h.port->deliver(answer);
            panels << h.form->panelText(1);
        }
        // Progress shows while the exchange runs, then a statement of how it ended.
        if (c.answers.size() > 1)
            QCOMPARE(panels.constFirst(), c.read ? "Lectura: 1:1 paginas" : "Enviando: 1 tramas");
        QCOMPARE(h.form->panelText(1), c.panel);
        QCOMPARE(h.boxes->texts, c.box.isEmpty() ? QStringList{} : QStringList{c.box});
        const auto icon = c.panel.endsWith(u"Completa") ? MessageIcon::Information : MessageIcon::Exclamation;
        QCOMPARE(h.boxes->icons, c.box.isEmpty() ? QList<MessageIcon>{} : QList<MessageIcon>{icon});
        QCOMPARE(h.editor().row(0).Text1->text(), c.row0);
        // A failed read-back gives the program back as the operator left it.
        const bool signShown = c.row0 == u"SIGN";
        QCOMPARE(editortest::visibleRows(h.editor()), signShown ? 4 : 7);
        QCOMPARE(h.form->panelText(3), signShown ? QString() : h.path("prog.zlx"));
        QVERIFY(h.panel(1)->fontMetrics().horizontalAdvance(c.panel) <= h.panel(1)->contentsRect().width());
        // A lost port sends the scan looking again.
        const bool lost = c.panel.endsWith(u"puerto caido");
        QCOMPARE(h.form->cmdEnviar->isEnabled(), !lost);
        if (lost) {
            QVERIFY(h.timer2->fire());
            QCOMPARE(h.form->panelText(2), QStringLiteral("ZANTOLUX"));
        }
    }

    void nothingSent_data()
    {
        QTest::addColumn<RefusalCase>("c");
        const QString inUse = QStringLiteral("No se puede abrir el puerto COM1. Puerto en uso: otro programa tiene "
                                             "abierto /dev/ttyS00.");
        QTest::newRow("empty first row") << RefusalCase{1, {}, "", ""};
        QTest::newRow("unknown model") << RefusalCase{3, {}, "", "modelo"};
        QTest::newRow("invalid row on the screen") << RefusalCase{1, {}, "13", "página 1, fila 2"};
        // Page 1 is clean; the bad entry is row 2 of page 2, never shown.
        QByteArrayList file(22);
        file[0] = file[20] = kExampleEntry;
        file[21] = "A\x02" "2x";
        QTest::newRow("entry from a file") << RefusalCase{1, file, "", "página 2, fila 2"};
        QTest::newRow("send: port in use") << RefusalCase{1, {}, "", inUse, false, true, "Envio fallido: puerto en uso"};
        QTest::newRow("read: port in use") << RefusalCase{1, {}, "", inUse, true, true, "Lectura fallida: puerto en uso"};
    }

    void nothingSent()
    {
        QFETCH(RefusalCase, c);
        Form1Harness h(c.model);
        if (c.busy)
            h.port->busy = {1};
        if (!c.file.isEmpty()) {
            QVERIFY(testfiles::write(h.path("bad.zlx"), projectBytes(c.file, 40)));
            h.open("bad.zlx");
        } else if (!c.box.isEmpty()) {
            fillRow(h.editor(), 0, 0, "2", "2", "ABC");
        }
        if (!c.amount.isEmpty())
            fillRow(h.editor(), 1, 0, c.amount, "2", "DEF");
        const QString panel = h.form->panelText(1);
        const auto before = h.port->writes.size();
        (c.read ? h.form->cmdLeer : h.form->cmdEnviar)->click();
        QCOMPARE(h.boxes->icons, QList<MessageIcon>(c.box.isEmpty() ? 0 : 1, MessageIcon::Exclamation));
        QVERIFY2(h.boxes->texts.join(u'|').contains(c.box), qPrintable(h.boxes->texts.join(u'|')));
        QCOMPARE(h.port->writes.size(), before);
        QCOMPARE(h.form->link()->mode(), LinkMode::Idle);
        QVERIFY(h.form->link()->signDetected());
        QCOMPARE(h.form->panelText(1), c.panel.isEmpty() ? panel : c.panel);
    }

    void save_data()
    {
        QTest::addColumn<SaveCase>("c");
        QTest::newRow("20-page sign") << SaveCase{1, "p.zlx", 400};
        QTest::newRow("before detection: every page") << SaveCase{0, "p.zlx", 800};
        QTest::newRow("after the sign's port was lost: its pages") << SaveCase{1, "p.zlx", 400, true};
        QTest::newRow("cancelled") << SaveCase{1, "", 0};
        QTest::newRow("under a regular file") << SaveCase{1, "good.zlx/p.zlx", 0};
    }

    void save()
    {
        QFETCH(SaveCase, c);
        Form1Harness h(c.code);
        if (c.lost) {
            h.form->cmdLeer->click();
            h.port->vanish();
            QVERIFY(!h.form->link()->signDetected());
            h.boxes->texts.clear();
            // What the operator sees of the sign stays until another one is found.
            QCOMPARE(h.form->windowTitle(), QStringLiteral("Letreros Electronicos ZANTOLUX - Z20    v2.0"));
            QCOMPARE(h.form->panelText(3), QStringLiteral("Paginas soportadas: 20"));
        }
        h.save("good.zlx");
        fillRow(h.editor(), 0, 0, "2", "2", "ABC");
        h.save(c.target);
        QCOMPARE(h.dialogs, QList<FileDialogKind>(2, FileDialogKind::Save));
        const QString name = h.path(c.lines ? c.target : QStringLiteral("good.zlx"));
        QCOMPARE(h.form->panelText(3), name);
        QCOMPARE(h.form->projectFileName(), name);
        QCOMPARE(h.boxes->texts.size(), c.target.contains('/') ? 1 : 0);
        if (c.lines)
            QCOMPARE(testfiles::read(h.path(c.target)), projectBytes({kExampleEntry}, c.lines));
        QCOMPARE(h.form->store().entry(0, 0), kExampleEntry);  // the shown page is stored all the same
    }

    void open_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("message");
        QTest::newRow("two rows") << "two.zlx" << false;
        QTest::newRow("cancelled") << "" << false;
        QTest::newRow("missing") << "nothere.zlx" << true;
    }

    void open()
    {
        QFETCH(QString, name);
        QFETCH(bool, message);
        Form1Harness h(1);
        // A short entry and a font out of range show empty fields.
        QVERIFY(testfiles::write(h.path("two.zlx"), projectBytes({kExampleEntry, "7\x0a" "1Diez", "2", "3\x05" "7A", "4\x05" "3B", "5\x05" "0C"}, 400)));
        zlx::MessageStore before;
        before.setEntry(1, 0, kExampleEntry);
        h.form->document()->open(before, QString());
        h.form->Form_Load();  // page 1 is empty: rows 0..3 as at start
        for (int i = 0; i < 3; ++i)
            h.editor().cmdAgregar()->click();
        fillRow(h.editor(), 6, 2, "5", "1", "kept");
        h.open(name);
        QCOMPARE(h.dialogs, QList<FileDialogKind>{FileDialogKind::Open});
        QCOMPARE(h.boxes->texts.size(), message ? 1 : 0);
        const bool loaded = !name.isEmpty() && !message;
        QCOMPARE(h.form->store().entry(1, 0), loaded ? QByteArray() : kExampleEntry);
        QCOMPARE(h.editor().row(6).isVisible(), !loaded);
        QCOMPARE(h.form->panelText(3), loaded ? h.path(name) : QStringLiteral("Paginas soportadas: 20"));
        if (!loaded)
            return;
        QCOMPARE(h.form->projectFileName(), h.path(name));
        QCOMPARE(h.form->store().entry(0, 1), QByteArray("7\x0a" "1Diez"));
        QCOMPARE(h.editor().row(1).Text1->text(), QStringLiteral("Diez"));
        QCOMPARE(h.editor().row(1).cmbVelocidad->currentText(), QStringLiteral("10"));
        QCOMPARE(h.editor().row(2).cmbVelocidad->currentText() + h.editor().row(3).cmbFuente->currentText(), QString());
        QCOMPARE(h.editor().row(3).Text1->text(), QStringLiteral("A"));
        QCOMPARE(h.editor().row(4).cmbFuente->currentText() + h.editor().row(5).cmbFuente->currentText(), QStringLiteral("3"));
    }

    void nuevo()
    {
        Form1Harness h(1);
        fillRow(h.editor(), 0, 0, "2", "2", "ABC");
        h.save("p.zlx");
        h.editor().cmdSubir()->click();
        fillRow(h.editor(), 0, 1, "3", "1", "two");
        fillRow(h.editor(), 1, -1, "9", "3", "no effect");
        h.form->cmdNuevo->click();
        QCOMPARE(h.boxes->questions,
                 QStringList{QStringLiteral("¿ Desea crear un nuevo proyecto ?\nLas modificaciones que no haya "
                                            "guardado se perderán")});
        QCOMPARE(h.editor().row(0).Text1->text(), QStringLiteral("two"));  // "No" changes nothing
        h.boxes->answerYes = true;
        h.form->cmdNuevo->click();
        QCOMPARE(h.form->store(), zlx::MessageStore());
        QCOMPARE(h.editor().currentPage(), 1);
        for (int r = 0; r < 2; ++r) {
            const EditorRow &row = h.editor().row(r);
            QCOMPARE(row.cmbVelocidad->currentText() + row.Text2->text() + row.cmbFuente->currentText() + row.Text1->text(),
                     QString());
        }
        QCOMPARE(h.form->panelText(3), h.path("p.zlx"));
        QVERIFY(h.form->cmdEnviar->isEnabled());
        // Started over during a read-back: the read ends and brings nothing.
        fillRow(h.editor(), 0, 0, "2", "2", "ABC");
        h.form->cmdLeer->click();
        QCOMPARE(h.form->panelText(3), QString());
        h.form->cmdNuevo->click();
        QVERIFY(!h.form->link()->readBusy());
        QCOMPARE(h.form->store(), zlx::MessageStore());
        QCOMPARE(h.form->panelText(1), QStringLiteral("Lectura interrumpida"));
        QCOMPARE(h.form->panelText(3), QString());  // nothing of the view before Leer comes back
        QCOMPARE(h.boxes->texts, QStringList());
    }

    // Ports of the scan that will not open: the operator sees why, once a port and reason,
    // beside the buttons; the panels keep their defined texts.
    void portNotices()
    {
        Form1Harness h;
        h.port->existing = {};
        h.port->refusing = {3, 9};
        h.port->busy = {5, 7};
        for (int pass = 0; pass < 2; ++pass) {
            QVERIFY(h.timer2->fire());
            for (int step = 0; step < 45 && h.timer1->fire(); ++step) {
            }
        }
        // The latest three of the four.
        QCOMPARE(h.form->noticeText(),
                 QStringLiteral("Puerto en uso: otro programa tiene abierto /dev/ttyS04.\n\nPuerto en uso: otro programa "
                                "tiene abierto /dev/ttyS06.\n\nSin permiso para abrir /dev/ttyS08: el usuario debe "
                                "pertenecer al grupo «dialout» (y volver a iniciar la sesión)."));
        QCOMPARE(h.form->panelText(1), QStringLiteral("Buscando dispositivo..."));
        QCOMPARE(h.form->panelText(2), QStringLiteral("ZANTOLUX"));
    }
};

QTEST_MAIN(tst_Commands)
#include "tst_commands.moc"
