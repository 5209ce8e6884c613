// Time to build the main window (reset and link set-up included), and the memory it takes.
#include "Figures.h"
#include "app/Form1.h"
#include "link/QtSignPort.h"

#include <QApplication>
#include <QElapsedTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QElapsedTimer clock;
    clock.start();
    zlx::Form1 form1(std::make_unique<zlx::QtSignPort>(), zlx::PortMap(QStringList{}));
    const double built = double(clock.nsecsElapsed()) / 1e6;
    form1.show();
    QApplication::processEvents();
    const double shown = double(clock.nsecsElapsed()) / 1e6;
    bench::printRow("Start-up: main window built / shown (splash's 3 s excluded)",
                    QString::number(built, 'f', 1) + " ms / " + QString::number(shown, 'f', 1) + " ms");
    bench::printRow("Peak resident memory (main window)", QString::number(bench::peakResidentMiB(), 'f', 1) + " MiB");
    return 0;
}
