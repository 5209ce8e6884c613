// The main window as built and as its reset leaves it: layout, titles, link set-up, focus order,
// and the set-up of the real message boxes.
#include "Form1Harness.h"
#include "app/BoxPresenter.h"
#include "app/Translations.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace std::chrono_literals;

class tst_Form1Layout : public QObject
{
    Q_OBJECT
private slots:
    void layout();
    void titles_data();
    void titles();
    void focusOrder();
    void messageBoxes();
};

void tst_Form1Layout::layout()
{
    Form1Harness h;
    zlx::Form1 &f = *h.form;
    zlx::PageEditor &e = h.editor();
    QCOMPARE(f.size(), QSize(784, 596));
    auto *bar = f.findChild<QWidget *>(QStringLiteral("StatusBar1"));
    auto panel = [&f](int n) { return f.findChild<QLabel *>(QStringLiteral("panel%1").arg(n)); };
    QVERIFY(bar && panel(1) && panel(2) && panel(3));

    // Twips / 15, relative to the container: the window, StatusBar1, SSTab1 or Frame1.
    const struct
    {
        const char *name;
        QWidget *widget;
        QWidget *parent;
        QRect rect;
        QString caption;
    } table[] = {
        {"SSTab1", f.SSTab1, &f, QRect(0, 0, 689, 577), {}},
        {"cmdNuevo", f.cmdNuevo, &f, QRect(696, 8, 81, 73), "Nuevo"},
        {"cmdAbrir", f.cmdAbrir, &f, QRect(696, 80, 81, 73), "Abrir Archivo"},
        {"cmdGuardar", f.cmdGuardar, &f, QRect(696, 152, 81, 73), "Guardar"},
        {"cmdEnviar", f.cmdEnviar, &f, QRect(696, 264, 81, 65), "Enviar"},
        {"cmdLeer", f.cmdLeer, &f, QRect(696, 328, 81, 65), "Leer"},
        {"cmdPrueba", f.cmdPrueba, &f, QRect(704, 424, 73, 65), "Prueba"},
        {"StatusBar1", bar, &f, QRect(0, 579, 784, 17), {}},
        {"panel1", panel(1), bar, QRect(0, 0, 166, 17), "Estado de conexion"},
        {"panel2", panel(2), bar, QRect(166, 0, 133, 17), "ZANTOLUX"},
        {"panel3", panel(3), bar, QRect(300, 0, 466, 17), ""},
        {"Frame1", &e, f.SSTab1, QRect(8, 24, 673, 545), {}},
        {"cmdBajar", e.cmdBajar(), &e, QRect(0, 8, 33, 31), {}},
        {"lblPagina", e.lblPagina(), &e, QRect(56, 16, 113, 17), "PAGINA:  1"},
        {"cmdSubir", e.cmdSubir(), &e, QRect(176, 8, 33, 31), {}},
        {"cmdAgregar", e.cmdAgregar(), &e, QRect(560, 16, 97, 25), "Agregar Fila"},
        {"Label1", e.label(1), &e, QRect(24, 48, 65, 17), "EFECTO"},
        {"Label2", e.label(2), &e, QRect(200, 48, 57, 17), "FUENTE"},
        {"Label3", e.label(3), &e, QRect(400, 48, 49, 17), "TEXTO"},
        {"Picture1", e.picture1(), &e, QRect(8, 128, 660, 411), {}},
        {"cmbEfecto(0)", e.row(0).cmbEfecto, &e, QRect(8, 64, 97, 21), {}},
        {"Text1(0)", e.row(0).Text1, &e, QRect(248, 64, 417, 21), {}},
        {"cmbEfecto(19)", e.row(19).cmbEfecto, &e, QRect(8, 520, 97, 21), {}},
        {"Text2(19)", e.row(19).Text2, &e, QRect(104, 520, 57, 21), {}},
        {"cmbVelocidad(19)", e.row(19).cmbVelocidad, &e, QRect(160, 520, 41, 21), {}},
        {"cmbFuente(19)", e.row(19).cmbFuente, &e, QRect(200, 520, 49, 21), {}},
        {"Text1(19)", e.row(19).Text1, &e, QRect(248, 520, 417, 21), {}},
    };
    for (const auto &c : table) {
        QVERIFY2(c.widget->parentWidget() == c.parent, c.name);
        QVERIFY2(c.widget->geometry() == c.rect, c.name);
        if (auto *button = qobject_cast<QAbstractButton *>(c.widget))
            QVERIFY2(button->text() == c.caption, c.name);
        if (auto *label = qobject_cast<QLabel *>(c.widget))
            QVERIFY2(label->text() == c.caption, c.name);
    }
    QCOMPARE(f.SSTab1->count(), 1);
    QCOMPARE(f.SSTab1->tabText(0), QStringLiteral("Mensajes"));
    QCOMPARE(f.SSTab1->tabBar()->font().weight(), QFont::Bold);
    QCOMPARE(panel(1)->font().weight(), QFont::Bold);
    // The longest port text the scan can show stays whole in panel 2.
    QVERIFY(panel(2)->fontMetrics().horizontalAdvance(QStringLiteral("COM40:2400bps,8,N,1"))
            <= panel(2)->contentsRect().width());

    QVERIFY(f.cmdPrueba->isHidden());
    QVERIFY(!f.cmdLeer->isHidden());
    // A row shown later is drawn over the picture.
    e.cmdAgregar_Click();
    const QObjectList stack = e.children();
    QVERIFY(stack.indexOf(e.picture1()) < stack.indexOf(e.row(4).cmbEfecto));

    // Every item and any amount up to 255 shows whole: a line edit scrolls its text once text,
    // cursor and a pixel of slack pass the field less its 2-pixel margins.
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    zlx::EditorRow &row = e.row(0);
    row.cmbEfecto->setCurrentIndex(0);  // the long amount list
    for (QComboBox *box : {row.cmbEfecto, row.cmbVelocidad, row.cmbFuente}) {
        QStringList texts{"255"};
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        const QLineEdit *edit = box->lineEdit();
        const QMargins margins = edit->textMargins();
        const int room = edit->contentsRect().width() - margins.left() - margins.right() - 4;
        for (const QString &text : texts)
            QVERIFY2(edit->fontMetrics().horizontalAdvance(text) + 2 <= room, qPrintable(text));
    }
}

