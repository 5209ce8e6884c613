// The main window against the virtual sign over a pty: what an operator does end to end.
#include "LinkTexts.h"
#include "RecordingPresenter.h"
#include "app/Form1.h"
#include "editor/PageEditor.h"
#include "link/PageImages.h"
#include "link/QtSignPort.h"
#include "sim/PtySign.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace zlx;
using sim::FaultKind;

namespace {
const QString kDone = linktexts::done();
const QString kReadDone = linktexts::readDone();
const QString kNoAnswer = linktexts::noAnswer();

struct Window
{
    explicit Window(sim::Model model)
        : sign(model)
    {
        if (!sign.open())
            qFatal("cannot open a pty: %s", qPrintable(sign.errorString()));
        form = std::make_unique<Form1>(std::make_unique<QtSignPort>(PortMap({sign.slavePath()})));
        auto boxes = std::make_unique<RecordingPresenter>();
        presenter = boxes.get();
        form->setMessagePresenter(std::move(boxes));
    }

    bool detect()
    {
        QSignalSpy found(form->link(), &SignLink::signFound);
        return found.wait(3000);
    }

    PageEditor &editor() { return *form->editor(); }

    void fillRow(int r, int effect, const QString &amount, const QString &font, const QString &text)
    {
        EditorRow &row = editor().row(r);
        if (!row.isVisible())
            editor().cmdAgregar_Click();
        row.cmbEfecto->setCurrentIndex(effect);
        row.cmbVelocidad->setEditText(amount);
        row.cmbFuente->setCurrentIndex(font.toInt() - 1);
        row.Text1->setText(text);
    }

    // Clicks and waits until the window shows a message; returns its text.
    QString clickAndWait(QAbstractButton *button, int timeoutMs = 10000)
    {
        const qsizetype before = presenter->shown.size();
        button->click();
        QElapsedTimer clock;
        clock.start();
        while (presenter->shown.size() == before && !clock.hasExpired(timeoutMs))
            QTest::qWait(10);
        return presenter->shown.size() > before ? presenter->shown.last().text : QString();
    }

    sim::PtySign sign;
    std::unique_ptr<Form1> form;
    RecordingPresenter *presenter = nullptr;
};
}  // namespace

class TestWindowE2E : public QObject
{
    Q_OBJECT
private slots:
    void detectionShowsModelAndEnablesButtons();
    void sendNewReadGivesTheSamePages();
    void cutPageIsAnnouncedBeforeTheFirstFrame();
    void failedReadGivesTheProgramBack_data();
    void failedReadGivesTheProgramBack();
    void sendDuringReadAbandonsTheRead();
    void resetAfterDetectionLeavesTheLinkAlone();
    void newProjectDuringReadBack_data();
    void newProjectDuringReadBack();
};

void TestWindowE2E::detectionShowsModelAndEnablesButtons()
{
    Window w(sim::Model::Pages40);
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Letreros Electronicos ZANTOLUX      v2.0"));
    QVERIFY(!w.form->cmdEnviar->isEnabled());
    QVERIFY(!w.form->cmdLeer->isEnabled());
    QVERIFY(w.detect());
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Letreros Electronicos ZANTOLUX - Z40   v2.0"));
    QCOMPARE(w.form->panelText(1), QStringLiteral("Letrero detectado"));
    QCOMPARE(w.form->panelText(2), QStringLiteral("COM1:2400bps,8,N,1"));
    QCOMPARE(w.form->panelText(3), QStringLiteral("Paginas soportadas: 40"));
    QVERIFY(w.form->cmdEnviar->isEnabled());
    QVERIFY(w.form->cmdLeer->isEnabled());
    QCOMPARE(w.editor().pageCount(), std::optional<int>(40));
}

