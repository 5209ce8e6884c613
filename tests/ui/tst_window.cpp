// The windows as built and as the reset leaves them: layout and focus order, titles, the real
// message boxes and the splash.
#include "Form1Harness.h"
#include "app/BoxPresenter.h"
#include "app/Form2.h"
#include "app/Translations.h"
#include "editor/Colors.h"

#include <QElapsedTimer>
#include <QScreen>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

using namespace std::chrono_literals;

namespace {
struct TitleCase { int code; QString detected, afterReset; };
}  // namespace

class tst_Window : public QObject
{
    Q_OBJECT
private slots:
    void layout()
    {
        Form1Harness h;
        zlx::Form1 &f = *h.form;
        zlx::PageEditor &e = h.editor();
        QCOMPARE(f.size(), QSize(784, 596));
        auto *bar = f.findChild<QWidget *>(QStringLiteral("StatusBar1"));
        // Twips / 15, relative to the container: the window, StatusBar1, SSTab1 or Frame1.
        // weight: of the font, 0 not checked; tab: place in the focus order the reset's renumbering yields, -1 none.
        const struct { const char *name; QWidget *widget, *parent; QRect rect; QString caption; int weight, tab; } table[] = {
            {"SSTab1", f.SSTab1, &f, {0, 0, 689, 577}, {}, 0, 0},
            {"cmdNuevo", f.cmdNuevo, &f, {696, 8, 81, 73}, "Nuevo", 0, 113},
            {"cmdAbrir", f.cmdAbrir, &f, {696, 80, 81, 73}, "Abrir Archivo", 0, 2},
            {"cmdGuardar", f.cmdGuardar, &f, {696, 152, 81, 73}, "Guardar", 0, 3},
            {"cmdEnviar", f.cmdEnviar, &f, {696, 264, 81, 65}, "Enviar", 0, 4},
            {"cmdLeer", f.cmdLeer, &f, {696, 328, 81, 65}, "Leer", 0, 5},
            {"cmdPrueba", f.cmdPrueba, &f, {704, 424, 73, 65}, "Prueba", 0, 114},
            {"StatusBar1", bar, &f, {0, 579, 784, 17}, {}, 0, 93},
            {"panel1", h.panel(1), bar, {0, 0, 166, 17}, "Estado de conexion", QFont::Bold, -1},
            {"panel2", h.panel(2), bar, {166, 0, 133, 17}, "ZANTOLUX", QFont::Bold, -1},
            {"panel3", h.panel(3), bar, {300, 0, 466, 17}, "", 0, -1},
            {"Frame1", &e, f.SSTab1, {8, 24, 673, 545}, {}, 0, 1},
            {"cmdBajar", e.cmdBajar(), &e, {0, 8, 33, 31}, {}, 0, 7},
            {"lblPagina", e.lblPagina(), &e, {56, 16, 113, 17}, "PAGINA:  1", QFont::Bold, 6},
            {"cmdSubir", e.cmdSubir(), &e, {176, 8, 33, 31}, {}, 0, 8},
            {"cmdAgregar", e.cmdAgregar(), &e, {560, 16, 97, 25}, "Agregar Fila", QFont::Bold, 92},
            {"Label1", e.label(1), &e, {24, 48, 65, 17}, "EFECTO", QFont::Bold, 9},
            {"Label2", e.label(2), &e, {200, 48, 57, 17}, "FUENTE", 0, 90},
            {"Label3", e.label(3), &e, {400, 48, 49, 17}, "TEXTO", 0, 91},
            {"Picture1", e.picture1(), &e, {8, 128, 660, 411}, {}, 0, 96},
            {"cmbEfecto(0)", e.row(0).cmbEfecto, &e, {8, 64, 97, 21}, {}, 0, 10},
            {"Text1(0)", e.row(0).Text1, &e, {248, 64, 417, 21}, {}, 0, 13},
            {"Text2(1)", e.row(1).Text2, &e, {104, 88, 57, 21}, {}, 0, 94},
            {"Text2(0)", e.row(0).Text2, &e, {104, 64, 57, 21}, {}, 0, 95},
            {"Text2(4)", e.row(4).Text2, &e, {104, 160, 57, 21}, {}, 0, 99},
            {"Text2(6)", e.row(6).Text2, &e, {104, 208, 57, 21}, {}, 0, 97},
            {"Text2(5)", e.row(5).Text2, &e, {104, 184, 57, 21}, {}, 0, 98},
            {"cmbEfecto(19)", e.row(19).cmbEfecto, &e, {8, 520, 97, 21}, {}, 0, 86},
            {"Text2(19)", e.row(19).Text2, &e, {104, 520, 57, 21}, {}, 0, 112},
            {"cmbVelocidad(19)", e.row(19).cmbVelocidad, &e, {160, 520, 41, 21}, {}, 0, 87},
            {"cmbFuente(19)", e.row(19).cmbFuente, &e, {200, 520, 49, 21}, {}, 0, 88},
            {"Text1(19)", e.row(19).Text1, &e, {248, 520, 417, 21}, {}, 0, 89},
        };
        for (const auto &c : table) {
            QVERIFY2(c.widget && c.widget->parentWidget() == c.parent, c.name);
            QVERIFY2(QString(c.name).contains('(') || c.widget->objectName() == c.name, c.name);
            QVERIFY2(c.widget->geometry() == c.rect, c.name);
            if (auto *button = qobject_cast<QAbstractButton *>(c.widget))
                QVERIFY2(button->text() == c.caption, c.name);
            if (auto *label = qobject_cast<QLabel *>(c.widget))
                QVERIFY2(label->text() == c.caption, c.name);
            QVERIFY2(!c.weight || c.widget->font().weight() == c.weight, c.name);
            if (QString(c.name).startsWith(u"Label"))
                QVERIFY2(c.widget->palette().color(QPalette::WindowText) == Qt::white, c.name);
        }
        // The tab key reaches the widgets that take the focus in that order.
        QMap<int, QString> wanted;
        for (const auto &c : table)
            if (c.tab >= 0 && c.widget->focusPolicy() != Qt::NoFocus)
                wanted.insert(c.tab, c.widget->objectName());
        QStringList seen;
        QWidget *w = f.SSTab1;
        do {
            if (wanted.values().contains(w->objectName()))
                seen << w->objectName();
            w = w->nextInFocusChain();
        } while (w != f.SSTab1);
        QCOMPARE(seen, wanted.values());
        QCOMPARE(f.SSTab1->count(), 1);
        QCOMPARE(f.SSTab1->tabText(0), QStringLiteral("Mensajes"));
        QCOMPARE(f.SSTab1->tabBar()->font().weight(), QFont::Bold);
        QVERIFY(!f.SSTab1->tabBar()->drawBase());
        QVERIFY(!f.windowIcon().isNull());
        const auto *line1 = e.findChild<QWidget *>(QStringLiteral("Line1"));
        QCOMPARE(line1->geometry(), QRect(0, 40, 673, 1));  // both ends drawn
        QCOMPARE(line1->palette().color(QPalette::Window), e.palette().color(QPalette::Midlight));
        QCOMPARE(bar->backgroundRole(), QPalette::Button);
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(h.panel(n)->frameStyle(), int(QFrame::Panel | QFrame::Sunken));
        QCOMPARE(f.cmdNuevo->iconSize(), QSize(48, 44));
        // The window owns the port and the timers.
        QVERIFY(h.port->parent() == &f && h.timer1->parent() == &f && h.timer2->parent() == &f);
        // The window, its tab page and the editor share the dark-blue ground.
        for (QWidget *ground : {static_cast<QWidget *>(&f), f.SSTab1->widget(0), static_cast<QWidget *>(&e)})
            QVERIFY(ground->autoFillBackground() && ground->palette().color(QPalette::Window) == zlx::colors::kDarkBlue);
        // The longest port text the scan can show stays whole in panel 2.
        QVERIFY(h.panel(2)->fontMetrics().horizontalAdvance(QStringLiteral("COM40:2400bps,8,N,1"))
                <= h.panel(2)->contentsRect().width());
        QVERIFY(f.cmdPrueba->isHidden());
        QVERIFY(!f.cmdLeer->isHidden());
        // A row shown later is drawn over the picture.
        e.cmdAgregar()->click();
        QVERIFY(e.children().indexOf(e.picture1()) < e.children().indexOf(e.row(4).cmbEfecto));

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
            const QMargins m = edit->textMargins();
            const int room = edit->contentsRect().width() - m.left() - m.right() - 4;
            for (const QString &text : texts)
                QVERIFY2(edit->fontMetrics().horizontalAdvance(text) + 2 <= room, qPrintable(text));
        }
    }

    void titles_data()
    {
        QTest::addColumn<TitleCase>("c");
        const QString plain = QStringLiteral("Letreros Electronicos ZANTOLUX      v2.0");
        QTest::newRow("no sign") << TitleCase{0, plain, plain};
        QTest::newRow("20 pages") << TitleCase{1, QStringLiteral("Letreros Electronicos ZANTOLUX - Z20   v2.0"),
                                               QStringLiteral("Letreros Electronicos ZANTOLUX - Z20    v2.0")};
        QTest::newRow("unknown model") << TitleCase{3, plain, plain};
    }

    // The reset (Form_Load) before and after a sign has answered.
    void titles()
    {
        QFETCH(TitleCase, c);
        Form1Harness h;
        QCOMPARE(h.form->windowTitle(), QStringLiteral("Letreros Electronicos ZANTOLUX      v2.0"));
        QCOMPARE(h.timer2->interval(), 1000ms);
        const bool found = c.code != 0;
        if (found)
            h.detect(c.code);
        else
            QVERIFY(h.timer2->fire());  // a pass is under way, its probe's port open
        QCOMPARE(h.form->windowTitle(), c.detected);
        if (found)
            QCOMPARE(h.form->panelText(1) + u'|' + h.form->panelText(2), "Letrero detectado|COM1:2400bps,8,N,1");
        const int opens = h.port->opens;
        h.form->Form_Load();
        QCOMPARE(h.form->windowTitle(), c.afterReset);
        QCOMPARE(h.form->cmdEnviar->isEnabled(), found);
        QCOMPARE(h.form->cmdLeer->isEnabled(), found);
        // Before detection the scan starts over; afterwards the link is left alone.
        QCOMPARE(h.timer2->isEnabled(), !found);
        QVERIFY(found ? h.port->opens == opens : !h.port->isOpen());
        for (int r = 0; r < zlx::PageEditor::kRows; ++r) {
            QCOMPARE(h.editor().row(r).isVisible(), r < 4);
            QCOMPARE(h.editor().row(r).cmbEfecto->count(), 9);
            QVERIFY(h.editor().row(r).Text2->isReadOnly());
        }
    }

    void messageBoxes()
    {
        // Qt's own texts in Spanish, whatever the system's language, as the program loads them.
        QVERIFY(zlx::loadQtSpanish());
        QWidget parent;
        const QString text = QStringLiteral("¿ Desea crear un nuevo proyecto ?");
        const auto question = zlx::makeQuestionBox(&parent, text);
        QCOMPARE(question->windowTitle(), QStringLiteral("Letreros ZANTOLUX"));
        QCOMPARE(question->text(), text);
        QCOMPARE(question->icon(), QMessageBox::Information);
        QCOMPARE(question->button(QMessageBox::Yes)->text(), QStringLiteral("&Sí"));
        QCOMPARE(question->button(QMessageBox::No)->text(), QStringLiteral("&No"));
        // Enter answers with the default button, No.
        question->open();
        QVERIFY(QTest::qWaitForWindowExposed(question.get()));
        QTest::keyClick(question.get(), Qt::Key_Return);
        QCOMPARE(question->result(), int(QMessageBox::No));
        // The real presenter waits for the answer; here Yes, then OK, as soon as each box is up.
        zlx::BoxPresenter presenter(&parent);
        QStringList answered;
        auto answer = [&](QMessageBox::StandardButton button) {
            QTimer::singleShot(0, [&answered, button] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    answered << box->text();
                    box->button(button)->click();
                }
            });
        };
        answer(QMessageBox::Yes);
        QVERIFY(presenter.askYesNo(text));
        answer(QMessageBox::Ok);
        presenter.show(zlx::MessageIcon::Information, QStringLiteral("listo"));
        QCOMPARE(answered, QStringList({text, QStringLiteral("listo")}));
        // The question before unsaved work is lost: Cancelar unless the operator says otherwise.
        const auto save = zlx::makeSaveQuestionBox(&parent, text);
        QCOMPARE(save->icon(), QMessageBox::Question);
        QCOMPARE(save->windowTitle(), QStringLiteral("Letreros ZANTOLUX"));
        QCOMPARE(QStringList({save->button(QMessageBox::Save)->text(), save->button(QMessageBox::Discard)->text(),
                              save->button(QMessageBox::Cancel)->text()}).join(u'|'),
                 QStringLiteral("Guardar|Descartar|Cancelar"));
        QCOMPARE(save->defaultButton(), save->button(QMessageBox::Cancel));
        const auto warning = zlx::makeMessageBox(&parent, zlx::MessageIcon::Exclamation, text);
        QCOMPARE(warning->windowTitle(), QStringLiteral("Letreros ZANTOLUX"));
        QCOMPARE(warning->icon(), QMessageBox::Warning);
        QCOMPARE(warning->standardButtons(), QMessageBox::Ok);
    }

    void splash()
    {
        QElapsedTimer clock;
        clock.start();
        QWidget mainWindow;
        zlx::Form2 splash(&mainWindow);
        QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(splash.size(), QSize(743, 428));
        QCOMPARE(splash.windowTitle(), QStringLiteral("Form2"));
        QCOMPARE(splash.geometry().center(), splash.screen()->availableGeometry().center());
        QSignalSpy handedOver(&splash, &zlx::Form2::handedOver);
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QVERIFY(!mainWindow.isVisible());
        QVERIFY(handedOver.wait(5000));
        QVERIFY(clock.elapsed() >= zlx::Form2::kSplashMs - 50);
        QVERIFY(mainWindow.isVisible());
        QVERIFY(!splash.isVisible());
    }
};

QTEST_MAIN(tst_Window)
#include "tst_window.moc"