void tst_Form1Layout::titles_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("detected");
    QTest::addColumn<QString>("afterReset");
    const QString plain = QStringLiteral("Letreros Electronicos ZANTOLUX      v2.0");
    QTest::newRow("no sign") << 0 << plain << plain;
    QTest::newRow("20 pages") << 1 << QStringLiteral("Letreros Electronicos ZANTOLUX - Z20   v2.0")
                              << QStringLiteral("Letreros Electronicos ZANTOLUX - Z20    v2.0");
    QTest::newRow("40 pages") << 2 << QStringLiteral("Letreros Electronicos ZANTOLUX - Z40   v2.0")
                              << QStringLiteral("Letreros Electronicos ZANTOLUX - Z40    v2.0");
    QTest::newRow("unknown model") << 3 << plain << plain;
}

// The reset (Form_Load) before and after a sign has answered.
void tst_Form1Layout::titles()
{
    QFETCH(int, code);
    QFETCH(QString, detected);
    QFETCH(QString, afterReset);
    Form1Harness h;
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Letreros Electronicos ZANTOLUX      v2.0"));
    QCOMPARE(h.timer2->interval(), 1000ms);
    const bool found = code != 0;
    if (found)
        h.detect(code);
    else
        QVERIFY(h.timer2->fire());  // a pass is under way, its probe's port open
    QCOMPARE(h.form->windowTitle(), detected);
    const int opens = h.port->opens;
    h.form->Form_Load();
    QCOMPARE(h.form->windowTitle(), afterReset);
    QCOMPARE(h.form->cmdEnviar->isEnabled(), found);
    QCOMPARE(h.form->cmdLeer->isEnabled(), found);
    // Before detection the scan starts over; afterwards the link is left alone.
    QCOMPARE(h.timer2->isEnabled(), !found);
    QCOMPARE(h.timer2->interval(), 1000ms);
    if (found)
        QCOMPARE(h.port->opens, opens);
    else
        QVERIFY(!h.port->isOpen());
}

