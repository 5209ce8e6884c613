#include "app/Form2.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

class tst_Form2 : public QObject
{
    Q_OBJECT
private slots:
    void splashHandsOverAfterThreeSeconds();
};

void tst_Form2::splashHandsOverAfterThreeSeconds()
{
    QElapsedTimer clock;
    clock.start();
    QWidget mainWindow;
    zlx::Form2 splash(&mainWindow);
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(splash.size(), QSize(743, 428));
    QSignalSpy handedOver(&splash, &zlx::Form2::handedOver);
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QVERIFY(!mainWindow.isVisible());

    QVERIFY(handedOver.wait(5000));
    QVERIFY(clock.elapsed() >= zlx::Form2::kSplashMs - 50);
    QVERIFY(mainWindow.isVisible());
    QVERIFY(!splash.isVisible());
}

QTEST_MAIN(tst_Form2)
#include "tst_form2.moc"