void TestWindowE2E::sendNewReadGivesTheSamePages()
{
    Window w(sim::Model::Pages20);
    QVERIFY(w.detect());
    w.fillRow(0, 0, "2", "2", QStringLiteral("ABC"));
    w.fillRow(1, 6, "10", "1", QStringLiteral("Año Ñandú"));
    w.editor().cmdSubir_Click();
    w.fillRow(0, 3, "3", "3", QStringLiteral("Pagina dos"));
    QCOMPARE(w.clickAndWait(w.form->cmdEnviar), kDone);
    QCOMPARE(w.form->panelText(1), QStringLiteral("Transmision Completa"));
    const MessageStore sent = w.form->store();
    QCOMPARE(sent.entry(0, 0), QByteArray("1\x02" "2ABC"));
    QCOMPARE(sent.entry(0, 1), QByteArray("7\x0a" "1A\x1fo \x1e" "and\xfa"));
    // The sign holds exactly the page images of what the editor shows.
    const auto build = buildPageImages(sent, SignModel{20, 4});
    QTRY_COMPARE(w.sign.sign().endFramesSeen(), 1);
    for (int p = 0; p < build.images.size(); ++p)
        QCOMPARE(w.sign.sign().readMemory((24 + 4 * p) * 256, int(build.images[p].size())), build.images[p]);

    w.presenter->answerYes = true;
    w.form->cmdNuevo->click();
    QCOMPARE(w.form->store(), MessageStore());

    QCOMPARE(w.clickAndWait(w.form->cmdLeer), kReadDone);
    QCOMPARE(w.form->store(), sent);
    QCOMPARE(w.editor().currentPage(), 1);
    QCOMPARE(w.editor().row(1).Text1->text(), QStringLiteral("Año Ñandú"));
    QCOMPARE(w.form->panelText(1), QStringLiteral("Lectura Completa"));
    QCOMPARE(w.form->panelText(3), QString());
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Letreros Electronicos ZANTOLUX - Z20    v2.0"));
}

void TestWindowE2E::cutPageIsAnnouncedBeforeTheFirstFrame()
{
    Window w(sim::Model::Pages40);
    QVERIFY(w.detect());
    w.fillRow(0, 0, "2", "2", QString(600, u'x'));
    int framesWhenShown = -1;
    w.presenter->onShow = [&](const QString &text) {
        if (text.startsWith(QStringLiteral("Se ha recortado")))
            framesWhenShown = w.sign.sign().framesWritten();
    };
    w.form->cmdEnviar->click();
    QTRY_COMPARE_WITH_TIMEOUT(w.presenter->texts(),
                              (QStringList{"Se ha recortado parte del mensaje por ser muy largo", kDone}), 10000);
    QCOMPARE(w.presenter->shown.first().icon, MessageIcon::Information);
    QCOMPARE(framesWhenShown, 0);
}

void TestWindowE2E::failedReadGivesTheProgramBack_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("silent sign") << int(FaultKind::Silent) << QStringList{kNoAnswer};
    QTest::newRow("bad mark at block 1") << int(FaultKind::BadReadMarkAt) << QStringList{};
}

void TestWindowE2E::failedReadGivesTheProgramBack()
{
    QFETCH(int, fault);
    QFETCH(QStringList, messages);
    Window w(sim::Model::Pages20);
    QVERIFY(w.detect());
    w.fillRow(0, 1, "4", "2", QStringLiteral("uno"));
    w.editor().cmdSubir_Click();
    w.fillRow(0, 2, "5", "1", QStringLiteral("dos"));
    w.fillRow(1, 4, "6", "3", QStringLiteral("tres"));
    w.editor().cmdAgregar_Click();  // an empty row shown as well

    w.sign.sign().setFault({FaultKind(fault), 1});
    QSignalSpy abandoned(w.form->link(), &SignLink::readAbandoned);
    w.form->cmdLeer->click();
    QVERIFY(abandoned.wait(5000));
    QCOMPARE(w.presenter->texts(), messages);
    QCOMPARE(w.editor().currentPage(), 2);
    QCOMPARE(w.form->store().entry(0, 0), QByteArray("2\x04" "2uno"));
    QCOMPARE(w.form->store().entry(1, 1), QByteArray("5\x06" "3tres"));
    QCOMPARE(w.editor().row(1).Text1->text(), QStringLiteral("tres"));
    QVERIFY(w.editor().row(3).isVisible());

    // The link is usable again.
    w.sign.sign().setFault({});
    QCOMPARE(w.clickAndWait(w.form->cmdEnviar), kDone);
}

