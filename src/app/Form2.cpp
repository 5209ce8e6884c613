#include "app/Form2.h"

#include "editor/Colors.h"

#include <QPainter>
#include <QScreen>

namespace zlx {

Form2::Form2(QWidget *mainWindow, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_mainWindow(mainWindow)
    , m_picture(QStringLiteral(":/art/splash.png"))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
    setFixedSize(743, 428);
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());

    // The timer runs from the moment the splash is loaded, not from when it is shown.
    m_timer1.setSingleShot(true);
    m_timer1.setTimerType(Qt::PreciseTimer);  // a coarse timer may end the splash 5 % early
    m_timer1.setInterval(kSplashMs);
    connect(&m_timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
    m_timer1.start();
}

void Form2::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), colors::kDarkBlue);
    painter.drawPixmap(0, 0, m_picture);
}

void Form2::Timer1_Timer()
{
    // The main window is shown before the splash closes: closing the only visible window
    // first could end the program.
    if (m_mainWindow)
        m_mainWindow->show();
    close();
    emit handedOver();
}

}  // namespace zlx