void tst_Form1Layout::focusOrder()
{
    Form1Harness h;
    // The order the reset's renumbering yields, from the design places.
    QStringList expected{"SSTab1", "Frame1", "cmdAbrir", "cmdGuardar", "cmdEnviar", "cmdLeer",
                         "lblPagina", "cmdBajar", "cmdSubir", "Label1"};
    for (int r = 0; r < 20; ++r)
        expected << QStringLiteral("cmbEfecto_%1").arg(r) << QStringLiteral("cmbVelocidad_%1").arg(r)
                 << QStringLiteral("cmbFuente_%1").arg(r) << QStringLiteral("Text1_%1").arg(r);
    expected << "Label2" << "Label3" << "cmdAgregar" << "StatusBar1" << "Text2_1" << "Text2_0"
             << "Picture1" << "Text2_6" << "Text2_5" << "Text2_4";
    for (int r = 7; r <= 19; ++r)
        expected << QStringLiteral("Text2_%1").arg(r);
    expected << "cmdNuevo" << "cmdPrueba" << "Text2_2" << "Text2_3";

    // Widgets that take no focus are never reached by the tab key: only the others' order counts.
    QStringList wanted;
    for (const QString &name : expected)
        if (h.form->findChild<QWidget *>(name)->focusPolicy() != Qt::NoFocus)
            wanted << name;
    auto chainOrder = [&] {
        QStringList seen;
        QWidget *w = h.form->SSTab1;
        do {
            if (expected.contains(w->objectName()) && w->focusPolicy() != Qt::NoFocus)
                seen << w->objectName();
            w = w->nextInFocusChain();
        } while (w != h.form->SSTab1);
        return seen;
    };
    QCOMPARE(chainOrder(), wanted);
    h.form->Form_Load();
    QCOMPARE(chainOrder(), wanted);
}

void tst_Form1Layout::messageBoxes()
{
    // Qt's own texts in Spanish, whatever the system's language, as the program loads them.
    QVERIFY(zlx::loadQtSpanish());
    QWidget parent;
    const QString text = QStringLiteral("¿ Desea crear un nuevo proyecto ?");
    const auto question = zlx::makeQuestionBox(&parent, text);
    QCOMPARE(question->windowTitle(), QStringLiteral("Letreros ZANTOLUX"));
    QCOMPARE(question->text(), text);
    QCOMPARE(question->icon(), QMessageBox::Information);
    QCOMPARE(question->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question->defaultButton(), question->button(QMessageBox::No));
    QCOMPARE(question->button(QMessageBox::Yes)->text(), QStringLiteral("&Sí"));
    QCOMPARE(question->button(QMessageBox::No)->text(), QStringLiteral("&No"));
    QFileDialog files(&parent);
    files.setOption(QFileDialog::DontUseNativeDialog);
    QCOMPARE(files.findChild<QLabel *>(QStringLiteral("fileNameLabel"))->text(),
             QStringLiteral("&Nombre de fichero:"));
    // Enter answers with the default button.
    question->open();
    QVERIFY(QTest::qWaitForWindowExposed(question.get()));
    QTest::keyClick(question.get(), Qt::Key_Return);
    QCOMPARE(question->clickedButton(), question->button(QMessageBox::No));
    QCOMPARE(question->result(), int(QMessageBox::No));

    const auto warning = zlx::makeMessageBox(&parent, zlx::MessageIcon::Exclamation, text);
    QCOMPARE(warning->windowTitle(), QStringLiteral("Letreros ZANTOLUX"));
    QCOMPARE(warning->icon(), QMessageBox::Warning);
    QCOMPARE(warning->standardButtons(), QMessageBox::Ok);
}

QTEST_MAIN(tst_Form1Layout)
#include "tst_form1_layout.moc"