void TestWindowE2E::sendDuringReadAbandonsTheRead()
{
    Window w(sim::Model::Pages20);
    QVERIFY(w.detect());
    w.fillRow(0, 0, "2", "2", QStringLiteral("hola"));
    QCOMPARE(w.clickAndWait(w.form->cmdEnviar), kDone);

    w.sign.setPaceBaud(2400);  // slow enough to click in between
    w.form->cmdLeer->click();
    QCOMPARE(w.form->link()->mode(), LinkMode::Read);
    w.fillRow(0, 0, "2", "2", QStringLiteral("otra"));
    QCOMPARE(w.clickAndWait(w.form->cmdEnviar), kDone);
    QVERIFY(!w.form->link()->readBusy());
    QTRY_COMPARE(w.sign.sign().readMemory(24 * 256 + 17, 4), QByteArray("otra"));
}

void TestWindowE2E::resetAfterDetectionLeavesTheLinkAlone()
{
    Window w(sim::Model::Pages20);
    QVERIFY(w.detect());
    const int opens = w.sign.sign().framesReceived();
    w.form->Form_Load();
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Letreros Electronicos ZANTOLUX - Z20    v2.0"));
    QVERIFY(w.form->cmdEnviar->isEnabled());
    QVERIFY(w.form->cmdLeer->isEnabled());
    QVERIFY(!w.form->link()->timer1()->isEnabled());
    QVERIFY(!w.form->link()->timer2()->isEnabled());
    QVERIFY(!w.form->link()->port()->isOpen());
    QCOMPARE(w.form->link()->portNumber(), 1);
    QCOMPARE(w.sign.sign().framesReceived(), opens);
}

void TestWindowE2E::newProjectDuringReadBack_data()
{
    QTest::addColumn<bool>("signFallsSilent");
    QTest::newRow("read-back completes") << false;
    QTest::newRow("read-back times out") << true;
}

void TestWindowE2E::newProjectDuringReadBack()
{
    QFETCH(bool, signFallsSilent);
    Window w(sim::Model::Pages20);
    QVERIFY(w.detect());
    w.fillRow(0, 0, "2", "2", QStringLiteral("uno"));
    w.fillRow(1, 0, "2", "2", QString(100, u'x'));  // two blocks on page 1
    QCOMPARE(w.clickAndWait(w.form->cmdEnviar), kDone);
    const MessageStore signProgram = w.form->store();

    w.sign.setPaceBaud(2400);
    w.form->cmdLeer->click();
    QTRY_COMPARE(w.form->link()->readPage() * 100 + w.form->link()->readBlock(), 1);
    if (signFallsSilent)
        w.sign.sign().setFault({FaultKind::Silent, 0});
    w.presenter->answerYes = true;
    w.form->cmdNuevo->click();  // the operator starts over while the read-back runs
    QCOMPARE(w.form->store(), MessageStore());

    QSignalSpy message(w.form->link(), &SignLink::message);
    QVERIFY(message.wait(5000));
    if (signFallsSilent) {
        // The old program does not come back over the new project.
        QCOMPARE(w.presenter->texts().last(), kNoAnswer);
        QCOMPARE(w.form->store(), MessageStore());
    } else {
        QCOMPARE(w.presenter->texts().last(), kReadDone);
        QCOMPARE(w.form->store(), signProgram);  // read whole, as the sign holds it
    }
}

QTEST_MAIN(TestWindowE2E)
#include "tst_window_e2e.moc"
