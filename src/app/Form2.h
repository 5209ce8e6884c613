#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace zlx {

// The splash window: frameless, the splash picture, and after 3000 ms from its creation it
// closes and shows the main window it was given.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSplashMs = 3000;

    explicit Form2(QWidget *mainWindow, QWidget *parent = nullptr);

signals:
    void handedOver();  // the main window is shown and the splash closed

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void Timer1_Timer();

    QWidget *m_mainWindow;
    QPixmap m_picture;
    QTimer m_timer1;
};

}  // namespace zlx
